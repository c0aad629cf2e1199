#include <quorvel/error.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::MessageBoxCapture;
using test::str16;
using test::u16;

// The system texts are those of the Japanese system the tests run on (Wine's
// message tables on both builds).
TEST(ErrorReport, ShowsTheCodeWithTheSystemTextAndReturnsIt) {
    test::JapaneseCodePage japanese;
    MessageBoxCapture capture;
    SetLastError(5);
    EXPECT_EQ(Err_Message(0), 5);
    EXPECT_EQ(GetLastError(), 5u);  // still the reported error after the box
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Error Message");
    EXPECT_EQ(boxes[0].text, u"[Error:5] アクセスが拒否されました。\r\n");
    if (!test::kWindowsBuild) EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
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
    test::JapaneseCodePage japanese;
    unsigned short text[1024] = {};
    SetLastError(2);
    EXPECT_EQ(Err_GetMessage(text, 0), 2);
    const std::u16string reference = str16(text);
    EXPECT_EQ(reference, u"ファイルが見つかりません。\r\n");
    WCHAR english[64];
    EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0x409, english, 64, nullptr), 17u);
    EXPECT_EQ(str16(reinterpret_cast<unsigned short *>(english)), u"File not found.\r\n");

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
    if (!test::kWindowsBuild) EXPECT_EQ(boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

}  // namespace
