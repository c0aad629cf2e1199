#include "support/own_dialog.h"

#ifdef _WIN32
#include <string>

namespace test {
namespace {

struct Search {
    int control_id;
    HWND found = nullptr;
};

BOOL CALLBACK look_at(HWND window, LPARAM data) {
    auto *search = reinterpret_cast<Search *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
        IsWindowVisible(window) && GetDlgItem(window, search->control_id)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND find_own_dialog(int control_id) {
    Search search{control_id};
    EnumWindows(look_at, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace test
#endif
