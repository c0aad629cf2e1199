// What the dialog does for its buttons and its two text messages, on the
// window thread. The Windows dialog procedure and the terminal's key and
// message handling both come here.
#pragma once

#include "platform/win32.h"

namespace progress {

// Cancel: the flag and the caller's variable to 1, then the window closes.
void press_cancel();
// Pause / resume: toggles the flag, tells the caller's variable and
// relabels the button.
void press_pause(HWND window);
// 0x8140: shows the file name and frees the block.
void receive_file_name(HWND window, unsigned short *block);
// 0x8141: takes the message unless the message thread is drawing it, and
// frees the block.
void receive_message_text(unsigned short *block);

}  // namespace progress
