// What only the POSIX build can show of the file operations: a disk that
// fills up, an entry that cannot be deleted, a cancelled copy, and the trash
// as desktop file managers read it.
#include <quorvel/fileops.h>
#include <quorvel/fl.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using test::MessageBoxCapture;
using test::Scratch;
using test::u16;

TEST(FileOpsPosix, CopyOntoAFullDiskFailsOnceAndKeepsBothFiles) {
    const struct {
        size_t size;
        const char *old_target;  // an existing destination, kept as it was
    } rows[] = {{100, nullptr}, {3 << 20, nullptr}, {3 << 20, "old"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.size);
        Scratch scratch;
        const std::u16string source = scratch.file("a.bin", row.size);
        if (row.old_target) scratch.write("b.bin", row.old_target);
        MessageBoxCapture capture;
        {
            test::FileFault fault(1, 50, ERROR_DISK_FULL);
            EXPECT_EQ(Cfl_CopyFile(nullptr, u16(source), u16(scratch.path("b.bin")), nullptr), 0);
        }
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_EQ(capture.boxes()[0].text, u"[Error:112] Disk full.\r\n");
        EXPECT_EQ(scratch.read("a.bin"), test::pattern(row.size));
        const std::set<std::string> expected =
            row.old_target ? std::set<std::string>{"a.bin", "b.bin"} : std::set<std::string>{"a.bin"};
        EXPECT_EQ(scratch.tree(), expected);
        if (row.old_target) {
            EXPECT_EQ(scratch.read("b.bin"), row.old_target);
        }
    }
}

TEST(FileOpsPosix, RecursiveDeleteStopsAtAFileHeldOpenAndNeverFollowsALink) {
    Scratch outside;
    outside.file("kept.txt", 9);
    Scratch scratch;
    scratch.file("t/held/open.txt", 5);
    fs::create_directory_symlink(outside.native(), scratch.native("t/link"));
    {
        // Opened without FILE_SHARE_DELETE: Windows refuses to delete it.
        test::Handle held(scratch.open("t/held/open.txt", FL_READ));
        ASSERT_NE(held.file, nullptr);
        MessageBoxCapture capture;
        EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("t")), nullptr), 0);
        ASSERT_EQ(capture.boxes().size(), 1u);  // no next start to leave it to
        EXPECT_EQ(capture.boxes()[0].text.substr(0, 10), u"[Error:50]");
        EXPECT_EQ(scratch.read("t/held/open.txt"), test::pattern(5));
    }
    EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("t")), nullptr), 1);
    EXPECT_FALSE(fs::exists(scratch.native("t")));
    EXPECT_EQ(outside.read("kept.txt"), test::pattern(9));
}

DWORD CALLBACK cancel_at_first_chunk(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER,
                                     LARGE_INTEGER done, DWORD, DWORD, HANDLE, HANDLE,
                                     LPVOID) {
    return done.QuadPart ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

TEST(FileOpsPosix, CancelledCopiesAreAbortedAndLeaveNoTarget) {
    Scratch scratch;
    const std::u16string source = scratch.file("a.bin", 3 << 20), target = scratch.path("b.bin");
    auto from = reinterpret_cast<LPCWSTR>(source.c_str());
    auto to = reinterpret_cast<LPCWSTR>(target.c_str());
    BOOL cancel = TRUE;
    EXPECT_FALSE(CopyFileExW(from, to, nullptr, nullptr, &cancel, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_FALSE(CopyFileExW(from, to, cancel_at_first_chunk, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_REQUEST_ABORTED));
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"a.bin"});
}

TEST(FileOpsPosix, TrashedFilesCarryAValidInfoFileAndGoBackByAMove) {
    Scratch scratch;
    setenv("XDG_DATA_HOME", scratch.native("data").c_str(), 1);
    const std::string name = "名前 a%#.txt";
    const fs::path original = scratch.native(name);
    for (int round = 0; round < 2; ++round) {
        scratch.write(name, std::to_string(round));
        const std::u16string list = scratch.path(name) + u'\0';
        EXPECT_EQ(Cfl_DeleteFileShell(nullptr, u16(list), 1), 1);
        EXPECT_FALSE(fs::exists(original));
    }
    unsetenv("XDG_DATA_HOME");
    const fs::path trash = scratch.native("data/Trash");
    // The second item takes the shell's next name; Python reads both infos.
    const struct {
        const char *kept, *content;
    } rows[] = {{"名前 a%#.txt", "0"}, {"名前 a%# (2).txt", "1"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kept);
        const fs::path info = trash / "info" / (std::string(row.kept) + ".trashinfo");
        const std::string check =
            "/usr/bin/python3 -c 'import configparser,datetime,sys,urllib.parse as u;"
            "c=configparser.ConfigParser(interpolation=None);c.read(sys.argv[1]);"
            "i=c[\"Trash Info\"];datetime.datetime.strptime(i[\"DeletionDate\"],"
            "\"%Y-%m-%dT%H:%M:%S\");sys.exit(u.unquote(i[\"Path\"])!=sys.argv[2])' '" +
            info.string() + "' '" + original.string() + "'";
        EXPECT_EQ(std::system(check.c_str()), 0);
        std::ifstream in(trash / "files" / row.kept);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), row.content);
    }
    fs::rename(trash / "files" / rows[1].kept, original);
    EXPECT_EQ(scratch.read(name), "1");
}

}  // namespace
