#include "support/own_dialog.h"

#ifdef _WIN32
#include <string>

namespace test {
namespace {

struct Search {
    int control_id;
    std::vector<HWND> found;
};

BOOL CALLBACK look_at(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<Search *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
        GetDlgItem(window, search->control_id))
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> own_dialogs(int control_id) {
    Search search{control_id, {}};
    EnumWindows(look_at, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND find_own_dialog(int control_id) {
    for (HWND window : own_dialogs(control_id))
        if (IsWindowVisible(window)) return window;
    return nullptr;
}

}  // namespace test
#endif
