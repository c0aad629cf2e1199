#include "progress/window_calls.h"

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

bool destroy_window(HWND window) { return DestroyWindow(window) != FALSE; }

bool thread_finished(HANDLE thread) {
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code)) return true;
    return code != STILL_ACTIVE;
}

void delete_bitmap(HBITMAP bitmap) { DeleteObject(bitmap); }

}  // namespace progress
