// Subcommands of the command-line host. Each lives in its own file and
// registers itself with QUORVEL_COMMAND.
#pragma once

#include <cstdio>

namespace cli {

struct Command {
    const char *name;
    const char *usage;  // "ARGUMENTS  what it does", shown by "quorvel help"
    int (*run)(int argc, char **argv);  // argv[0] is the command's name; UTF-8
};

bool register_command(const Command &command);

// Whether --help or -h is among the arguments.
bool wants_help(int argc, char **argv);

// The command's usage from its registration: to standard output for --help
// (then 0), to standard error after a usage error (then 2).
int show_usage(const char *name, std::FILE *out);

// The whole command line, as UTF-8: the exit status.
int run_command_line(int argc, char **argv);

}  // namespace cli

#define QUORVEL_COMMAND(name, usage, function) \
    static const bool registered_##function = ::cli::register_command({name, usage, function})
