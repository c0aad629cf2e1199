// Windows paths at the POSIX system-call boundary. Drive Z: is the root "/",
// "\\?\" long forms are read through, anything else (other drives, UNC
// shares) has no mapping and fails with a Win32 code.
#pragma once

#include "platform/win32.h"

#include <string>

namespace platform {

// Maps `path` to the POSIX path it names. On failure returns false with the
// last error set (ERROR_PATH_NOT_FOUND, ERROR_BAD_NETPATH, ERROR_INVALID_NAME,
// ERROR_NO_UNICODE_TRANSLATION). Exported: the database engine hands SQLite
// the POSIX names.
QUORVEL_WINAPI bool native_path(LPCWSTR path, std::string &out);

// The code for a POSIX path that is not there (ENOENT): ERROR_FILE_NOT_FOUND
// when its folder exists, ERROR_PATH_NOT_FOUND when it does not, as Windows
// tells them apart.
DWORD missing_code(const std::string &path);

// The Windows form of an absolute POSIX path ("/tmp/a" is "Z:\tmp\a").
std::u16string windows_path(const std::string &posix);

// POSIX names are bytes, Windows names UTF-16 units. A name that is not
// UTF-8 keeps each byte of its ill-formed parts as the unpaired surrogate
// U+DC00 + byte (0x80 to 0xFF give U+DC80 to U+DCFF), which a valid name
// never holds, and native_path turns such a unit back into its byte: every
// name reads, and names its entry again.
std::u16string name_to_utf16(const std::string &name);
// The same into `out`, whose room is kept from name to name.
void name_to_utf16(const char *name, size_t length, std::u16string &out);
std::string name_to_native(const std::u16string &name);

// Copies `text` with its terminator into `buffer` of `size` units. Returns the
// length without the terminator, or the size needed with it when it does not
// fit (the Win32 convention of GetTempPathW and its kind).
DWORD copy_out(const std::u16string &text, LPWSTR buffer, DWORD size);

}  // namespace platform
