// Windows facts: drive roots and the shell's folders.
#include <quorvel/paths.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

using test::str16;

TEST(CflDriveWin, SystemDriveAndShellFolders) {
    EXPECT_EQ(Cfl_IsLocalDrive(test::u16(u"C:\\")), 1);
    EXPECT_EQ(Cfl_IsLocalDrive(test::u16(u"\\\\?\\C:\\windows")), 1);
    EXPECT_EQ(Cfl_IsDriveAndFolder(test::u16(u"C:\\")), 1);
    EXPECT_EQ(Cfl_IsNetDrive(test::u16(u"C:\\")), 0);

    unsigned short folder[QUORVEL_MAX_TEXT] = {};
    ASSERT_EQ(Cfl_GetSystemFolder(folder, CSIDL_WINDOWS), 1);
    const std::u16string windows = str16(folder);
    EXPECT_EQ(windows.back(), u'\\');
    EXPECT_EQ(Cfl_IsFolder(folder), 1);
    ASSERT_EQ(Cfl_GetDesktop(folder), 1);
    EXPECT_EQ(str16(folder).back(), u'\\');
    ASSERT_EQ(Cfl_GetMyDocument(folder), 1);
    EXPECT_EQ(Cfl_IsFolder(folder), 1);
}

}  // namespace
