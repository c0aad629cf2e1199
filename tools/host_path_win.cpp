// Paths on Windows are the library's own: arguments arrive as UTF-16 and
// reach the commands as UTF-8 (see entry_win.cpp).
#include "host_path.h"

#include <windows.h>

namespace cli {

int system_utf8_to_utf16(const char *text, int size, char16_t *out, int capacity) {
    return MultiByteToWideChar(CP_UTF8, 0, text, size, as_wide(out), capacity);
}

std::string host_path(const unsigned short *path) { return utf8(path); }

std::u16string library_path(const char *argument) { return from_utf8(argument); }

}  // namespace cli
