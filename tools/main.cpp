// quorvel: the command-line host of the library.
#include "command.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace cli {

static std::vector<Command> &commands() {
    static std::vector<Command> all;
    return all;
}

bool register_command(const Command &command) {
    commands().push_back(command);
    return true;
}

}  // namespace cli

static int usage() {
    std::fprintf(stderr, "usage: quorvel <command> [arguments]\n\ncommands:\n");
    for (const cli::Command &command : cli::commands())
        std::fprintf(stderr, "  %-10s %s\n", command.name, command.usage);
    return 2;
}

int main(int argc, char **argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0) return usage();
    for (const cli::Command &command : cli::commands())
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
    std::fprintf(stderr, "quorvel: unknown command '%s'\n", argv[1]);
    return usage();
}
