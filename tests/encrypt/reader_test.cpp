// The container reader over the reference containers of
// scripts/encrypt-vectors.py: each format version, folder trees, and every
// kind of hostile entry, restored into a sandbox that must hold nothing but
// the container and the output folder's expected files afterwards.
#include "encrypt_support.h"

#include <quorvel/fl.h>
#include <quorvel/paths.h>

#include "support/win32.h"

#include <gtest/gtest.h>

namespace {

using enc_test::kPassword;
using enc_test::u16;
using Tree = std::set<std::string>;

class ContainerReader : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(sandbox.native("out")); }
    // Restores `bytes` as c.cpt into out\ and gives the reader's result.
    int restore(const test::Bytes &bytes, const char16_t *password = kPassword) {
        sandbox.write("c.cpt", bytes);
        return Enc_DecryptHead(u16(password), u16(sandbox.path("c.cpt")),
                               u16(sandbox.path("out") + u"\\"));
    }
    // What the sandbox holds besides the container, with out/ itself.
    Tree left() {
        Tree found = enc_test::tree(sandbox.native());
        found.erase("c.cpt");
        return found;
    }
    static Tree in_out(std::initializer_list<const char *> names) {
        Tree expected{"out/"};
        for (const char *name : names) expected.insert(std::string("out/") + name);
        return expected;
    }
    test::Scratch sandbox;
};

TEST_F(ContainerReader, ReferenceContainers) {
    const struct {
        const char *container;
        int result;
        std::initializer_list<const char *> restored;
    } rows[] = {
        {"a_txt", 1, {"a.txt"}},
        {"version3", 1, {"a.txt"}},
        {"version2", 1, {"a.txt"}},
        {"version1", 1, {"a.txt"}},
        {"tree", 1, {"a/", "a/x", "a/b/", "a/b/y", "a/z"}},
        {"kind2", 1, {"k/"}},
        {"empty_file", 1, {"e.bin"}},
        // Hostile names, levels and lengths: refused, nothing outside out/.
        {"back_slash", 0, {}},
        {"slash", 0, {}},
        {"colon", 0, {}},
        {"unc", 0, {}},
        {"dot", 0, {}},
        {"dot_dot", 0, {}},
        {"dot_dot_zero", 0, {}},
        {"empty_name", 0, {}},
        {"device_name", 0, {}},
        {"trailing_dot", 0, {}},
        {"file_level_jump", 0, {}},
        {"folder_level_jump", 0, {"a/"}},
        {"folder_level_0", 0, {}},
        {"climb_past_top", 0, {"a/"}},
        {"name_past_end", 0, {}},
        {"size_past_end", 0, {}},
        {"negative_size", 0, {}},
        {"cipher1", 0, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.container);
        std::filesystem::remove_all(sandbox.native("out"));
        std::filesystem::create_directories(sandbox.native("out"));
        EXPECT_EQ(restore(enc_test::reference(row.container)), row.result);
        EXPECT_EQ(left(), in_out(row.restored));
    }
    // The last file restored: its bytes and stored times.
    std::filesystem::remove_all(sandbox.native("out"));
    std::filesystem::create_directories(sandbox.native("out"));
    ASSERT_EQ(restore(enc_test::reference("a_txt")), 1);
    EXPECT_EQ(sandbox.read("out/a.txt"), "Hello, world!");
    EXPECT_EQ(Cfl_GetFileLtTime(u16(sandbox.path("out/a.txt"))), 1612325106);
}

TEST_F(ContainerReader, JapaneseNamesAndPassword) {
    EXPECT_EQ(restore(enc_test::reference("japanese"), u"パスワード"), 1);
    EXPECT_EQ(left(), in_out({"資料/", "資料/報告書.txt"}));
    EXPECT_EQ(sandbox.read("out/資料/報告書.txt"), "日本語");
}

// A container cut anywhere is refused; only whole entries before the cut
// are restored, never a file whose body was cut.
TEST_F(ContainerReader, CutAtEveryOffset) {
    for (const char *name : {"a_txt", "japanese"}) {
        const test::Bytes whole = enc_test::reference(name);
        const char16_t *password = name[0] == 'j' ? u"パスワード" : kPassword;
        for (size_t cut = 0; cut < whole.size(); ++cut) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            std::filesystem::remove_all(sandbox.native("out"));
            std::filesystem::create_directories(sandbox.native("out"));
            // Cut right after the 142-byte header and folder entry: a
            // whole container of one entry.
            EXPECT_EQ(restore(whole.substr(0, cut), password), name[0] == 'j' && cut == 142);
            const Tree found = left();
            EXPECT_TRUE(found == in_out({}) || found == in_out({"資料/"}));
        }
    }
}

TEST_F(ContainerReader, ExistingFilesAndFolders) {
    // A longer file of the same name is replaced and cut to the new length.
    sandbox.write("out/a.txt", test::pattern(1000));
    EXPECT_EQ(restore(enc_test::reference("a_txt")), 1);
    EXPECT_EQ(sandbox.read("out/a.txt"), "Hello, world!");

    // A restored read-only file is not replaced by a second restore, where
    // the system keeps its user from writing it (POSIX lets root write).
    EXPECT_EQ(restore(enc_test::reference("read_only")), 1);
    const std::u16string restored = sandbox.path("out/r.txt");
    EXPECT_TRUE(GetFileAttributesW(reinterpret_cast<LPCWSTR>(restored.c_str())) &
                FILE_ATTRIBUTE_READONLY);
    void *writable = Fl_Open(u16(restored), FL_WRITE, 0);
    Fl_Close(writable);
    EXPECT_EQ(restore(enc_test::reference("read_only")), writable ? 1 : 0);

    // Folders that exist: restored into "dpt_" + name when asked.
    EXPECT_EQ(restore(enc_test::reference("tree")), 1);
    g_cExistFolder = 1;
    EXPECT_EQ(restore(enc_test::reference("tree")), 1);
    g_cExistFolder = 0;
    EXPECT_EQ(sandbox.read("out/dpt_a/b/y"), "Hello, world!");
}

TEST_F(ContainerReader, LogLines) {
    g_cOutputLog = 1;
    EXPECT_EQ(restore(enc_test::reference("tree")), 1);
    g_cOutputLog = 0;
    const std::u16string out = sandbox.path("out") + u"\\";
    const std::u16string expected = u"001 [            ] " + out + u"a\\\n" +
                                    u"001 [          13] " + out + u"a\\x\n" +
                                    u"002 [            ] " + out + u"a\\b\\\n" +
                                    u"002 [          13] " + out + u"a\\b\\y\n" +
                                    u"001 [          13] " + out + u"a\\z\n";
    const test::Bytes log = sandbox.read("out/c_Dec.log");
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(log.data()), log.size() / 2),
              expected);
}

}  // namespace
