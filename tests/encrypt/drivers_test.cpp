// The drivers: container names and output folders, hidden items, folder
// trees in place and mirrored, hidden folder names, wrong passwords and the
// skip rule.
#include "encrypt_support.h"

#include <quorvel/frame.h>

#include "support/message_box_capture.h"
#include "support/win32.h"

#include <cstring>

namespace {

using namespace enc_test;

class Drivers : public Sandbox {
protected:
    void SetUp() override {
        unsigned short *globals[] = {g_szDesktop, g_szMyDocument, g_szWrkDir};
        const char *names[] = {"desk", "docs", "work"};
        for (int i = 0; i < 3; ++i) {
            std::filesystem::create_directories(scratch.native(names[i]));
            const std::u16string folder = path(names[i]) + u"\\";
            std::memcpy(globals[i], folder.c_str(), (folder.size() + 1) * sizeof(char16_t));
        }
    }
    void TearDown() override {
        g_cOutName = g_cOutFolder = g_cSubFolder = g_cEncFolder = g_cHideFile = 0;
        g_cSkipError = 1;
        Enc_FuncCallResult(nullptr);
    }
    // The drivers take the path in a buffer they may change.
    int run(bool encrypting, const std::string &name, const char16_t *password = kPassword) {
        char16_t buffer[QUORVEL_MAX_TEXT] = {};
        path(name).copy(buffer, QUORVEL_MAX_TEXT - 2);
        auto *units = reinterpret_cast<unsigned short *>(buffer);
        return encrypting ? Enc_Encrypt(nullptr, units, u16(password), kKeyTime, 0)
                          : Enc_Decrypt(nullptr, units, u16(password), 0);
    }
    int encrypt(const std::string &name) { return run(true, name); }
};

TEST_F(Drivers, ContainerNamesAndOutputFolders) {
    // Naming and output folder options, and the containers of two runs.
    const struct { unsigned char name, folder; const char *first, *second; } rows[] = {
        {0, 0, "d/a.txt.cpt", "d/a.txt.cpt"}, {0, 1, "desk/a.cpt", "desk/a.cpt"},
        {0, 2, "docs/a.cpt", "docs/a.cpt"},   {0, 3, "work/a.cpt", "work/a.cpt"},
        {1, 0, "d/20231115071320_0000.cpt", "d/20231115071320_0001.cpt"},
        // python3: hashlib.md5(b"a.txt").hexdigest()
        {2, 0, "d/a5e54d1fd7bb69a228ef0dcd2431367e.cpt", "d/a5e54d1fd7bb69a228ef0dcd2431367e.cpt"},
    };
    put("d/a.txt", "Hello, world!");
    for (const auto &row : rows) {
        g_cOutName = row.name;
        g_cOutFolder = row.folder;
        Tree expected = tree();
        EXPECT_EQ(encrypt("d/a.txt") + encrypt("d/a.txt"), 2);
        expected.insert({row.first, row.second});
        EXPECT_EQ(tree(), expected) << row.first;
        for (const char *made : {row.first, row.second})
            std::filesystem::remove(scratch.native(made));
    }
}

TEST_F(Drivers, HiddenFolders) {
    put("d/h/a.txt", "x");
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<LPCWSTR>(path("d/h").c_str()),
                                   FILE_ATTRIBUTE_HIDDEN));
    const Tree before = tree();
    g_cSubFolder = 1;
    EXPECT_EQ(encrypt("d/h/a.txt") + encrypt("d"), 2);  // skipped, not entered
    EXPECT_EQ(tree(), before);
    g_cHideFile = 1;
    EXPECT_EQ(encrypt("d/h/a.txt"), 1);
    EXPECT_TRUE(tree().count("d/h/a.txt.cpt"));
}

TEST_F(Drivers, FolderTwiceInPlaceAndBackWithTheRightPassword) {
    put("d/a.txt", "a");
    put("d/s/b.txt", "b");
    g_cSubFolder = 1;
    EXPECT_EQ(encrypt("d") + encrypt("d"), 2);  // containers are not encrypted again
    EXPECT_EQ(tree("d"), Tree({"a.txt", "a.txt.cpt", "s/", "s/b.txt", "s/b.txt.cpt"}));
    std::filesystem::remove(scratch.native("d/s/b.txt"));
    const Tree encrypted = tree();
    EXPECT_EQ(run(false, "d/s/b.txt.cpt", u"wrong"), 0);  // writes nothing
    EXPECT_EQ(tree(), encrypted);
    EXPECT_EQ(run(false, "d"), 1);
    EXPECT_EQ(scratch.read("d/s/b.txt"), "b");
}

TEST_F(Drivers, HiddenFolderNamesRestored) {
    const std::string long_name(61, 'n');
    put("d/report/r.txt", "r");
    put("d/" + long_name + "/l.txt", "l");
    g_cSubFolder = g_cEncFolder = 1;
    g_cOutFolder = 3;
    EXPECT_EQ(encrypt("d"), 1);
    // python3: the alphabet-swapped base64 of "1" and the name's bytes XOR
    // the password byte; the 61-character name is not hidden.
    const std::string d = "brT.cpf/", report = d + "bsyeRHmnSv.cpf/", kept = d + long_name + "/";
    EXPECT_EQ(tree("work"), Tree({d, report, report + "r.txt.cpt", kept, kept + "l.txt.cpt"}));
    g_cOutFolder = 0;
    EXPECT_EQ(run(false, "work/brT.cpf"), 1);
    EXPECT_EQ(scratch.read("work/d/report/r.txt"), "r");
    EXPECT_EQ(scratch.read("work/d/" + long_name + "/l.txt"), "l");
}

TEST_F(Drivers, SkipRule) {
    put("d/a.txt", "a");
    std::filesystem::create_directories(scratch.native("d/a.txt.cpt"));  // a.txt fails
    test::MessageBoxCapture boxes;  // the failed opens are shown
    g_cSkipError = 0;
    EXPECT_EQ(encrypt("d/a.txt") + encrypt("d"), 0);
    g_cSkipError = 1;
    put("d/b.txt", "b");
    EXPECT_EQ(encrypt("d"), 1);
    EXPECT_TRUE(tree().count("d/b.txt.cpt"));
    EXPECT_EQ(boxes.boxes().size(), 3u);
}

}  // namespace
