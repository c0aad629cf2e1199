// The host's terminal and environment: a password read without echo,
// Ctrl-C turned into the progress state's cancel, environment text. One
// implementation per platform (console_posix.cpp, console_win.cpp).
#pragma once

#include <string>

namespace cli {

// Asks on the terminal with `prompt`, without echo; false when there is no
// terminal to ask on or the answer cannot be read.
bool read_secret(const char *prompt, std::u16string &answer);

// From now on Ctrl-C (or the console's break) sets the cancel flag that
// the library polls between blocks, instead of ending the process.
void cancel_on_interrupt();

// Whether standard error is a terminal (the progress line is drawn there).
bool error_is_terminal();

// Makes the time zone the runtime library converts key times in the one the
// user meant: on Windows a TZ that its runtime cannot read (a zone name
// such as Asia/Tokyo, which it would take as UTC) is set aside, with a note
// once, and the system's zone is used.
void use_time_zone(const char *command);

// A named environment variable as text; false when it is not set.
bool environment_text(const char *name, std::u16string &value);

}  // namespace cli
