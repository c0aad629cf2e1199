// No window system: no progress window, drawing thread or bitmap can exist,
// so the state never holds one of these handles and these calls only answer
// as the system would for a handle it does not know.
#ifndef _WIN32
#include "progress/window_calls.h"

namespace progress {
namespace {

constexpr DWORD kInvalidWindowHandle = 1400;  // ERROR_INVALID_WINDOW_HANDLE

bool no_such_window() {
    SetLastError(kInvalidWindowHandle);
    return false;
}

}  // namespace

bool show_window(HWND) { return no_such_window(); }
bool hide_window(HWND) { return no_such_window(); }
bool set_caption(HWND, const unsigned short *) { return no_such_window(); }
bool set_control_text(HWND, int, const unsigned short *) { return no_such_window(); }
bool enable_control(HWND, int, bool) { return no_such_window(); }
bool send_text(HWND, UINT, unsigned short *) { return no_such_window(); }
void pump_one_message(HWND) {}
bool destroy_window(HWND) { return no_such_window(); }
bool thread_finished(HANDLE) { return true; }
void delete_bitmap(HBITMAP) {}

}  // namespace progress
#endif
