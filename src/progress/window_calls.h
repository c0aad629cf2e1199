// The few window-system calls the progress interface makes on an existing
// progress window. On Windows they are the Win32 calls; POSIX has no window
// system, so no progress window can exist there and each call fails as the
// system does for a window handle it does not know.
#pragma once

#include "platform/win32.h"

namespace progress {

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
bool destroy_window(HWND window);

// A drawing thread counts as finished when its exit code cannot be read or
// is no longer STILL_ACTIVE.
bool thread_finished(HANDLE thread);
void delete_bitmap(HBITMAP bitmap);

}  // namespace progress
