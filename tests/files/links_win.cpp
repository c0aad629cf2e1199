// The open, save and folder dialogs, opened by the test's thread and
// answered by another that finds them on screen and presses their buttons.
#include <quorvel/links.h>

#include "support/message_box_capture.h"
#include "support/own_dialog.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using test::Scratch;
using test::u16;

constexpr int kFileName = 0x47C;  // cmb13, the file name box of the explorer-style dialogs

TEST(CflDialogs, OpenedAndAnswered) {
    const Scratch scratch;
    scratch.write("a.txt", "x");
    const std::u16string folder = scratch.path();
    const struct {
        int dialog;  // 0 open, 1 save, 2 folder
        int button;
        const wchar_t *name;
        std::u16string expected;  // empty: cancelled, null
    } rows[] = {
        {0, IDCANCEL, nullptr, u""},
        {0, IDOK, L"a.txt", scratch.path("a.txt")},
        {1, IDOK, L"a.txt", scratch.path("a.txt")},
        {2, IDCANCEL, nullptr, u""},
        {2, IDOK, nullptr, folder},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.dialog * 10 + row.button);
        std::atomic<bool> returned{false};
        std::thread presser([&] {
            HWND dialog = nullptr;
            while (!returned && !(dialog = test::find_own_dialog(IDCANCEL))) Sleep(20);
            if (!dialog) return;
            if (row.name) SetDlgItemTextW(dialog, kFileName, row.name);
            PostMessageW(dialog, WM_COMMAND, row.button, 0);
        });
        unsigned short *result =
            row.dialog == 2 ? Cfl_SelectedFolder(nullptr, nullptr, u16(folder), 0)
            : row.dialog == 1
                ? Cfl_SavedFile(nullptr, nullptr, u16(u"txt"), u16(u"保存"), u16(folder), 0, 0)
                : Cfl_SelectedFile(nullptr, nullptr, u16(u"txt"), u16(u"開く"), u16(folder), 0, 0);
        returned = true;
        presser.join();
        if (row.expected.empty()) {
            EXPECT_EQ(result, nullptr);
        } else {
            ASSERT_NE(result, nullptr);
            EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(result)), row.expected);
        }
    }
}

}  // namespace
