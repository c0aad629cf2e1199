// Paths from the command line, in the library's Windows grammar: on POSIX
// an absolute native path under Z:\ (as Wine maps it), on Windows as given.
#pragma once

#include <string>

namespace cli {

std::u16string library_path(const char *argument);
// An argument that is no path, as UTF-16 text.
std::u16string text_argument(const char *argument);
// The inverse for output: a library path in the host's form, as UTF-8 (on
// POSIX "Z:\tmp\a" is "/tmp/a").
std::string host_path(const unsigned short *path);
// UTF-16 text as UTF-8.
std::string utf8(const unsigned short *text);

inline const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

}  // namespace cli
