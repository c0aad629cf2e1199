// The drivers: container names and output folders, hidden and system
// items, folder trees in place and mirrored, hidden folder names, wrong
// passwords and the skip rule.
#include "encrypt_support.h"

#include <quorvel/frame.h>

#include "support/message_box_capture.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

namespace {

using enc_test::kKeyTime;
using enc_test::kPassword;
using enc_test::PathBuffer;
using enc_test::u16;
using Tree = std::set<std::string>;

void set_folder(unsigned short *global, const std::u16string &path) {
    std::memcpy(global, path.c_str(), (path.size() + 1) * sizeof(char16_t));
}

class Drivers : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *folder : {"d", "desk", "docs", "work"})
            std::filesystem::create_directories(sandbox.native(folder));
        set_folder(g_szDesktop, sandbox.path("desk") + u"\\");
        set_folder(g_szMyDocument, sandbox.path("docs") + u"\\");
        set_folder(g_szWrkDir, sandbox.path("work") + u"\\");
    }
    void TearDown() override {
        g_cOutName = g_cOutFolder = g_cSubFolder = g_cEncFolder = g_cHideFile = 0;
        g_cSkipError = 1;
        Enc_FuncCallResult(nullptr);
    }
    int encrypt(const std::string &name, const char16_t *password = kPassword) {
        PathBuffer path(sandbox.path(name));
        return Enc_Encrypt(nullptr, path.get(), u16(password), kKeyTime, 0);
    }
    int decrypt(const std::string &name, const char16_t *password = kPassword) {
        PathBuffer path(sandbox.path(name));
        return Enc_Decrypt(nullptr, path.get(), u16(password), 0);
    }
    Tree tree() { return enc_test::tree(sandbox.native()); }
    void put(const std::string &name, const test::Bytes &content) {
        std::filesystem::create_directories(sandbox.native(name).parent_path());
        sandbox.write(name, content);
    }
    test::Scratch sandbox;
};

TEST_F(Drivers, ContainerNamesAndOutputFolders) {
    const struct {
        unsigned char name, folder;
        const char *first, *second;  // the containers of two runs
    } rows[] = {
        {0, 0, "d/a.txt.cpt", "d/a.txt.cpt"},
        {0, 1, "desk/a.cpt", "desk/a.cpt"},
        {0, 2, "docs/a.cpt", "docs/a.cpt"},
        {0, 3, "work/a.cpt", "work/a.cpt"},
        {1, 0, "d/20231115071320_0000.cpt", "d/20231115071320_0001.cpt"},
        // python3: hashlib.md5(b"a.txt").hexdigest()
        {2, 0, "d/a5e54d1fd7bb69a228ef0dcd2431367e.cpt", "d/a5e54d1fd7bb69a228ef0dcd2431367e.cpt"},
    };
    put("d/a.txt", "Hello, world!");
    const Tree empty = tree();
    for (const auto &row : rows) {
        SCOPED_TRACE(std::to_string(row.name) + " " + std::to_string(row.folder));
        g_cOutName = row.name;
        g_cOutFolder = row.folder;
        EXPECT_EQ(encrypt("d/a.txt"), 1);
        EXPECT_EQ(encrypt("d/a.txt"), 1);
        Tree expected = empty;
        expected.insert({row.first, row.second});
        EXPECT_EQ(tree(), expected);
        for (const char *made : {row.first, row.second})
            std::filesystem::remove(sandbox.native(made));
    }
}

TEST_F(Drivers, HiddenFoldersAndFilesInThem) {
    put("d/h/a.txt", "x");
    const std::u16string hidden = sandbox.path("d/h");
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<LPCWSTR>(hidden.c_str()),
                                   FILE_ATTRIBUTE_HIDDEN));
    const Tree before = tree();
    EXPECT_EQ(encrypt("d/h/a.txt"), 1);  // skipped
    g_cSubFolder = 1;
    EXPECT_EQ(encrypt("d"), 1);          // the hidden folder is not entered
    EXPECT_EQ(tree(), before);
    g_cHideFile = 1;
    EXPECT_EQ(encrypt("d/h/a.txt"), 1);
    EXPECT_TRUE(tree().count("d/h/a.txt.cpt"));
}

TEST_F(Drivers, FolderTwiceInPlaceAndBack) {
    put("d/a.txt", "a");
    put("d/s/b.txt", "b");
    g_cSubFolder = 1;
    EXPECT_EQ(encrypt("d"), 1);
    EXPECT_EQ(encrypt("d"), 1);  // the containers are not encrypted again
    EXPECT_EQ(tree(), Tree({"d/", "d/a.txt", "d/a.txt.cpt", "d/s/", "d/s/b.txt", "d/s/b.txt.cpt",
                            "desk/", "docs/", "work/"}));
    std::filesystem::remove(sandbox.native("d/a.txt"));
    std::filesystem::remove(sandbox.native("d/s/b.txt"));
    EXPECT_EQ(decrypt("d"), 1);
    EXPECT_EQ(sandbox.read("d/s/b.txt"), "b");
}

TEST_F(Drivers, HiddenFolderNamesRestored) {
    const std::string long_name(61, 'n');
    put("d/report/r.txt", "r");
    put("d/" + long_name + "/l.txt", "l");
    g_cSubFolder = g_cEncFolder = 1;
    g_cOutFolder = 3;
    EXPECT_EQ(encrypt("d"), 1);
    // python3: the alphabet-swapped base64 of "1" + bytes of the name
    // XOR the password byte (b5 ^ the password's units).
    const Tree hidden = enc_test::tree(sandbox.native("work"));
    EXPECT_TRUE(hidden.count("brT.cpf/" + long_name + "/l.txt.cpt")) << hidden.size();
    EXPECT_TRUE(hidden.count("brT.cpf/bsyeRHmnSv.cpf/r.txt.cpt"));

    g_cOutFolder = 0;
    EXPECT_EQ(decrypt("work/brT.cpf"), 1);
    EXPECT_EQ(sandbox.read("work/d/report/r.txt"), "r");
    EXPECT_EQ(sandbox.read("work/d/" + long_name + "/l.txt"), "l");
}

unsigned char g_result = 9;
const unsigned short *g_output = u16(u"-");
void on_result(unsigned char result, const unsigned short *, const unsigned short *output, int) {
    g_result = result;
    g_output = output;
}

TEST_F(Drivers, WrongPasswordWritesNothing) {
    put("d/a.txt", "a");
    EXPECT_EQ(encrypt("d/a.txt"), 1);
    std::filesystem::remove(sandbox.native("d/a.txt"));
    const Tree before = tree();
    Enc_FuncCallResult(on_result);
    EXPECT_EQ(decrypt("d/a.txt.cpt", u"wrong"), 0);
    EXPECT_EQ(g_result, 0);
    EXPECT_EQ(g_output, nullptr);
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(decrypt("d/a.txt.cpt"), 1);
    EXPECT_EQ(g_result, 1);
}

TEST_F(Drivers, SkipRule) {
    // A folder where a container should be: that file fails.
    put("d/a.txt", "a");
    std::filesystem::create_directories(sandbox.native("d/a.txt.cpt"));
    test::MessageBoxCapture boxes;  // the failed opens are shown
    g_cSkipError = 0;
    EXPECT_EQ(encrypt("d/a.txt"), 0);
    EXPECT_EQ(encrypt("d"), 0);
    g_cSkipError = 1;
    put("d/b.txt", "b");
    EXPECT_EQ(encrypt("d"), 1);
    EXPECT_TRUE(tree().count("d/b.txt.cpt"));
    EXPECT_EQ(boxes.boxes().size(), 3u);
}

}  // namespace
