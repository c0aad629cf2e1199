#include <quorvel/error.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::MessageBoxCapture;
using test::str16;
using test::u16;

TEST(ErrorReport, ShowsTheCodeWithTheSystemTextAndReturnsIt) {
    MessageBoxCapture capture;
    SetLastError(5);
    EXPECT_EQ(Err_Message(0), 5);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Error Message");
    EXPECT_EQ(boxes[0].text.rfind(u"[Error:5] ", 0), 0u);
    EXPECT_GT(boxes[0].text.size(), 10u);  // followed by the system's text
#ifndef _WIN32
    EXPECT_EQ(boxes[0].text, u"[Error:5] Access is denied.\r\n");
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
#endif
}

TEST(ErrorReport, SilentForNoErrorAndForTheCodeNotToReport) {
    MessageBoxCapture capture;
    SetLastError(0);
    EXPECT_EQ(Err_Message(0), 0);
    SetLastError(183);
    EXPECT_EQ(Err_Message(183), 183);
    EXPECT_TRUE(capture.boxes().empty());

    unsigned short text[64] = {'k', 'e', 'p', 't', 0};
    SetLastError(0);
    EXPECT_EQ(Err_GetMessage(text, 0), 0);
    SetLastError(2);
    EXPECT_EQ(Err_GetMessage(text, 2), 2);
    EXPECT_EQ(str16(text), u"kept");
}

TEST(ErrorReport, GetMessageCopiesTheSystemText) {
    unsigned short text[1024] = {};
    SetLastError(2);
    EXPECT_EQ(Err_GetMessage(text, 0), 2);
    // The system's text in its language: natively Windows' English one.
    const std::u16string reference = str16(text);
    EXPECT_GT(reference.size(), 5u);
#ifndef _WIN32
    EXPECT_EQ(reference, u"The system cannot find the file specified.\r\n");
#endif

    unsigned short small[6];
    SetLastError(2);
    EXPECT_EQ(Err_GetMessageN(small, 6, 0), 2);
    EXPECT_EQ(str16(small), reference.substr(0, 5));
}

TEST(HostMessageBox, ShowsTheTitleAndPassesTheStyleThrough) {
    MessageBoxCapture capture(IDOK);
    Msg_SetTitle(u16(u"Quorvel テスト"));
    EXPECT_EQ(Msg_Show(nullptr, u16(u"本文"), MB_OK | MB_ICONEXCLAMATION), IDOK);
    Msg_SetTitle(u16(u""));
    EXPECT_EQ(Msg_Show(nullptr, u16(u"no title"), MB_OK), IDOK);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, u"Quorvel テスト");
    EXPECT_EQ(boxes[0].text, u"本文");
    EXPECT_EQ(boxes[1].caption, u"");
#ifndef _WIN32
    EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
#endif
}

}  // namespace
