// What only the POSIX build can show of the file operations: a disk that
// fills up, an entry that cannot be deleted, moves between file systems, a
// cancelled copy, and the trash as desktop file managers read it.
#include <quorvel/fileops.h>
#include <quorvel/fl.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using test::MessageBoxCapture;
using test::Scratch;
using test::u16;

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
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.native()), fs::directory_iterator()), 1);
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
        const fs::path info = trash / "info" / (std::string(row.kept) + ".trashinfo");
        const std::string check =
            "/usr/bin/python3 -c 'import configparser,datetime,sys,urllib.parse as u;"
            "c=configparser.ConfigParser(interpolation=None);c.read(sys.argv[1]);"
            "i=c[\"Trash Info\"];datetime.datetime.strptime(i[\"DeletionDate\"],"
            "\"%Y-%m-%dT%H:%M:%S\");sys.exit(u.unquote(i[\"Path\"])!=sys.argv[2])' '" +
            info.string() + "' '" + original.string() + "'";
        EXPECT_EQ(std::system(check.c_str()), 0) << row.kept;
        std::ifstream in(trash / "files" / row.kept);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), row.content);
    }
    fs::rename(trash / "files" / rows[1].kept, original);
    EXPECT_EQ(scratch.read(name), "1");
}

}  // namespace
