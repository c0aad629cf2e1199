// Msg_Show on Windows: the box is centred on the mouse cursor and kept
// inside the cursor's monitor.
#include <quorvel/error.h>

#include "frame/message_box.h"

namespace {

HINSTANCE g_owner_instance = nullptr;
HHOOK g_hook = nullptr;
WNDPROC g_saved_procedure = nullptr;
RECT g_monitor = {};

struct MonitorSearch {
    POINT cursor;
};

BOOL CALLBACK find_cursor_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    const POINT cursor = reinterpret_cast<MonitorSearch *>(data)->cursor;
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    g_monitor = info.rcMonitor;
    const bool holds = g_monitor.left <= cursor.x && cursor.x <= g_monitor.right &&
                       g_monitor.top <= cursor.y && cursor.y <= g_monitor.bottom;
    return holds ? FALSE : TRUE;
}

void place_at_cursor(HWND box) {
    RECT box_rect{};
    GetWindowRect(box, &box_rect);
    MonitorSearch search{};
    GetCursorPos(&search.cursor);
    const POINT position = frame::place_box(
        box_rect.right - box_rect.left, box_rect.bottom - box_rect.top, search.cursor, [&]() {
            EnumDisplayMonitors(nullptr, nullptr, find_cursor_monitor,
                                reinterpret_cast<LPARAM>(&search));
            return g_monitor;
        }());
    SetWindowPos(box, HWND_TOPMOST, position.x, position.y, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(box);
}

LRESULT CALLBACK placement_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC saved = g_saved_procedure;
    const LRESULT result = CallWindowProcW(saved, window, message, wparam, lparam);
    if (message == WM_INITDIALOG) {
        place_at_cursor(window);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
        g_saved_procedure = nullptr;
    }
    return result;
}

LRESULT CALLBACK placement_hook(int code, WPARAM wparam, LPARAM lparam) {
    const auto *call = reinterpret_cast<const CWPRETSTRUCT *>(lparam);
    if (code >= 0 && call->message == WM_NCCREATE && g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        g_saved_procedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            call->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(placement_procedure)));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

int Msg_Show(HWND owner, const unsigned short *text, UINT style) {
    WCHAR *title = frame::message_box_title();
    g_owner_instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    if (title[0] == 0 && owner) GetWindowTextW(owner, title, 511);
    g_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, placement_hook, g_owner_instance,
                               GetCurrentThreadId());
    const int answer = MessageBoxW(owner, as_wide(text), title, style);
    if (g_hook) {  // the box never got as far as being created
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    return answer;
}
