// Subcommands of the command-line host. Each lives in its own file and
// registers itself with QUORVEL_COMMAND.
#pragma once

namespace cli {

struct Command {
    const char *name;
    const char *usage;  // arguments, shown by "quorvel help"
    int (*run)(int argc, char **argv);  // argv[0] is the command's name
};

bool register_command(const Command &command);

}  // namespace cli

#define QUORVEL_COMMAND(name, usage, function) \
    static const bool registered_##function = ::cli::register_command({name, usage, function})
