// Last-error codes of the platform layer, mapped from errno.
#pragma once

#include "platform/win32.h"

namespace platform {

// The Win32 code that a failed POSIX call with this errno stands for.
DWORD win32_error_from_errno(int error);

// SetLastError(win32_error_from_errno(errno)); keeps errno as it was.
void set_last_error_from_errno();

}  // namespace platform
