// quorvel find FOLDER PATTERN / quorvel du FOLDER: walks of a whole tree as
// a person expects them (every entry, hidden ones included), through the
// system's listing and its Windows name matching. Linked folders are listed
// and counted but never entered; a folder that cannot be listed is named on
// standard error and the walk goes on.
#include "command.h"
#include "host_path.h"

#include <quorvel/search.h>

#include "platform/listing_hint.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_set>

namespace {

bool is_dots(const WCHAR *name) {
    return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

int64_t size_of(const WIN32_FIND_DATAW &found) {
    return static_cast<int64_t>(static_cast<uint64_t>(found.nFileSizeHigh) << 32 |
                                found.nFileSizeLow);
}

// A listing of `pattern`; with `dos` false, hidden, system and archive are
// not read (they cost a call per entry on POSIX).
HANDLE find_first(const std::u16string &pattern, WIN32_FIND_DATAW &found, bool dos) {
    return FindFirstFileExW(as_wide(pattern.c_str()), FindExInfoStandard, &found,
                            FindExSearchNameMatch, nullptr,
                            dos ? 0 : FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES);
}

// Calls visit(path of the entry, its find data) for every entry of
// `folder`'s tree, each folder before what it holds. False when some folder
// could not be listed (each is named on standard error).
bool walk(std::u16string &folder, bool dos,
          const std::function<void(const std::u16string &, const WIN32_FIND_DATAW &)> &visit) {
    const size_t base = folder.size();
    const bool root = folder.back() == u'\\';  // "Z:\\"
    folder += root ? u"*" : u"\\*";
    WIN32_FIND_DATAW found;
    const HANDLE find = find_first(folder, found, dos);
    folder.resize(base);
    if (find == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "quorvel: cannot list %s%s\n",
                     cli::host_path(as_exported(folder)).c_str(), cli::last_error_reason().c_str());
        return false;
    }
    bool whole = true;
    do {
        if (is_dots(found.cFileName)) continue;
        if (!root) folder += u'\\';
        folder += as_u16(found.cFileName);
        visit(folder, found);
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !walk(folder, dos, visit))
            whole = false;
        folder.resize(base);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return whole;
}

// The names of `folder` (with its backslash) that match `pattern` as the
// system matches them.
std::unordered_set<std::u16string> matches(const std::u16string &folder,
                                           const std::u16string &pattern) {
    std::unordered_set<std::u16string> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = find_first(folder + pattern, found, false);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.insert(as_u16(found.cFileName));
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

std::u16string folder_argument(const char *argument) {
    std::u16string folder = cli::library_path(argument);
    while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
    return folder;
}

const char kFindUsage[] =
    "usage: quorvel find [--details | --attributes] FOLDER PATTERN\n"
    "Lists every entry of FOLDER's tree whose name matches PATTERN as Windows\n"
    "matches names (* and ?, without regard to case; \"*\" matches all), one\n"
    "path a line, each folder before what it holds; hidden and system entries\n"
    "included. A linked folder is listed but not entered. --details puts the\n"
    "size, the last write time (seconds since 1970, UTC) and the attributes a\n"
    "file's status gives (hex: directory 10, read-only 1, link 400, else\n"
    "normal 80) before each path, tab-separated; --attributes puts all the\n"
    "attributes there, hidden, system and archive too (off Windows, a second\n"
    "system call per entry).\n"
    "Exit status: 0 when something was found, 1 when nothing was or a folder\n"
    "could not be listed (named on standard error; the walk goes on), 2 usage.\n";

// What --details shows of the attributes: what a file's status says, the
// same on every build.
DWORD status_attributes(DWORD attributes) {
    attributes &= FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

int find(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) {
        std::fputs(kFindUsage, stdout);
        return 0;
    }
    const bool all_attributes = argc > 1 && std::strcmp(argv[1], "--attributes") == 0;
    const bool details = all_attributes || (argc > 1 && std::strcmp(argv[1], "--details") == 0);
    if (argc != 3 + details) {
        std::fputs(kFindUsage, stderr);
        return 2;
    }
    std::u16string folder = folder_argument(argv[1 + details]);
    const std::u16string pattern = cli::text_argument(argv[2 + details]);
    const bool everything = pattern == u"*" || pattern == u"*.*";
    // The folder last visited with a backslash, its host form, and its
    // matching names (asked once per folder): only each name is converted.
    std::u16string listed_folder;
    std::string shown_folder;
    std::unordered_set<std::u16string> names;
    bool found_any = false;
    const bool whole = walk(folder, all_attributes, [&](const std::u16string &path,
                                                 const WIN32_FIND_DATAW &found) {
        const size_t name = path.rfind(u'\\') + 1;
        if (listed_folder.size() != name || path.compare(0, name, listed_folder) != 0) {
            listed_folder.assign(path, 0, name);
            shown_folder = cli::host_path(as_exported(listed_folder));
            if (!everything) names = matches(listed_folder, pattern);
        }
        if (!everything && !names.count(path.substr(name))) return;
        found_any = true;
        const std::string host = shown_folder + cli::utf8(as_exported(path) + name);
        if (!details) {
            std::printf("%s\n", host.c_str());
            return;
        }
        // FILETIME: 100 ns since 1601.
        const uint64_t write = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                               found.ftLastWriteTime.dwLowDateTime;
        std::printf("%" PRId64 "\t%" PRId64 "\t%lx\t%s\n", size_of(found),
                    static_cast<int64_t>(write / 10000000) - INT64_C(11644473600),
                    static_cast<unsigned long>(all_attributes ? found.dwFileAttributes
                                                              : status_attributes(found.dwFileAttributes)),
                    host.c_str());
    });
    return found_any && whole ? 0 : 1;
}

const char kDuUsage[] =
    "usage: quorvel du [--allocated] FOLDER\n"
    "Counts the files and folders of FOLDER's whole tree, hidden ones included,\n"
    "and adds up their sizes, shown as the library shows sizes (B, KB, MB, GB,\n"
    "TB) and in bytes. A link counts as one entry with its own size (a linked\n"
    "folder as a folder, not entered); folders add no bytes. --allocated counts\n"
    "what compressed and sparse files occupy on disk.\n"
    "Exit status: 0 on success, 1 when a folder could not be listed (named on\n"
    "standard error; the count goes on without it), 2 for usage.\n";

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
    std::u16string folder = folder_argument(argv[1 + allocated]);
    const std::string shown = cli::host_path(as_exported(folder));
    int64_t files = 0, folders = 0, bytes = 0;
    const DWORD packed = FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE;
    const bool whole = walk(folder, false, [&](const std::u16string &path,
                                               const WIN32_FIND_DATAW &found) {
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ++folders;
            return;
        }
        ++((attributes & FILE_ATTRIBUTE_DIRECTORY) ? folders : files);
        DWORD high = 0, low = INVALID_FILE_SIZE;
        if (allocated && (attributes & packed))
            low = GetCompressedFileSizeW(as_wide(path), &high);
        bytes += low != INVALID_FILE_SIZE
                     ? static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low)
                     : size_of(found);
    });
    const std::string size = cli::utf8(Cfl_DispByteSize(bytes, 0));
    std::printf("%s\t%" PRId64 " bytes, %" PRId64 " files, %" PRId64 " folders\t%s\n",
                size.c_str(), bytes, files, folders, shown.c_str());
    return whole ? 0 : 1;
}

}  // namespace

QUORVEL_COMMAND("find", "FOLDER PATTERN  entries of the tree matching the pattern", find);
QUORVEL_COMMAND("du", "FOLDER  files, folders and bytes of the tree", du);
