// What Os_init shares between the two builds.
#pragma once

#include "platform/win32_desktop.h"

#include <quorvel/system.h>

namespace system_info {

// The module work buffer of QUORVEL_MAX_TEXT units (system folder while
// Os_init runs, then the architecture text).
unsigned short *work_buffer();

// The OS kind of a version record, by its release table.
DWORD os_kind(const OSVERSIONINFOEXW &info);

}  // namespace system_info
