// Copy, move, delete, rename, folder chains, recursive deletion and the
// quiet shell operations, on both builds; results read back with
// std::filesystem, never through the library.
#include <quorvel/attributes.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "support/dialog_titles.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace {

namespace fs = std::filesystem;
using test::MessageBoxCapture;
using test::Scratch;
using test::u16;

constexpr int kProgressCounter = 9013;  // a control only the progress dialog has

void make_read_only(const fs::path &path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

bool writable(const fs::path &path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// Files holding their names, and folders ("a/").
void make_tree(const Scratch &scratch, std::initializer_list<const char *> names) {
    for (const char *name : names) {
        if (std::string(name).back() == '/') fs::create_directories(scratch.native(name));
        else scratch.write(name, name);
    }
}

TEST(CflCopyMove, WindowFromOneMebibyteOrAcrossDrivesAndNeverReadOnly) {
    const struct {
        bool move;
        size_t size;
        bool other_drive;  // the same drive with its letter's case changed
        const char16_t *window;
    } rows[] = {
        {false, 1048575, false, nullptr},
        {false, 1048576, false, u"ファイルのコピー"},
        {true, 1048576, false, nullptr},
        {true, 10, true, u"ファイルの移動"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "move " << row.move << ", size " << row.size);
        Scratch scratch;
        const std::u16string source = scratch.file("a.bin", row.size);
        std::u16string target = scratch.path("b.bin");
        if (row.other_drive) target[0] = static_cast<char16_t>(std::tolower(target[0]));
        fs::last_write_time(scratch.native("a.bin"),
                            fs::file_time_type::clock::now() - std::chrono::hours(30));
        const auto written = fs::last_write_time(scratch.native("a.bin"));
        make_read_only(scratch.native("a.bin"));
        int result;
        {
            test::DialogTitles titles(kProgressCounter);
            result = row.move ? Cfl_MoveFile(nullptr, u16(source), u16(target), nullptr)
                              : Cfl_CopyFile(nullptr, u16(source), u16(target), nullptr);
            const bool shown = titles.saw(u"ファイルのコピー") || titles.saw(u"ファイルの移動");
            EXPECT_EQ(shown, row.window && test::kDesktop);
            if (row.window) {
                EXPECT_EQ(titles.saw(row.window), test::kDesktop);
            }
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(scratch.read("b.bin"), test::pattern(row.size));
        EXPECT_TRUE(writable(scratch.native("b.bin")));
        EXPECT_EQ(fs::last_write_time(scratch.native("b.bin")), written);
        EXPECT_EQ(fs::exists(scratch.native("a.bin")), !row.move);
        if (!row.move) fs::permissions(scratch.native("a.bin"), fs::perms::owner_write,
                                       fs::perm_options::add);
    }
}

TEST(CflCopyMove, MissingSourceIsNoFailureAndAReadOnlyTargetIsRefused) {
    Scratch scratch;
    const std::u16string source = scratch.file("a.bin", 5), target = scratch.file("b.bin", 7);
    EXPECT_EQ(Cfl_CopyFile(nullptr, u16(scratch.path("none")), u16(target), nullptr), 1);
    EXPECT_EQ(Cfl_MoveFile(nullptr, u16(scratch.path("none")), u16(target), nullptr), 1);
    make_read_only(scratch.native("b.bin"));
    // Wine leaves read-only to the Unix permissions, which root passes.
    const bool refused = !test::under_wine();
    MessageBoxCapture capture;
    EXPECT_EQ(Cfl_CopyFile(nullptr, u16(source), u16(target), nullptr), refused ? 0 : 1);
    ASSERT_EQ(capture.boxes().size(), refused ? 1u : 0u);
    if (refused) {
        EXPECT_EQ(capture.boxes()[0].text.substr(0, 9), u"[Error:5]");
    }
    EXPECT_EQ(scratch.read("b.bin"), test::pattern(refused ? 7 : 5));
    fs::permissions(scratch.native("b.bin"), fs::perms::owner_write, fs::perm_options::add);
}

TEST(CflCopyMove, MoveReplacesAnExistingFile) {
    Scratch scratch;
    const std::u16string source = scratch.file("a.bin", 5), target = scratch.file("b.bin", 7);
    EXPECT_EQ(Cfl_MoveFile(nullptr, u16(source), u16(target), nullptr), 1);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"b.bin"});
    EXPECT_EQ(scratch.read("b.bin"), test::pattern(5));
}

// Wine puts Z:\dev\shm on a file system of its own, as it is natively.
TEST(CflCopyMove, AcrossVolumesAFileMovesAndAFolderFailsWithWindowsCodes) {
    const fs::path shm = test::kWindowsBuild ? "Z:\\dev\\shm" : "/dev/shm";
    std::error_code same;
    if (!fs::is_directory(shm, same)) GTEST_SKIP() << "no " << shm;
    Scratch scratch, other(shm);
    scratch.file("f/c.txt", 4);
    fs::rename(scratch.native("f"), other.native("f"), same);
    if (!same) GTEST_SKIP() << shm << " is on the same volume";
    scratch.file("a.bin", 3 << 20);
    // Windows passes a folder to its copy, which refuses one.
    const struct { const char *name; DWORD flags, code; } rows[] = {
        {"a.bin", 0, ERROR_NOT_SAME_DEVICE}, {"f", 0, ERROR_NOT_SAME_DEVICE},
        {"f", MOVEFILE_COPY_ALLOWED, ERROR_ACCESS_DENIED},
        {"f", MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.name << ", flags " << row.flags);
        SetLastError(0);
        EXPECT_FALSE(MoveFileExW(reinterpret_cast<LPCWSTR>(scratch.path(row.name).c_str()),
                                 reinterpret_cast<LPCWSTR>(other.path(row.name).c_str()),
                                 row.flags));
        EXPECT_EQ(GetLastError(), row.code);
    }
    MessageBoxCapture capture;
    EXPECT_EQ(Cfl_MoveFile(nullptr, u16(scratch.path("a.bin")), u16(other.path("b")), nullptr), 1);
    EXPECT_EQ(other.read("b"), test::pattern(3 << 20));
    EXPECT_EQ(Cfl_RenameFile(u16(scratch.path("f\\c.txt")), u16(other.path("c.txt"))), 1);
    EXPECT_EQ(Cfl_RenameFile(u16(scratch.path("f")), u16(other.path("f"))), 0);
    ASSERT_EQ(capture.boxes().size(), 1u);
    EXPECT_EQ(capture.boxes()[0].text.substr(0, 10), u"[Error:5] ");
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"f/"});
    EXPECT_EQ(other.tree(), (std::set<std::string>{"b", "c.txt"}));
}

// The codes Windows gives for paths that lead nowhere.
TEST(CflAttributes, MissingPathsFailWithWindowsCodes) {
    Scratch scratch;
    scratch.file("a.txt", 1);
    const std::u16string folder = scratch.path();
    const struct {
        const char *name;
        std::u16string path;
        DWORD code;
    } rows[] = {
        {"missing file", folder + u"none.txt", ERROR_FILE_NOT_FOUND},
        {"missing folder on the way", folder + u"no folder\\none.txt", ERROR_PATH_NOT_FOUND},
        {"file on the way", folder + u"a.txt\\none.txt", ERROR_PATH_NOT_FOUND},
        // Inside a long form only the backslash separates.
        {"slash in a long form", folder.substr(0, folder.size() - 1) + u"/a.txt",
         ERROR_INVALID_NAME},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        DWORD attributes = 0;
        EXPECT_EQ(Cfl_GetFileAttr(u16(row.path), attributes, 0), 0);
        EXPECT_EQ(GetLastError(), row.code);
    }
}

TEST(CflDelete, ReadOnlyFilesGoAtRebootOnlyWhereTheSystemRestarts) {
    Scratch scratch;
    scratch.file("ro.txt", 3);
    scratch.file("later.txt", 3);
    make_read_only(scratch.native("ro.txt"));
    MessageBoxCapture capture;
    EXPECT_EQ(Cfl_DeleteFile(u16(scratch.path("ro.txt")), 0, 1), 1);
    EXPECT_FALSE(fs::exists(scratch.native("ro.txt")));
    EXPECT_EQ(Cfl_DeleteFile(u16(scratch.path("ro.txt")), 0, 1), 1);  // missing: no failure
    // Windows schedules the deletion; POSIX has no next start and says so.
    EXPECT_EQ(Cfl_DeleteFile(u16(scratch.path("later.txt")), 1, 1), test::kDesktop ? 1 : 0);
    EXPECT_TRUE(fs::exists(scratch.native("later.txt")));
    EXPECT_EQ(capture.boxes().size(), test::kDesktop ? 0u : 1u);
}

TEST(CflRename, KeepsAttributesAndNeverReplaces) {
    Scratch scratch;
    const std::u16string a = scratch.file("a.txt", 3), b = scratch.file("b.txt", 4);
    make_read_only(scratch.native("a.txt"));
    MessageBoxCapture capture;
    EXPECT_EQ(Cfl_RenameFile(u16(a), u16(b)), 0);
    EXPECT_EQ(scratch.read("b.txt"), test::pattern(4));
    EXPECT_EQ(Cfl_RenameFile(u16(a), u16(scratch.path("c.txt"))), 1);
    EXPECT_FALSE(fs::exists(scratch.native("a.txt")));
    EXPECT_FALSE(writable(scratch.native("c.txt")));
    EXPECT_EQ(Cfl_RenameFile(u16(a), u16(b)), 1);  // missing old name: no failure
    // A new name that differs only in case is the old file's on Windows.
    EXPECT_EQ(Cfl_RenameFile(u16(scratch.path("c.txt")), u16(scratch.path("C.TXT"))), 0);
    std::set<fs::path> names;
    for (const auto &entry : fs::directory_iterator(scratch.native()))
        names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<fs::path>{"b.txt", "c.txt"}));
    EXPECT_TRUE(capture.boxes().empty());
    fs::permissions(scratch.native("c.txt"), fs::perms::owner_write, fs::perm_options::add);
}

TEST(CflCreateFolder, ChainsWithTheirDriveServerAndShareLeftAlone) {
    Scratch scratch;
    const std::u16string local = scratch.path(), long_form = u"\\\\?\\" + scratch.path();
    const struct {
        std::u16string path;
        int result;
        const char *made;  // under the scratch folder
    } rows[] = {
        {local + u"x\\y\\z\\", 1, "x/y/z"},
        {local + u"x\\y\\w", 1, "x/y/w"},  // only the last one missing
        {long_form + u"l\\m\\n", 1, "l/m/n"},
        {u"\\\\no-such-server\\share\\p\\q", 0, nullptr},
        {u"\\\\no-such-server\\share", 0, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.path.begin(), row.path.end()));
        MessageBoxCapture capture;
        EXPECT_EQ(Cfl_CreateFolder(u16(row.path)), row.result);
        EXPECT_EQ(capture.boxes().size(), row.result ? 0u : 1u);
        if (row.made) {
            EXPECT_TRUE(fs::is_directory(scratch.native(row.made)));
            EXPECT_EQ(Cfl_CreateFolder(u16(row.path)), 1);
        }
    }
}

TEST(CflDeleteFolder, PatternsOnBothKindsOfTree) {
    const struct {
        std::initializer_list<const char *> names;
        const char16_t *pattern;
        std::set<std::string> left;
    } rows[] = {
        {{"t/a.tmp", "t/s/b.tmp", "t/s/d/c.TMP"}, u"*.tmp", {}},
        {{"t/a.tmp", "t/keep.txt", "t/s/b.tmp", "t/s/keep.dat", "t/e/d.tmp", "t/x.tmp/f.txt"},
         u"*.tmp",
         {"t/", "t/keep.txt", "t/s/", "t/s/keep.dat"}},
        {{"t/a.tmp", "t/keep.txt", "t/s/e/"}, nullptr, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pattern ? testing::PrintToString(std::u16string(row.pattern)) : "no pattern");
        Scratch scratch;
        make_tree(scratch, row.names);
        MessageBoxCapture capture;
        EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("t")), u16(row.pattern)), 1);
        EXPECT_EQ(scratch.tree(), row.left);
        EXPECT_TRUE(capture.boxes().empty());
    }
    MessageBoxCapture capture;
    Scratch scratch;
    EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("none")), nullptr), 0);
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CflShell, QuietCopyMoveAndRename) {
    // Wine's shell does not read FOF_RENAMEONCOLLISION: it replaces.
    const bool renames = !test::under_wine();
    Scratch scratch;
    scratch.file("a.txt", 3);
    scratch.file("b.txt", 4);
    const std::u16string a = scratch.path("a.txt") + u'\0', b = scratch.path("b.txt") + u'\0';
    EXPECT_EQ(Cfl_CopyFileShell(nullptr, u16(a), u16(b), 1, 0), 1);
    EXPECT_EQ(Cfl_CopyFileShell(nullptr, u16(a), u16(b), 1, 0), 1);
    EXPECT_EQ(scratch.read("b.txt"), test::pattern(renames ? 4 : 3));
    if (renames) {
        EXPECT_EQ(scratch.read("b (3).txt"), test::pattern(3));
    }
    EXPECT_EQ(Cfl_MoveFileShell(nullptr, u16(a), u16(b), 1, 1), 1);
    EXPECT_EQ(scratch.read("b.txt"), test::pattern(3));
    const std::u16string c = scratch.path("c.txt") + u'\0';
    EXPECT_EQ(Cfl_RenameFileShell(nullptr, u16(b), u16(c), 1), 1);
    std::set<std::string> expected{"c.txt"};
    if (renames) expected.insert({"b (2).txt", "b (3).txt"});
    EXPECT_EQ(scratch.tree(), expected);
    EXPECT_EQ(scratch.read("c.txt"), test::pattern(3));
}

}  // namespace
