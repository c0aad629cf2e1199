#include "progress/window_calls.h"

#include "progress/state.h"

namespace progress {

bool show_window(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    return UpdateWindow(window) != FALSE;
}

bool hide_window(HWND window) { return ShowWindow(window, SW_HIDE) != FALSE; }

bool set_caption(HWND window, const unsigned short *text) {
    return SetWindowTextW(window, as_wide(text)) != FALSE;
}

bool set_control_text(HWND window, int control, const unsigned short *text) {
    return SetDlgItemTextW(window, control, as_wide(text)) != FALSE;
}

bool enable_control(HWND window, int control, bool enable) {
    return EnableWindow(GetDlgItem(window, control), enable ? TRUE : FALSE) != FALSE;
}

bool send_text(HWND window, UINT message, unsigned short *block) {
    return SendMessageCallbackW(window, message, 0, reinterpret_cast<LPARAM>(block), nullptr,
                                0) != FALSE;
}

void pump_one_message(HWND window) {
    MSG message;
    if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE)) return;
    if (IsDialogMessageW(window, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// A window is destroyed by its own thread: another thread asks it.
bool destroy_window(HWND window) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        return DestroyWindow(window) != FALSE;
    SendMessageW(window, kDestroyRequest, 0, 0);
    return IsWindow(window) == FALSE;
}

void delete_bitmap(HBITMAP bitmap) { DeleteObject(bitmap); }

}  // namespace progress
