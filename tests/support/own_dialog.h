// Finding this process's dialogs on screen (Windows and Wine).
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <vector>

namespace test {

// The first visible dialog (#32770) of this process that has a control
// with this id, or null.
HWND find_own_dialog(int control_id);

// Every such dialog, shown or not.
std::vector<HWND> own_dialogs(int control_id);

}  // namespace test
#endif
