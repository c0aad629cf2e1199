// What only the POSIX platform layer can show: injected short and failing
// transfers, stale handles, and creation times kept beside the file.
#include <quorvel/fl.h>
#include <quorvel/paths.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>

namespace {

using test::FileFault;
using test::MessageBoxCapture;
using test::Scratch;

TEST(FlFaults, FullDiskAndFailingReadsGiveTheSentinelAndOneReport) {
    Scratch scratch;
    void *file = scratch.open("full.bin", FL_CREATE, 1);
    ASSERT_NE(file, nullptr);
    const std::string block(100, 'x');
    {
        FileFault fault(1, 150, ERROR_DISK_FULL);
        MessageBoxCapture capture;
        EXPECT_EQ(Fl_Write(file, block.data(), 100), 100u);
        EXPECT_EQ(Fl_Write(file, block.data(), 100), FL_FAILED);
        const auto boxes = capture.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, u"[Error:112] Disk full.\r\n");
    }
    EXPECT_EQ(Fl_FileSize(file), 150);  // what fitted stays written
    {
        FileFault fault(1, 10, 0);
        EXPECT_EQ(Fl_Write(file, block.data(), 100), 10u);  // a short write
        EXPECT_EQ(Fl_Write(file, test::u16(u"abc")), 0u);   // count fits nowhere
    }
    EXPECT_EQ(Fl_Seek(file, 0, FILE_BEGIN), 0);
    {
        FileFault fault(0, 64, ERROR_IO_DEVICE);
        MessageBoxCapture capture;
        char chunk[100];
        EXPECT_EQ(Fl_Read(file, chunk, 50), 50u);
        EXPECT_EQ(Fl_Read(file, chunk, 50), FL_FAILED);
        EXPECT_EQ(capture.boxes().size(), 1u);
    }
    EXPECT_EQ(Fl_Close(file), 1);
}

TEST(FlFaults, StaleMadeUpAndUnmappableHandlesAreRefused) {
    Scratch scratch;
    scratch.file("stale.bin", 4);
    void *file = scratch.open("stale.bin", FL_READ, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_Close(file), 1);
    {
        MessageBoxCapture capture;
        char byte;
        EXPECT_EQ(Fl_Read(file, &byte, 1), FL_FAILED);
        EXPECT_EQ(Fl_Close(file), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(Fl_FileSize(reinterpret_cast<void *>(0x12345)), -1);
        EXPECT_EQ(capture.boxes().size(), 2u);
    }
    // Paths without a POSIX mapping fail honestly.
    MessageBoxCapture capture;
    const std::pair<const char16_t *, DWORD> unmapped[] = {
        {u"C:\\nowhere.bin", ERROR_PATH_NOT_FOUND},
        {u"\\\\server\\share\\a.bin", ERROR_BAD_NETPATH},
        {u"Z:\\tmp\\a?.bin", ERROR_INVALID_NAME}};
    for (const auto &[path, error] : unmapped) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(path)));
        EXPECT_EQ(Fl_Open(test::u16(path), FL_CREATE, 0), nullptr);
        EXPECT_EQ(GetLastError(), error);
    }
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(FlTimePosix, CreationTimeIsKeptWhereTheFileSystemAllows) {
    Scratch scratch;
    scratch.file("born.bin", 4);
    void *file = scratch.open("born.bin", FL_UPDATE, 0);
    ASSERT_NE(file, nullptr);
    const uint64_t born = 125911584000000000ull;  // 2000-01-01
    const FILETIME creation{static_cast<DWORD>(born), static_cast<DWORD>(born >> 32)};
    if (Fl_SetFileTime(file, &creation, nullptr, nullptr)) {
        FILETIME after{};
        EXPECT_EQ(Fl_GetFileTime(file, &after, nullptr, nullptr), 1);
        EXPECT_EQ(after.dwLowDateTime, creation.dwLowDateTime);
        EXPECT_EQ(after.dwHighDateTime, creation.dwHighDateTime);
    } else {
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    }
    // A kept time past the largest file time, as any program may write it,
    // counts as none.
    const unsigned char hostile[8] = {0, 0, 0, 0, 0, 0, 0, 0x80};
    if (setxattr(scratch.native("born.bin").c_str(), "user.quorvel.crtime", hostile, 8, 0) == 0) {
        FILETIME after{};
        EXPECT_EQ(Fl_GetFileTime(file, &after, nullptr, nullptr), 1);
        EXPECT_LT(after.dwHighDateTime, 0x80000000u);
        EXPECT_GT(Cfl_GetFileCtTime(test::u16(scratch.path("born.bin"))), 0);
    }
    EXPECT_EQ(Fl_Close(file), 1);
}

}  // namespace
