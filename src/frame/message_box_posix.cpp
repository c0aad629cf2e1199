// Msg_Show without a desktop: there is nothing to place, and no owner to
// name the box after.
#include <quorvel/error.h>

#include "frame/message_box.h"

int Msg_Show(HWND owner, const unsigned short *text, UINT style) {
    return MessageBoxW(owner, as_wide(text), frame::message_box_title(), style);
}
