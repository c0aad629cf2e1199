// The window-system calls the progress window makes. On Windows they are
// the Win32 calls on dialog 110. On POSIX the window is a block of lines on
// the terminal of standard error (terminal_posix.h); a handle that
// names no such block fails as the system fails for a window it does not
// know.
#pragma once

#include "platform/win32.h"

namespace progress {

// Whether a window can be shown at all (POSIX: standard error is a
// terminal). Without one Prg_CreateProgress makes nothing and says nothing.
bool window_system_available();
// The module of an owner window.
HINSTANCE owner_instance(HWND owner);
// Makes the window from template 110 of `instance` on the calling thread,
// which becomes the window thread. Its initialisation starts the drawing
// threads. Null with the last error set on failure.
HWND create_window(HINSTANCE instance);
// Shows the window topmost without activating it; failures are reported.
void place_topmost(HWND window);
// The window's caption; 0 (with the last error) when none could be read.
int read_caption(HWND window, unsigned short *caption, int capacity);
// Bar face 140 or 141 of `instance`; null when missing.
HBITMAP load_bar_face(HINSTANCE instance, int face);
// The window thread's pause between two looks at its messages: a sleep on
// Windows, a wait for key presses on the terminal.
void wait_for_input(HWND window, DWORD milliseconds);
// Shows a path in the file-name control, shortened to fit.
void show_file_name(HWND window, const unsigned short *path);

bool show_window(HWND window);  // SW_SHOWNORMAL, then UpdateWindow
bool hide_window(HWND window);
bool set_caption(HWND window, const unsigned short *text);
bool set_control_text(HWND window, int control, const unsigned short *text);
bool enable_control(HWND window, int control, bool enable);
// Sends without waiting (SendMessageCallbackW, no callback); on success the
// window owns `block` and frees it.
bool send_text(HWND window, UINT message, unsigned short *block);
// At most one message of the window from the calling thread's queue.
void pump_one_message(HWND window);
// A window belongs to its thread: from another thread this asks the
// window thread and waits until it is done.
bool destroy_window(HWND window);

void delete_bitmap(HBITMAP bitmap);

}  // namespace progress
