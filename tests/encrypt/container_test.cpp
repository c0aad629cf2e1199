// The container writer and reader against the reference containers of
// scripts/encrypt-vectors.py and the corpus made by the Windows build under
// wine64 (tests/data/encrypt/windows, rewritten by the Windows build with
// QUORVEL_WRITE_CORPUS=FOLDER): the same bytes for the same file, password,
// key time and times on every build; every kind of hostile entry refused
// with nothing outside the output folder.
#include "encrypt_support.h"

#include <quorvel/fl.h>
#include <quorvel/paths.h>

#include "support/win32.h"

#include <cstdlib>
#include <fstream>

namespace {

using namespace enc_test;
using Containers = Sandbox;

Tree in_out(std::initializer_list<const char *> names) {
    Tree expected{"c.cpt", "out/"};
    for (const char *name : names) expected.insert(std::string("out/") + name);
    return expected;
}

TEST_F(Containers, WrittenAsTheReferences) {
    const struct { const char *name, *content, *reference; } rows[] = {
        {"a.txt", "Hello, world!", "a_txt"}, {"e.bin", "", "empty_file"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        put(row.name, row.content);
        test::Bytes expected = reference(row.reference);
        // Both names take 16 bytes: the creation time is at 102 + 8 + 16 + 8.
        if (!set_times(row.name)) expected.replace(134, 8, expected.substr(142, 8));
        ASSERT_EQ(seal(row.name, "c.cpt"), 1);
        EXPECT_EQ(test::hex(scratch.read("c.cpt"), 400), test::hex(expected, 400));
    }
    // Stored name lengths; an older, longer container of the name is cut.
    for (const auto &[name, stored] : {std::pair{"abcd", 8}, {"abcde", 16}, {"報告書.txt", 16}}) {
        SCOPED_TRACE(name);
        put(name, test::pattern(1000));
        put("c.cpt", test::pattern(5000));
        ASSERT_EQ(seal(name, "c.cpt"), 1);
        const test::Bytes bytes = scratch.read("c.cpt");
        EXPECT_EQ(bytes[108] | bytes[109] << 8, stored);
        EXPECT_EQ(bytes.size(), 102u + 8 + stored + 24 + 1000);
    }
}

TEST_F(Containers, WindowsCorpus) {
    const struct {
        const char *corpus, *name;
        test::Bytes content;
        const char16_t *password;
    } rows[] = {
        {"ascii", "a.txt", "Hello, world!", u"password"},
        {"japanese", "報告書.txt", "日本語のテキスト\n", u"パスワード"},
        {"empty", "空.bin", "", u"パスワード"},
        {"blocks", "data.bin", test::pattern(8191), u"password"},
    };
    const char *write_to = std::getenv("QUORVEL_WRITE_CORPUS");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.corpus);
        put(row.name, row.content);
        // Wine keeps no creation time and reports the last-write time: the
        // corpus holds that in both fields, and so every build is given it.
        set_times(row.name, kWritten);
        ASSERT_EQ(seal(row.name, "c.cpt", row.password), 1);
        const std::string corpus = std::string("windows/") + row.corpus;
        if (write_to) {
            std::ofstream(std::string(write_to) + "/" + row.corpus + ".cpt", std::ios::binary)
                << scratch.read("c.cpt");
            continue;
        }
        EXPECT_EQ(scratch.read("c.cpt"), reference(corpus));
        put("w.cpt", reference(corpus));
        EXPECT_EQ(restore("w.cpt", "out", row.password), 1);
        EXPECT_EQ(scratch.read(std::string("out/") + row.name), row.content);
    }
}

TEST_F(Containers, ReadAndRefused) {
    const struct { const char *container; int result;
                   std::initializer_list<const char *> restored; } rows[] = {
        {"a_txt", 1, {"a.txt"}}, {"version3", 1, {"a.txt"}}, {"version2", 1, {"a.txt"}},
        {"version1", 1, {"a.txt"}}, {"tree", 1, {"a/", "a/x", "a/b/", "a/b/y", "a/z"}},
        {"kind2", 1, {"k/"}}, {"empty_file", 1, {"e.bin"}},
        // Hostile names, levels and lengths: refused, nothing outside out/.
        {"back_slash", 0, {}}, {"slash", 0, {}}, {"colon", 0, {}}, {"unc", 0, {}},
        {"dot", 0, {}}, {"dot_dot", 0, {}}, {"dot_dot_zero", 0, {}}, {"empty_name", 0, {}},
        {"device_name", 0, {}}, {"trailing_dot", 0, {}}, {"file_level_jump", 0, {}},
        {"folder_level_jump", 0, {"a/"}}, {"folder_level_0", 0, {}},
        {"climb_past_top", 0, {"a/"}}, {"name_past_end", 0, {}}, {"size_past_end", 0, {}},
        {"negative_size", 0, {}}, {"cipher1", 0, {}},
    };
    for (const auto &row : rows) {
        std::filesystem::remove_all(scratch.native("out"));
        put("c.cpt", reference(row.container));
        EXPECT_EQ(restore("c.cpt", "out"), row.result) << row.container;
        // The reason a host is given.
        if (!row.result)
            EXPECT_EQ(GetLastError(), DWORD(row.container == std::string("cipher1")
                                                ? ERROR_NOT_SUPPORTED : ERROR_FILE_CORRUPT))
                << row.container;
        EXPECT_EQ(tree(), in_out(row.restored)) << row.container;
    }
    EXPECT_EQ(scratch.read("out/e.bin"), "");
    put("c.cpt", reference("japanese"));
    EXPECT_EQ(restore("c.cpt", "out", u"パスワード"), 1);
    EXPECT_EQ(scratch.read("out/資料/報告書.txt"), "日本語");
    EXPECT_EQ(Cfl_GetFileLtTime(u16(path("out/資料/報告書.txt"))), kWritten);
    // Bodies that end inside, across and past the reader's first read.
    put("c.cpt", reference("long_bodies"));
    ASSERT_EQ(restore("c.cpt", "long"), 1);
    for (const auto &[name, size] : {std::pair{"a/x", 1000}, {"a/y", 5000}, {"a/z", 3000}, {"w", 9001}})
        EXPECT_EQ(scratch.read(std::string("long/") + name), test::pattern(size)) << name;
}

// Only whole entries before the cut are restored, never a cut body.
TEST_F(Containers, CutAtEveryOffset) {
    const test::Bytes whole = reference("japanese");
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::filesystem::remove_all(scratch.native("out"));
        put("c.cpt", whole.substr(0, cut));
        // 142: the header and the folder entry, a whole container.
        EXPECT_EQ(restore("c.cpt", "out", u"パスワード"), cut == 142) << cut;
        const Tree found = tree();
        EXPECT_TRUE(found == in_out({}) || found == in_out({"資料/"})) << cut;
    }
}

TEST_F(Containers, ExistingFilesFoldersAndLog) {
    put("out/a.txt", test::pattern(1000));  // replaced and cut
    put("c.cpt", reference("a_txt"));
    EXPECT_EQ(restore("c.cpt", "out"), 1);
    EXPECT_EQ(scratch.read("out/a.txt"), "Hello, world!");

    // A read-only file is not replaced, for any user (root included).
    put("c.cpt", reference("read_only"));
    EXPECT_EQ(restore("c.cpt", "out"), 1);
    EXPECT_TRUE(GetFileAttributesW(reinterpret_cast<LPCWSTR>(path("out/r.txt").c_str())) &
                FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(restore("c.cpt", "out"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    put("c.cpt", reference("tree"));
    EXPECT_EQ(restore("c.cpt", "out"), 1);
    g_cExistFolder = g_cOutputLog = 1;
    EXPECT_EQ(restore("c.cpt", "out"), 1);
    g_cExistFolder = g_cOutputLog = 0;
    EXPECT_EQ(scratch.read("out/dpt_a/b/y"), "Hello, world!");
    const std::u16string out = path("out") + u"\\";
    const std::u16string expected =
        u"001 [            ] " + out + u"dpt_a\\\n" + u"001 [          13] " + out +
        u"dpt_a\\x\n" + u"002 [            ] " + out + u"dpt_a\\b\\\n" + u"002 [          13] " +
        out + u"dpt_a\\b\\y\n" + u"001 [          13] " + out + u"dpt_a\\z\n";
    const test::Bytes log = scratch.read("out/c_Dec.log");
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(log.data()), log.size() / 2),
              expected);
}

int g_verified = -1;
void on_verify(unsigned char result, const unsigned short *, const unsigned short *, int64_t) {
    g_verified = result;
}

TEST_F(Containers, VerificationAndRefusedTypes) {
    put("big.bin", test::pattern(3 * 1024 * 1024 + 5));
    g_cVerify = 1;
    Enc_FuncCallVerify(on_verify);
    EXPECT_EQ(seal("big.bin", "big.cpt"), 1);
    EXPECT_EQ(g_verified, 1);
    g_cVerify = 0;
    Enc_FuncCallVerify(nullptr);
    g_cEncryptType = 1;  // no cipher but Blowfish: nothing is written
    EXPECT_EQ(seal("big.bin", "t.cpt"), 0);
    g_cEncryptType = 0;
    EXPECT_FALSE(std::filesystem::exists(scratch.native("t.cpt")));
}

}  // namespace
