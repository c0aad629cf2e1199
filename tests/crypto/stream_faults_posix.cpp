// A stream that meets a full file system or a failing read ends with 0 and
// keeps every chunk it wrote before.
#include <quorvel/fl.h>
#include <quorvel/stream.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <memory>

#include <sys/mount.h>

namespace {

using test::Bytes;
using test::FileFault;
using test::Handle;

constexpr DWORD kMiB = 1024 * 1024;
const unsigned char kKey[] = "5f4dcc3b5aa765d6";

// Decrypts the first `bytes` of an enciphered file (into `scratch`) and
// compares them with the plain text.
void expect_prefix_of(const test::Scratch &folder, const std::string &body,
                      const test::Scratch &scratch, const Bytes &plain, std::size_t bytes) {
    Handle in(folder.open(body, FL_READ)), out(scratch.open("check", FL_CREATE));
    ASSERT_EQ(Bwf_Decrypt(in, out, kKey, static_cast<int64_t>(bytes)), 1);
    EXPECT_EQ(scratch.read("check"), plain.substr(0, bytes));
}

TEST(BlowfishStreamFaults, FullFileSystemEndsTheStreamKeepingWholeChunks) {
    // A 2 MiB tmpfs; skipped where mounting is not allowed.
    test::Scratch mount_point;
    const std::string where = mount_point.native().string();
    if (mount("tmpfs", where.c_str(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::shared_ptr<void> unmount(nullptr, [&](void *) { umount(where.c_str()); });
    test::MessageBoxCapture boxes;
    test::Scratch files, full(mount_point.native());
    const Bytes plain = test::pattern(5 * kMiB + 3);
    files.write("plain", plain);
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);  // 1 MiB chunks
    {
        Handle in(files.open("plain", FL_READ)), out(full.open("body", FL_CREATE));
        ASSERT_TRUE(out.file);
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    const std::size_t kept = full.read("body").size();
    EXPECT_GE(kept, kMiB);
    EXPECT_LT(kept, 5 * kMiB);
    expect_prefix_of(full, "body", files, plain, kept / kMiB * kMiB);
    Bwf_Destroy();
}

TEST(BlowfishStreamFaults, ShortWriteOrFailedReadEndsWithZero) {
    test::MessageBoxCapture boxes;
    test::Scratch files;
    const Bytes plain = test::pattern(4 * kMiB);
    files.write("plain", plain);
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);  // 1 MiB chunks

    {  // the third write stores half a chunk
        Handle in(files.open("plain", FL_READ)), out(files.open("short", FL_CREATE));
        FileFault fault(1, 2 * kMiB + kMiB / 2, 0);
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    EXPECT_EQ(files.read("short").size(), 2 * kMiB + kMiB / 2);
    expect_prefix_of(files, "short", files, plain, 2 * kMiB);

    {  // the second read fails with a device error
        Handle in(files.open("plain", FL_READ)), out(files.open("unread", FL_CREATE));
        FileFault fault(0, kMiB, ERROR_IO_DEVICE, in);
        EXPECT_EQ(Bwf_Encrypt(in, out, kKey, 0), 0);
    }
    EXPECT_EQ(files.read("unread").size(), kMiB);
    expect_prefix_of(files, "unread", files, plain, kMiB);

    Handle body(files.open("short", FL_READ));
    {  // decrypting: the second write fails outright
        Handle out(files.open("restored", FL_CREATE));
        FileFault fault(1, kMiB, ERROR_DISK_FULL);
        EXPECT_EQ(Bwf_Decrypt(body, out, kKey, 2 * kMiB), 0);
    }
    EXPECT_EQ(files.read("restored"), plain.substr(0, kMiB));

    {  // verifying: the original cannot be read
        Handle original(files.open("plain", FL_READ));
        Fl_Seek(body, 0, 0);
        FileFault fault(0, 0, ERROR_IO_DEVICE, original);
        EXPECT_EQ(Bwf_Verify(body, original, kKey, 2 * kMiB), 0);
    }
    // Each failed system call was shown once; a short write is no failure
    // of the call itself.
    EXPECT_EQ(boxes.boxes().size(), 3u);
    Bwf_Destroy();
}

}  // namespace
