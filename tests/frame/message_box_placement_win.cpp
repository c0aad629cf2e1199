// Where Msg_Show puts its box, read back from the real window (Windows
// and Wine under a display).
#include <quorvel/error.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::MessageBoxCapture;
using test::u16;

RECT primary_monitor() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

HWND owner_window(const wchar_t *caption) {
    return CreateWindowExW(0, L"STATIC", caption, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Shows a box with the cursor at `cursor` and returns its rectangle.
RECT box_at(POINT cursor) {
    MessageBoxCapture capture;
    EXPECT_TRUE(SetCursorPos(cursor.x, cursor.y));
    EXPECT_EQ(Msg_Show(nullptr, u16(u"placement"), MB_OK), IDOK);
    auto boxes = capture.boxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? RECT{} : boxes[0].rect;
}

TEST(MessageBoxPlacement, CentredOnTheCursorAndHeldInsideTheMonitor) {
    const RECT monitor = primary_monitor();
    const POINT centre{(monitor.left + monitor.right) / 2, (monitor.top + monitor.bottom) / 2};

    RECT box = box_at(centre);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    ASSERT_GT(width, 0);
    EXPECT_EQ(box.left, centre.x - width / 2);
    EXPECT_EQ(box.top, centre.y - height / 2);

    box = box_at(POINT{monitor.right - 10, centre.y});
    EXPECT_EQ(box.right, monitor.right);
    EXPECT_EQ(box.top, centre.y - height / 2);

    box = box_at(POINT{monitor.left + 2, monitor.top + 2});
    EXPECT_EQ(box.left, monitor.left);
    EXPECT_EQ(box.top, monitor.top);

    box = box_at(POINT{monitor.right - 1, monitor.bottom - 1});
    EXPECT_EQ(box.right, monitor.right);
    EXPECT_EQ(box.bottom, monitor.bottom);
}

TEST(MessageBoxPlacement, EmptyTitleIsTakenFromTheFirstOwnerAndKept) {
    HWND main = owner_window(L"Main");
    HWND other = owner_window(L"Other");
    Msg_SetTitle(u16(u""));
    {
        MessageBoxCapture capture;
        EXPECT_EQ(Msg_Show(main, u16(u"first"), MB_OK), IDOK);
        EXPECT_EQ(Msg_Show(other, u16(u"second"), MB_OK), IDOK);
        auto boxes = capture.boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].caption, u"Main");
        EXPECT_EQ(boxes[1].caption, u"Main");
    }
    Msg_SetTitle(u16(u""));
    DestroyWindow(main);
    DestroyWindow(other);
}

}  // namespace
