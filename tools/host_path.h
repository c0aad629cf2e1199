// Paths from the command line, in the library's Windows grammar: on POSIX
// an absolute native path under Z:\ (as Wine maps it), on Windows as given.
#pragma once

#include <string>

namespace cli {

std::u16string library_path(const char *argument);

inline const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

}  // namespace cli
