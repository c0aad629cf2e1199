#pragma once

#include "platform/win32.h"

namespace frame {

// Where a width x height box goes: centred on the cursor, then pulled
// inside the monitor (right, bottom, left, top; the left and top win).
POINT place_box(int width, int height, POINT cursor, RECT monitor);

// The caption Msg_SetTitle set (empty: the owner's own, or none).
WCHAR *message_box_title();

}  // namespace frame
