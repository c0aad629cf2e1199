// What only the POSIX platform layer can show: injected short and failing
// transfers, stale handles, and creation times kept beside the file.
#include <quorvel/fl.h>

#include "files/scratch.h"
#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::MessageBoxCapture;
using test::Scratch;

// Lets `budget` bytes through, then fails with `code` (0: comes up short).
struct Budget {
    int operation;
    DWORD budget;
    DWORD code;
    static DWORD hook(void *context, int operation, HANDLE, DWORD requested, DWORD *allowed) {
        auto *self = static_cast<Budget *>(context);
        if (operation != self->operation) return 0;
        if (requested <= self->budget) {
            self->budget -= requested;
            return 0;
        }
        *allowed = self->budget;
        self->budget = 0;
        return self->code;
    }
};

class FaultHook {
public:
    explicit FaultHook(Budget &budget) { Quorvel_SetFileFaultHook(&Budget::hook, &budget); }
    ~FaultHook() { Quorvel_SetFileFaultHook(nullptr, nullptr); }
};

TEST(FlFaults, FullDiskAndFailingReadsGiveTheSentinelAndOneReport) {
    Scratch scratch;
    const auto path = scratch.path(u"full.bin");
    void *file = Fl_Open(Scratch::u16(path), FL_CREATE, 1);
    ASSERT_NE(file, nullptr);
    const std::string block(100, 'x');
    {
        Budget budget{1, 150, ERROR_DISK_FULL};
        FaultHook hook(budget);
        MessageBoxCapture capture;
        EXPECT_EQ(Fl_Write(file, block.data(), 100), 100u);
        EXPECT_EQ(Fl_Write(file, block.data(), 100), FL_FAILED);
        const auto boxes = capture.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, u"[Error:112] There is not enough space on the disk.\r\n");
    }
    EXPECT_EQ(Fl_FileSize(file), 150);  // what fitted stays written
    {
        Budget budget{1, 10, 0};
        FaultHook hook(budget);
        EXPECT_EQ(Fl_Write(file, block.data(), 100), 10u);  // a short write
        EXPECT_EQ(Fl_Write(file, test::u16(u"abc")), 0u);   // count fits nowhere
    }
    EXPECT_EQ(Fl_Seek(file, 0, FILE_BEGIN), 0);
    {
        Budget budget{0, 64, ERROR_IO_DEVICE};
        FaultHook hook(budget);
        MessageBoxCapture capture;
        char chunk[100];
        EXPECT_EQ(Fl_Read(file, chunk, 50), 50u);
        EXPECT_EQ(Fl_Read(file, chunk, 50), FL_FAILED);
        EXPECT_EQ(capture.boxes().size(), 1u);
    }
    EXPECT_EQ(Fl_Close(file), 1);
}

TEST(FlFaults, StaleAndMadeUpHandlesAreRefused) {
    Scratch scratch;
    void *file = Fl_Open(Scratch::u16(scratch.file(u"stale.bin", 4)), FL_READ, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Fl_Close(file), 1);
    MessageBoxCapture capture;
    char byte;
    EXPECT_EQ(Fl_Read(file, &byte, 1), FL_FAILED);
    EXPECT_EQ(Fl_Close(file), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Fl_FileSize(reinterpret_cast<void *>(0x12345)), -1);
    EXPECT_EQ(capture.boxes().size(), 2u);
}

TEST(FlFaults, PathsWithoutAPosixMappingFailHonestly) {
    MessageBoxCapture capture;
    EXPECT_EQ(Fl_Open(test::u16(u"C:\\nowhere.bin"), FL_CREATE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Fl_Open(test::u16(u"\\\\server\\share\\a.bin"), FL_CREATE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_NETPATH));
    EXPECT_EQ(Fl_Open(test::u16(u"Z:\\tmp\\a?.bin"), FL_CREATE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(FlTimePosix, CreationTimeIsKeptWhereTheFileSystemAllows) {
    Scratch scratch;
    void *file = Fl_Open(Scratch::u16(scratch.file(u"born.bin", 4)), FL_UPDATE, 0);
    ASSERT_NE(file, nullptr);
    FILETIME before{};
    EXPECT_EQ(Fl_GetFileTime(file, &before, nullptr, nullptr), 1);
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
    EXPECT_EQ(Fl_Close(file), 1);
}

}  // namespace
