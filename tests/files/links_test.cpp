// Shortcut and Internet-shortcut files written and read back, on both
// builds. links_posix.cpp and links_win.cpp read the files the other build
// wrote (tests/data/links).
#include <quorvel/links.h>
#include <quorvel/paths.h>

#include "support/data_paths.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

using test::Scratch;
using test::u16;

std::u16string text(const unsigned short *buffer) {
    return reinterpret_cast<const char16_t *>(buffer);
}

constexpr bool kWindows = test::kWindowsBuild;

TEST(CflLinks, WrittenAndReadBack) {
    const Scratch scratch;
    const std::u16string target = scratch.file("目標 file.txt", 3);
    const struct {
        const char16_t *arguments, *folder, *icon;
        unsigned char normal;
        int show;  // as read back
    } rows[] = {
        {u"-x \"a b\"", u"C:\\作業", u"C:\\icons\\app.ico", 1, 1},
        // SW_MINIMIZE on both builds (Wine reads it back as a normal window).
        {u"", u"", u"", 0, kWindows && test::under_wine() ? 1 : 6},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.show);
        const std::u16string link = scratch.path("a.lnk");
        ASSERT_EQ(Cfl_CreateLinkFile(u16(target), u16(link), u16(row.arguments), u16(row.folder),
                                     u16(row.icon), 0x0641, row.normal),
                  1);
        unsigned short found[300] = {}, arguments[300] = {}, folder[300] = {};
        int show = -1;
        ASSERT_EQ(Cfl_ReadLinkFile(u16(link), found, 300, arguments, 300, folder, 300, &show), 1);
        EXPECT_EQ(text(found), target);
        EXPECT_EQ(text(arguments), row.arguments);
        EXPECT_EQ(text(folder), row.folder);
        EXPECT_EQ(show, row.show);
        // A target buffer too small still reads: the result is the load's.
        unsigned short small[5] = {1, 1, 1, 1, 1};
        EXPECT_EQ(Cfl_ReadLinkFile(u16(link), small, 5, nullptr, 0, nullptr, 0, nullptr), 1);
        EXPECT_EQ(text(small), target.substr(0, 4));
    }
}

TEST(CflLinks, FailuresGiveZero) {
    const Scratch scratch;
    scratch.write("junk.lnk", std::string(200, 'L'));
    unsigned short found[300] = {};
    EXPECT_EQ(Cfl_ReadLinkFile(u16(scratch.path("none.lnk")), found, 300, nullptr, 0, nullptr, 0,
                               nullptr),
              0);
    EXPECT_EQ(Cfl_ReadLinkFile(u16(scratch.path("junk.lnk")), found, 300, nullptr, 0, nullptr, 0,
                               nullptr),
              0);
    EXPECT_EQ(Cfl_CreateLinkFile(u16(scratch.path("a.txt")), u16(scratch.path("no\\such\\a.lnk")),
                                 nullptr, nullptr, nullptr, 0, 1),
              0);
    EXPECT_EQ(Cfl_CreateUrlFile(u16(u"http://a/"), u16(scratch.path("no\\such\\a.url"))), 0);
    EXPECT_EQ(Cfl_ReadUrlFile(u16(scratch.path("none.url")), found), 0);
}

TEST(CflLinks, UrlFiles) {
    const Scratch scratch;
    const bool wine = test::under_wine();
    const struct {
        const char16_t *url;
        bool wine_garbles;  // Wine writes UTF-8 and reads the ANSI code page
    } rows[] = {{u"http://example.com/a?b=c&d=e+f", false}, {u"https://例え.jp/パス/~x\\y", true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(row.url)));
        const std::u16string file = scratch.path("a.url");
        ASSERT_EQ(Cfl_CreateUrlFile(u16(row.url), u16(file)), 1);
        unsigned short found[300] = {};
        ASSERT_EQ(Cfl_ReadUrlFile(u16(file), found), 1);
        if (!(wine && row.wine_garbles)) EXPECT_EQ(text(found), row.url);
    }
    // A file that loads but holds no URL leaves the buffer as it was.
    for (const char *empty : {"[InternetShortcut]\r\nIconIndex=0\r\n", "[internetshortcut]\r\n"}) {
        SCOPED_TRACE(empty);
        scratch.write("empty.url", empty);
        unsigned short kept[4] = {'k', 0};
        EXPECT_EQ(Cfl_ReadUrlFile(u16(scratch.path("empty.url")), kept), 1);
        EXPECT_EQ(text(kept), u"k");
    }
}

// The files each build made, read by the other (tests/data/links). A build
// writes its own into $QUORVEL_LINK_VECTORS when that is set.
TEST(CflLinks, FilesOfTheOtherBuild) {
    const test::JapaneseCodePage japanese;
    const char16_t *target = u"C:\\Quorvel\\目標.txt", *arguments = u"-x \"a b\"",
                   *folder = u"C:\\作業", *url = u"https://例え.jp/パス";
    if (const char *vectors = std::getenv("QUORVEL_LINK_VECTORS")) {
        const std::u16string out = test::utf16(vectors) + (kWindows ? u"\\windows" : u"/posix");
        ASSERT_EQ(Cfl_CreateLinkFile(u16(target), u16(out + u".lnk"), u16(arguments), u16(folder),
                                     u16(u"C:\\icons\\app.ico"), 0x0641, 1),
                  1);
        ASSERT_EQ(Cfl_CreateUrlFile(u16(url), u16(out + u".url")), 1);
    }
    // Through a scratch copy: the Windows build reads the data folder's
    // POSIX name only through the runtime library.
    const Scratch scratch;
    for (const char *extension : {".lnk", ".url"}) {
        std::ifstream in(std::string(QUORVEL_TEST_DATA "/links/") + (kWindows ? "posix" : "windows") +
                             extension,
                         std::ios::binary);
        scratch.write(std::string("other") + extension,
                      std::string(std::istreambuf_iterator<char>(in), {}));
    }
    const std::u16string other = scratch.path("other");
    unsigned short found[300] = {}, found_arguments[300] = {}, found_folder[300] = {};
    int show = 0;
    ASSERT_EQ(Cfl_ReadLinkFile(u16(other + u".lnk"), found, 300, found_arguments, 300, found_folder,
                               300, &show),
              1);
    EXPECT_EQ(text(found), target);
    EXPECT_EQ(text(found_arguments), arguments);
    EXPECT_EQ(text(found_folder), folder);
    EXPECT_EQ(show, 1);
    ASSERT_EQ(Cfl_ReadUrlFile(u16(other + u".url"), found), 1);
    EXPECT_EQ(text(found), url);
}

}  // namespace
