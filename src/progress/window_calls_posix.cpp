// The window-system calls on the terminal form of the progress window
// (terminal_posix.h). A handle that names no live window fails with
// ERROR_INVALID_WINDOW_HANDLE, as the system answers for a window it does
// not know.
#include "progress/window_calls.h"

#include "progress/dialog_actions.h"
#include "progress/drawing.h"
#include "progress/state.h"
#include "progress/terminal_posix.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace progress {
namespace {

constexpr DWORD kInvalidWindowHandle = 1400;  // ERROR_INVALID_WINDOW_HANDLE
constexpr int kNarrowest = 40;
constexpr int kWidest = 79;
constexpr char kControlC = 0x03;

std::shared_ptr<terminal::Window> window_of(HWND handle) {
    auto window = terminal::find(handle);
    if (!window) SetLastError(kInvalidWindowHandle);
    return window;
}

bool on_its_thread(const terminal::Window &window) {
    return window.thread_id() == GetCurrentThreadId();
}

// What the dialog procedure does, on the window thread.
void dispatch(HWND handle, terminal::Window &window, UINT message, unsigned short *block) {
    switch (message) {
    case kFileNameMessage:
        receive_file_name(handle, block);
        break;
    case kMessageTextMessage:
        receive_message_text(block);
        break;
    case kDestroyRequest:
        window.destroy();
        terminal::remove(handle);
        state().window.store(nullptr);  // as WM_DESTROY does
        break;
    default:
        std::free(block);
        break;
    }
}

int terminal_columns() {
    winsize size{};
    int columns = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col ? size.ws_col : 80;
    return std::clamp(columns - 1, kNarrowest, kWidest);
}

}  // namespace

bool window_system_available() { return isatty(STDERR_FILENO) == 1; }

HINSTANCE owner_instance(HWND) { return nullptr; }

HWND create_window(HINSTANCE) {
    if (!window_system_available()) {
        SetLastError(kInvalidWindowHandle);
        return nullptr;
    }
    auto window = std::make_shared<terminal::Window>(STDERR_FILENO, terminal_columns());
    window->take_keys();
    HWND handle = terminal::add(window);
    // The dialog's initialisation: the drawing threads paint its parts.
    state().window.store(handle);
    start_drawing_threads(handle, handle, handle);
    return handle;
}

void place_topmost(HWND handle) {
    if (auto window = window_of(handle)) window->show();
}

int read_caption(HWND handle, unsigned short *caption, int capacity) {
    auto window = window_of(handle);
    if (!window || capacity <= 0) return 0;
    std::u16string text = window->caption();
    int n = std::min(static_cast<int>(text.size()), capacity - 1);
    std::copy(text.begin(), text.begin() + n, caption);
    caption[n] = 0;
    return n;
}

// The terminal draws the bars in colour; there are no images to load.
HBITMAP load_bar_face(HINSTANCE, int) { return nullptr; }
void delete_bitmap(HBITMAP) {}

void wait_for_input(HWND handle, DWORD milliseconds) {
    auto window = terminal::find(handle);
    if (!window) {
        Sleep(milliseconds);
        return;
    }
    std::string keys = window->wait_for_keys(milliseconds);
    if (keys.empty()) return;
    // One read is one press: Ctrl-C is the cancel button, any other key
    // the pause button.
    if (keys.find(kControlC) != std::string::npos) {
        if (window->button_enabled(kCancelButton)) press_cancel();
    } else if (window->button_enabled(kPauseButton)) {
        press_pause(handle);
    }
}

void show_file_name(HWND handle, const unsigned short *path) {
    if (auto window = window_of(handle)) window->set_file_name(u16_string(path));
}

bool show_window(HWND handle) {
    auto window = window_of(handle);
    if (window) window->show();
    return window != nullptr;
}

bool hide_window(HWND handle) {
    auto window = window_of(handle);
    if (window) window->hide();
    return window != nullptr;
}

bool set_caption(HWND handle, const unsigned short *text) {
    auto window = window_of(handle);
    if (window) window->set_caption(u16_string(text));
    return window != nullptr;
}

bool set_control_text(HWND handle, int control, const unsigned short *text) {
    auto window = window_of(handle);
    if (!window || (control != kCancelButton && control != kPauseButton)) return false;
    std::u16string label = u16_string(text);
    window->set_button(control, &label, nullptr);
    return true;
}

bool enable_control(HWND handle, int control, bool enable) {
    auto window = window_of(handle);
    if (!window || (control != kCancelButton && control != kPauseButton)) return false;
    window->set_button(control, nullptr, &enable);
    return true;
}

// Handled at once on the window thread, later (in its loop) from others.
bool send_text(HWND handle, UINT message, unsigned short *block) {
    auto window = window_of(handle);
    if (!window) return false;
    if (on_its_thread(*window)) dispatch(handle, *window, message, block);
    else window->post(message, block);
    return true;
}

void pump_one_message(HWND handle) {
    auto window = terminal::find(handle);
    if (!window || !on_its_thread(*window)) return;
    UINT message = 0;
    unsigned short *block = nullptr;
    if (window->take_posted(message, block)) dispatch(handle, *window, message, block);
}

bool destroy_window(HWND handle) {
    auto window = window_of(handle);
    if (!window) return false;
    if (on_its_thread(*window)) {
        dispatch(handle, *window, kDestroyRequest, nullptr);
    } else {
        window->post(kDestroyRequest, nullptr);
        window->wait_destroyed();
        terminal::remove(handle);
    }
    return true;
}

}  // namespace progress
