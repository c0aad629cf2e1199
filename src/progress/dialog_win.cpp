// The progress dialog on Windows: template 110 made on the window thread,
// its dialog procedure, and the window-system calls of the window thread.
#include <quorvel/error.h>

#include "progress/dialog_actions.h"
#include "progress/drawing.h"
#include "progress/state.h"
#include "progress/window_calls.h"

#include <shlwapi.h>

namespace progress {
namespace {

constexpr LONG kOwnerDrawStatic = 0x0D;  // SS_OWNERDRAW
constexpr UINT kApplyFrame = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;
constexpr UINT kTopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                               SWP_SHOWWINDOW | SWP_NOOWNERZORDER;  // 0x273

// The drawing threads paint these statics; they no longer paint their text.
void make_owner_drawn(HWND control) {
    LONG style = GetWindowLongW(control, GWL_STYLE);
    SetWindowLongW(control, GWL_STYLE, style | kOwnerDrawStatic);
    SetWindowPos(control, nullptr, 0, 0, 0, 0, kApplyFrame);
}

void initialise(HWND dialog) {
    // The drawing threads look at the window field; it names this dialog
    // from now on.
    state().window.store(dialog);
    HWND message = GetDlgItem(dialog, kMessageControl);
    HWND elapsed = GetDlgItem(dialog, kElapsedControl);
    HWND counter = GetDlgItem(dialog, kCounterControl);
    make_owner_drawn(elapsed);
    make_owner_drawn(counter);
    start_drawing_threads(elapsed, counter, message);
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto *block = reinterpret_cast<unsigned short *>(lparam);
    switch (message) {
    case WM_INITDIALOG:
        initialise(dialog);
        break;
    case WM_DESTROY:
        state().window.store(nullptr);
        break;
    case WM_COMMAND:
        if (LOWORD(wparam) == kCancelButton) press_cancel();
        else if (LOWORD(wparam) == kPauseButton) press_pause(dialog);
        break;
    case kFileNameMessage:
        receive_file_name(dialog, block);
        break;
    case kMessageTextMessage:
        receive_message_text(block);
        break;
    case kDestroyRequest:
        DestroyWindow(dialog);
        break;
    default:
        break;
    }
    return FALSE;
}

}  // namespace

bool window_system_available() { return true; }

HINSTANCE owner_instance(HWND owner) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
}

HWND create_window(HINSTANCE instance) {
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(kDialogTemplate), nullptr,
                              dialog_procedure, 0);
}

void place_topmost(HWND window) {
    if (!SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kTopmostFlags)) Err_Message(0);
    LONG extended = GetWindowLongW(window, GWL_EXSTYLE);
    SetLastError(0);
    if (!SetWindowLongW(window, GWL_EXSTYLE, extended | WS_EX_TOPMOST) && GetLastError())
        Err_Message(0);
}

int read_caption(HWND window, unsigned short *caption, int capacity) {
    return GetWindowTextW(window, as_wide(caption), capacity);
}

HBITMAP load_bar_face(HINSTANCE instance, int face) {
    return static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(face), IMAGE_BITMAP, 0, 0, 0));
}

void wait_for_input(HWND, DWORD milliseconds) { Sleep(milliseconds); }

void show_file_name(HWND window, const unsigned short *path) {
    PathSetDlgItemPathW(window, kFileNameControl, as_wide(path));
}

}  // namespace progress
