// The password of a command: never from an argument.
#pragma once

#include <string>

namespace cli {

// FILE's first line when `file` is given, else QUORVEL_PASSWORD, else asked
// for on the terminal without echo (twice when `confirm`). False, with the
// reason on standard error, when none can be had or it is empty.
bool read_password(const char *command, const std::string &file, bool confirm,
                   std::u16string &password);

// FILE's first line as a password, empty or not. False, with the reason on
// standard error, when it cannot be read.
bool read_password_file(const char *command, const std::string &file, std::u16string &password);

// Whether the password's ANSI form (the keys are made from it) converts back
// to the same text; if not, says so on standard error, naming QUORVEL_ACP.
bool password_survives_ansi(const char *command, const std::u16string &password);

}  // namespace cli
