// quorvel link-info FILE.lnk|FILE.url: what a shortcut or an Internet
// shortcut holds, read as the library reads it. Exit status 0 when the file
// was read, 1 when it could not be, 2 usage.
#include "command.h"
#include "host_path.h"

#include <quorvel/links.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int link_info(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("link-info", stdout);
    if (argc != 2) return cli::show_usage("link-info", stderr);
    const std::u16string path = cli::library_path(argv[1]);
    const size_t length = std::strlen(argv[1]);
    const bool url = length > 4 && (std::strcmp(argv[1] + length - 4, ".url") == 0 ||
                                    std::strcmp(argv[1] + length - 4, ".URL") == 0);
    static unsigned short target[QUORVEL_MAX_TEXT], arguments[QUORVEL_MAX_TEXT],
        folder[QUORVEL_MAX_TEXT];
    if (url) {
        if (!Cfl_ReadUrlFile(as_exported(path), target)) {
            std::fprintf(stderr, "quorvel: %s: cannot be read as an Internet shortcut\n", argv[1]);
            return 1;
        }
        std::printf("URL\t%s\n", cli::utf8(target).c_str());
        return 0;
    }
    int show = 0;
    if (!Cfl_ReadLinkFile(as_exported(path), target, QUORVEL_MAX_TEXT, arguments, QUORVEL_MAX_TEXT,
                          folder, QUORVEL_MAX_TEXT, &show)) {
        std::fprintf(stderr, "quorvel: %s: cannot be read as a shortcut\n", argv[1]);
        return 1;
    }
    std::printf("Target\t%s\nArguments\t%s\nWorkingFolder\t%s\nShowCommand\t%d\n",
                cli::utf8(target).c_str(), cli::utf8(arguments).c_str(), cli::utf8(folder).c_str(),
                show);
    return 0;
}

}  // namespace

QUORVEL_COMMAND("link-info",
                "FILE.lnk|FILE.url  a shortcut's target, arguments, working folder and show "
                "command, or an Internet shortcut's URL",
                link_info);
