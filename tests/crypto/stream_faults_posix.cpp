// A stream that meets a full file system or a failing read ends with 0 and
// keeps every chunk it wrote before.
#include <quorvel/fl.h>
#include <quorvel/stream.h>

#include "stream_files.h"
#include "support/message_box_capture.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace {

using test::Bytes;
using test::Handle;

constexpr std::size_t kMiB = 1024 * 1024;
const unsigned char kKey[] = "5f4dcc3b5aa765d6";

// A 2 MiB tmpfs for the length of a test; skipped where mounting is not
// allowed.
struct SmallFileSystem {
    test::ScratchFolder mount_point;
    bool mounted = false;
    SmallFileSystem() {
        const std::string where = mount_point.path("").string();
        mounted = mount("tmpfs", where.c_str(), "tmpfs", 0, "size=2m") == 0;
    }
    ~SmallFileSystem() {
        if (mounted) umount(mount_point.path("").string().c_str());
    }
};

// Decrypts the first `bytes` of an enciphered file (into `scratch`) and
// compares them with the plain text.
void expect_prefix_of(const test::ScratchFolder &folder, const std::string &body,
                      const test::ScratchFolder &scratch, const Bytes &plain, std::size_t bytes) {
    Handle in(folder.open(body, FL_READ)), out(scratch.open("check", FL_CREATE));
    ASSERT_EQ(Bwf_Decrypt(in, out, kKey, static_cast<int64_t>(bytes)), 1);
    EXPECT_EQ(scratch.read("check"), Bytes(plain.begin(), plain.begin() + static_cast<long>(bytes)));
}

TEST(BlowfishStreamFaults, FullFileSystemEndsTheStreamKeepingWholeChunks) {
    SmallFileSystem disk;
    if (!disk.mounted) GTEST_SKIP() << "cannot mount a tmpfs here";
    test::MessageBoxCapture boxes;
    test::ScratchFolder files;
    test::ScratchFolder full(disk.mount_point.path(""));
    const Bytes plain = test::pattern(5 * kMiB + 3);
    files.write("plain", plain);

    ASSERT_EQ(Bwf_Init(512 * 1024), 1);  // 1 MiB chunks
    {
        Handle in(files.open("plain", FL_READ));
        Handle out(full.open("body", FL_CREATE));
        ASSERT_TRUE(out.file);
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    const std::size_t kept = full.read("body").size();
    EXPECT_GE(kept, kMiB);
    EXPECT_LT(kept, 5 * kMiB);
    expect_prefix_of(full, "body", files, plain, kept / kMiB * kMiB);
    Bwf_Destroy();
}

// Faults the n-th read or write of one handle.
struct Fault {
    void *file;
    int operation;  // 0 read, 1 write
    int countdown;
    DWORD allowed;
    DWORD error;
};
Fault g_fault;

DWORD inject(void *, int operation, HANDLE file, DWORD, DWORD *allowed) {
    if (file != g_fault.file || operation != g_fault.operation || --g_fault.countdown != 0) return 0;
    *allowed = g_fault.allowed;
    return g_fault.error;
}

struct FaultHook {
    explicit FaultHook(Fault fault) {
        g_fault = fault;
        previous = Quorvel_SetFileFaultHook(inject, nullptr);
    }
    ~FaultHook() { Quorvel_SetFileFaultHook(previous, nullptr); }
    QuorvelFileFaultHook previous;
};

TEST(BlowfishStreamFaults, ShortWriteOrFailedReadEndsWithZero) {
    test::MessageBoxCapture boxes;
    test::ScratchFolder files;
    const Bytes plain = test::pattern(4 * kMiB);
    files.write("plain", plain);
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);

    {  // the third write stores half a chunk
        Handle in(files.open("plain", FL_READ)), out(files.open("short", FL_CREATE));
        FaultHook hook({out.file, 1, 3, kMiB / 2, 0});
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    EXPECT_EQ(files.read("short").size(), 2 * kMiB + kMiB / 2);
    expect_prefix_of(files, "short", files, plain, 2 * kMiB);

    {  // the second read fails with a device error
        Handle in(files.open("plain", FL_READ)), out(files.open("unread", FL_CREATE));
        FaultHook hook({in.file, 0, 2, 0, ERROR_IO_DEVICE});
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    EXPECT_EQ(files.read("unread").size(), kMiB);
    expect_prefix_of(files, "unread", files, plain, kMiB);

    Handle body(files.open("short", FL_READ));
    {  // decrypting: the second write fails outright
        Handle out(files.open("restored", FL_CREATE));
        FaultHook hook({out.file, 1, 2, 0, ERROR_DISK_FULL});
        EXPECT_EQ(Bwf_Decrypt(body, out, kKey, 2 * kMiB), 0);
    }
    EXPECT_EQ(files.read("restored"), Bytes(plain.begin(), plain.begin() + kMiB));

    {  // verifying: the original cannot be read
        Handle original(files.open("plain", FL_READ));
        Fl_Seek(body, 0, 0);
        FaultHook hook({original.file, 0, 1, 0, ERROR_IO_DEVICE});
        EXPECT_EQ(Bwf_Verify(body, original, kKey, 2 * kMiB), 0);
    }
    // Each failed system call was shown once; a short write is no failure
    // of the call itself.
    EXPECT_EQ(boxes.boxes().size(), 3u);
    Bwf_Destroy();
}

}  // namespace
