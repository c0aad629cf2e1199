// quorvel: the command-line host of the library.
#include "command.h"

#include <cstring>
#include <string>
#include <vector>

namespace cli {
namespace {

std::vector<Command> &commands() {
    static std::vector<Command> all;
    return all;
}

const Command *find_command(const char *name) {
    for (const Command &command : commands())
        if (std::strcmp(name, command.name) == 0) return &command;
    return nullptr;
}

int list_commands(std::FILE *out) {
    std::fprintf(out,
                 "usage: quorvel COMMAND [arguments]\n"
                 "       quorvel help COMMAND | quorvel COMMAND --help | quorvel --version\n\n"
                 "commands:\n");
    for (const Command &command : commands())
        std::fprintf(out, "  %-10s %s\n", command.name, command.usage);
    std::fprintf(out, "\nExit status: 0 done, 1 failure, 2 usage, 130 cancelled.\n");
    return out == stdout ? 0 : 2;
}

}  // namespace

bool register_command(const Command &command) {
    commands().push_back(command);
    return true;
}

bool wants_help(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

int show_usage(const char *name, std::FILE *out) {
    const Command *command = find_command(name);
    const std::string usage = command ? command->usage : "";
    const std::size_t gap = usage.find("  ");
    std::fprintf(out, "usage: quorvel %s %s\n", name, usage.substr(0, gap).c_str());
    if (gap != std::string::npos) std::fprintf(out, "%s\n", usage.substr(gap + 2).c_str());
    return out == stdout ? 0 : 2;
}

int run_command_line(int argc, char **argv) {
    if (argc < 2) return list_commands(stderr);
    const std::string first = argv[1];
    if (first == "--version") {
        std::printf("quorvel %s\n", QUORVEL_VERSION_TEXT);
        return 0;
    }
    if (first == "help" || first == "--help" || first == "-h") {
        if (argc == 2) return list_commands(stdout);
        const Command *command = find_command(argv[2]);
        if (!command) {
            std::fprintf(stderr, "quorvel: unknown command '%s'\n", argv[2]);
            return 2;
        }
        char help[] = "--help";
        char *arguments[] = {argv[2], help, nullptr};
        return command->run(2, arguments);
    }
    if (const Command *command = find_command(argv[1])) return command->run(argc - 1, argv + 1);
    std::fprintf(stderr, "quorvel: unknown command '%s'\n", argv[1]);
    return list_commands(stderr);
}

}  // namespace cli
