// Finding this process's dialogs on screen (Windows and Wine).
#pragma once

#ifdef _WIN32
#include <windows.h>

namespace test {

// The first visible dialog (#32770) of this process that has a control
// with this id, or null.
HWND find_own_dialog(int control_id);

}  // namespace test
#endif
