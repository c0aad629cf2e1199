// The host's message box: a library-wide caption, and where the box is put.
#include <quorvel/error.h>

#include "frame/message_box.h"
#include "platform/win32.h"

namespace {

constexpr int kTitleLength = 4096;
WCHAR g_title[kTitleLength] = {};

}  // namespace

namespace frame {

POINT place_box(int width, int height, POINT cursor, RECT monitor) {
    POINT at{cursor.x - width / 2, cursor.y - height / 2};
    if (at.x + width > monitor.right) at.x = monitor.right - width;
    if (at.y + height > monitor.bottom) at.y = monitor.bottom - height;
    if (at.x < monitor.left) at.x = monitor.left;
    if (at.y < monitor.top) at.y = monitor.top;
    return at;
}

WCHAR *message_box_title() { return g_title; }

}  // namespace frame

void Msg_SetTitle(const unsigned short *title) {
    int length = 0;
    if (title)
        for (; title[length] && length < kTitleLength - 1; ++length)
            g_title[length] = static_cast<WCHAR>(title[length]);
    g_title[length] = 0;
}
