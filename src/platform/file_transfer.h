// Copies and moves on POSIX paths, for the platform layer's own use (the
// shell's file operation builds on them).
#pragma once

#include "platform/win32.h"

#include <string>

namespace platform {

// CopyFileW and MoveFileExW: 0 or a Win32 code.
DWORD copy_file(const std::string &from, const std::string &to, bool replace);
DWORD move_file(const std::string &from, const std::string &to, DWORD flags);

}  // namespace platform
