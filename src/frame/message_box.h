#pragma once

#include "platform/win32.h"

namespace frame {

// Where a width x height box goes: centred on the cursor, then pulled
// inside the monitor (right, bottom, left, top; the left and top win).
POINT place_box(int width, int height, POINT cursor, RECT monitor);

}  // namespace frame
