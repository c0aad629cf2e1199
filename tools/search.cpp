// quorvel find FOLDER PATTERN / quorvel du FOLDER: the library's recursive
// search and folder analysis on the host's paths.
#include "command.h"
#include "host_path.h"

#include <quorvel/search.h>

#include <cstdio>
#include <cstring>

namespace {

const char kFindUsage[] =
    "usage: quorvel find [--files] FOLDER PATTERN\n"
    "Lists the entries of FOLDER's tree whose names match PATTERN (* and ?, as\n"
    "Windows matches them, without regard to case), one path a line, each\n"
    "folder before what it holds. Hidden and system entries are left out. Only\n"
    "folders whose names match are entered: \"*\" walks the whole tree.\n"
    "--files lists the files of FOLDER itself only, no folders.\n"
    "Exit status: 0 when something was found, 1 when nothing was, 2 for usage.\n";

int find(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) {
        std::fputs(kFindUsage, stdout);
        return 0;
    }
    const bool files_only = argc > 1 && std::strcmp(argv[1], "--files") == 0;
    if (argc != 3 + files_only) {
        std::fputs(kFindUsage, stderr);
        return 2;
    }
    const std::u16string folder = cli::library_path(argv[1 + files_only]);
    const std::u16string pattern = cli::text_argument(argv[2 + files_only]);
    tagSEQ list;
    const int found =
        Cfl_FileSearch(cli::u16(folder), cli::u16(pattern), list, files_only ? 0 : 1);
    for (tagNODE *node = list.pHead; node; node = node->pNext) {
        const auto *record = static_cast<const tagFINDFILE *>(node->pData);
        std::printf("%s\n", cli::host_path(record->pszFullPath).c_str());
    }
    Cfl_FileSearchFree(list);
    return found ? 0 : 1;
}

const char kDuUsage[] =
    "usage: quorvel du [--allocated] FOLDER\n"
    "Counts the files and folders of FOLDER's whole tree, hidden ones included,\n"
    "and adds up their sizes, shown as the library shows sizes (B, KB, MB, GB,\n"
    "TB) and in bytes. --allocated counts what sparse files occupy on disk.\n"
    "Exit status: 0 on success, 1 when a folder could not be listed, 2 for usage.\n";

int du(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) {
        std::fputs(kDuUsage, stdout);
        return 0;
    }
    const bool allocated = argc > 1 && std::strcmp(argv[1], "--allocated") == 0;
    if (argc != 2 + allocated) {
        std::fputs(kDuUsage, stderr);
        return 2;
    }
    const std::u16string folder = cli::library_path(argv[1 + allocated]);
    LONG files = 0, folders = 0;
    int64_t bytes = 0;
    const int result =
        Cfl_FolderAnalyze(cli::u16(folder), files, folders, bytes, allocated ? 1 : 0, 1, 0);
    if (!result) {
        std::fprintf(stderr, "quorvel du: cannot list %s\n", argv[1 + allocated]);
        return 1;
    }
    const std::string size = cli::utf8(Cfl_DispByteSize(bytes, 0));
    std::printf("%s\t%lld bytes, %ld files, %ld folders\t%s\n", size.c_str(),
                static_cast<long long>(bytes), static_cast<long>(files),
                static_cast<long>(folders), cli::host_path(cli::u16(folder)).c_str());
    return 0;
}

}  // namespace

QUORVEL_COMMAND("find", "FOLDER PATTERN  entries of the tree matching the pattern", find);
QUORVEL_COMMAND("du", "FOLDER  files, folders and bytes of the tree", du);
