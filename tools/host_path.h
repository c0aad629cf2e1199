// Paths from the command line, in the library's Windows grammar: on POSIX
// an absolute native path under Z:\ (as Wine maps it), on Windows as given.
// One implementation per platform (host_path_posix.cpp, host_path_win.cpp).
#pragma once

#include "platform/text16.h"

#include <string>

namespace cli {

std::u16string library_path(const char *argument);
// An argument that is no path, as UTF-16 text.
std::u16string text_argument(const char *argument);
// The inverse for output: a library path in the host's form, as UTF-8 (on
// POSIX "Z:\tmp\a" is "/tmp/a").
std::string host_path(const unsigned short *path);
// UTF-16 text as UTF-8, and back (the command line, files and the
// environment are UTF-8 to the commands on both builds).
std::string utf8(const unsigned short *text);
std::u16string from_utf8(const std::string &text);
// The system's text for the thread's last error, in the user's language and
// without its line break, after ": "; empty when there is no error.
std::string last_error_reason();
// The system's UTF-8 decoder, as MultiByteToWideChar counts and fills.
int system_utf8_to_utf16(const char *text, int size, char16_t *out, int capacity);

}  // namespace cli
