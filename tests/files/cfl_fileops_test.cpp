// Copy, move, delete, rename, folder chains, recursive deletion and the
// quiet shell operations, on both builds; results read back with
// std::filesystem, never through the library.
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

// Every entry under `folder`, as relative paths with forward slashes.
std::set<std::string> tree(const fs::path &folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto &entry : fs::recursive_directory_iterator(folder))
        names.insert(entry.path().lexically_relative(folder).generic_string());
    return names;
}

void make_tree(const Scratch &scratch, std::initializer_list<const char *> names) {
    for (const char *name : names) {
        const fs::path path = scratch.native(name);
        fs::create_directories(path.parent_path());
        if (std::string(name).back() != '/') scratch.write(name, name);
    }
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
    if (renames) EXPECT_EQ(scratch.read("b (3).txt"), test::pattern(3));
    EXPECT_EQ(Cfl_MoveFileShell(nullptr, u16(a), u16(b), 1, 1), 1);
    EXPECT_EQ(scratch.read("b.txt"), test::pattern(3));
    const std::u16string c = scratch.path("c.txt") + u'\0';
    EXPECT_EQ(Cfl_RenameFileShell(nullptr, u16(b), u16(c), 1), 1);
    std::set<std::string> expected{"c.txt"};
    if (renames) expected.insert({"b (2).txt", "b (3).txt"});
    EXPECT_EQ(tree(scratch.native()), expected);
    EXPECT_EQ(scratch.read("c.txt"), test::pattern(3));
}

}  // namespace
