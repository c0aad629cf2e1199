// No window system: no progress window, drawing thread or bitmap can exist,
// so the state never holds one of these handles and these calls only answer
// as the system would for a handle it does not know.
#ifndef _WIN32
#include "progress/window_calls.h"

#include "progress/drawing.h"

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
void delete_bitmap(HBITMAP) {}

bool window_system_available() { return false; }
HINSTANCE owner_instance(HWND) { return nullptr; }
HWND create_window(HINSTANCE) {
    no_such_window();
    return nullptr;
}
void place_topmost(HWND) {}
int read_caption(HWND, unsigned short *, int) { return 0; }
HBITMAP load_bar_face(HINSTANCE, int) { return nullptr; }
void wait_for_input(HWND, DWORD milliseconds) { Sleep(milliseconds); }
void show_file_name(HWND, const unsigned short *) {}
std::unique_ptr<Surface> open_surface(HWND, DrawingThread) { return nullptr; }

}  // namespace progress
#endif
