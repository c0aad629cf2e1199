// The library's view of the Win32 desktop calls (system facts, global
// memory, printer records, drag-and-drop data, window messages): the
// Windows SDK on Windows, the platform layer's own elsewhere.
#pragma once

#include "platform/win32.h"
#ifndef _WIN32
#include "platform/winapi/desktop.h"
#endif
