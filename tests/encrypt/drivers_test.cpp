// The drivers: container names and output folders, hidden items, folder
// trees in place and mirrored, hidden folder names, wrong passwords and the
// skip rule.
#include "encrypt_support.h"

#include <quorvel/frame.h>

#include "support/message_box_capture.h"
#include "support/win32.h"

#include <cstring>
#include <vector>

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
        SCOPED_TRACE(row.first);
        g_cOutName = row.name;
        g_cOutFolder = row.folder;
        Tree expected = tree();
        EXPECT_EQ(encrypt("d/a.txt") + encrypt("d/a.txt"), 2);
        expected.insert({row.first, row.second});
        EXPECT_EQ(tree(), expected);
        for (const char *made : {row.first, row.second})
            std::filesystem::remove(scratch.native(made));
    }
}

TEST_F(Drivers, HiddenAndSystemFolders) {
    // Each option admits its own attribute only; a swap of the two fails
    // rows 1 and 2.
    const struct { DWORD attributes; unsigned char hidden, system; bool entered; } rows[] = {
        {FILE_ATTRIBUTE_SYSTEM, 1, 0, false}, {FILE_ATTRIBUTE_HIDDEN, 0, 1, false},
        {FILE_ATTRIBUTE_HIDDEN, 1, 0, true},  {FILE_ATTRIBUTE_SYSTEM, 0, 1, true},
        {FILE_ATTRIBUTE_HIDDEN, 0, 0, false},
    };
    g_cSubFolder = 1;
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.attributes << " " << +row.hidden << +row.system);
        std::filesystem::remove_all(scratch.native("d"));
        put("d/h/a.txt", "x");
        ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<LPCWSTR>(path("d/h").c_str()),
                                       row.attributes));
        g_cHideFile = row.hidden;
        g_cSystemFolder = row.system;
        EXPECT_EQ(encrypt("d/h/a.txt") + encrypt("d"), 2);
        EXPECT_EQ(tree("d").count("h/a.txt.cpt"), row.entered ? 1u : 0u);
    }
    g_cSystemFolder = 0;
}

// A folder hidden for its leading dot lists as empty unless hidden items
// are wanted, in both directions, also when it is the path given.
TEST_F(Drivers, DotFolderGivenItself) {
    put("d/.secret/x.txt", "x");
    put("d/.secret/b.txt.cpt", reference("a_txt"));
    const Tree before = tree();
    for (bool encrypting : {true, false}) EXPECT_EQ(run(encrypting, "d/.secret"), 1) << encrypting;
    EXPECT_EQ(tree(), before);
    g_cHideFile = 1;
    EXPECT_EQ(run(false, "d/.secret"), 1);
    EXPECT_EQ(scratch.read("d/.secret/a.txt"), "Hello, world!");
}

std::vector<std::u16string> g_sources;
void on_source(unsigned char, const unsigned short *source, const unsigned short *, int) {
    g_sources.push_back(text_of(source));
}

// A tree deeper than the library's paths (2048 units) fails the run with
// the path-too-long error; only the tree's own files are encrypted (an
// empty sub-folder path would list the drive's root). The result callback
// names them: the Windows runtime cannot walk such a tree for the test.
TEST_F(Drivers, TreeDeeperThanPaths) {
    std::string folder = "d";
    for (int level = 0; level < 11; ++level) {
        folder += "/" + std::string(200, static_cast<char>('a' + level));
        put(folder + "/f.txt", "f");
    }
    const std::string first = "d/" + std::string(200, 'a') + "/f.txt.cpt";
    g_cSubFolder = 1;
    Enc_FuncCallResult(on_source);
    test::MessageBoxCapture boxes;  // the folders that cannot be made are shown
    for (unsigned char out : {0, 3}) {
        SCOPED_TRACE(+out);
        g_cOutFolder = out;
        g_sources.clear();
        SetLastError(0);
        EXPECT_EQ(encrypt("d"), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_TRUE(std::filesystem::exists(scratch.native(out ? "work/" + first : first)));
        EXPECT_GE(g_sources.size(), 9u);
        for (const std::u16string &source : g_sources)
            EXPECT_EQ(source.rfind(path("d") + u"\\", 0), 0u) << source.size();
    }
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
