// POSIX shortcut files against an independent reader (lnkinfo, from
// liblnk-utils), the files the Windows build wrote under Wine, and
// truncated or hostile files.
#include <quorvel/links.h>

#include "support/data_paths.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

namespace {

using test::Scratch;
using test::u16;

// lnkinfo's "name : value" lines.
std::map<std::string, std::string> lnkinfo(const std::string &file) {
    std::map<std::string, std::string> fields;
    FILE *out = popen(("lnkinfo -c windows-932 '" + file + "'").c_str(), "r");
    if (!out) return fields;
    char line[1024];
    while (std::fgets(line, sizeof line, out)) {
        std::string text(line);
        const size_t colon = text.find(": ");
        if (colon == std::string::npos) continue;
        const size_t first = text.find_first_not_of('\t');
        const size_t last = text.find_last_not_of("\t ", colon - 1);
        fields[text.substr(first, last - first + 1)] = text.substr(colon + 2, text.size() - colon - 3);
    }
    pclose(out);
    return fields;
}

TEST(PosixLinks, WhatLnkinfoReads) {
    const test::JapaneseCodePage japanese;
    const Scratch scratch;
    const std::u16string target = scratch.file("目標.txt", 3);
    const std::u16string link = scratch.path("a.lnk");
    ASSERT_EQ(Cfl_CreateLinkFile(u16(target), u16(link), u16(u"-x \"a b\""), u16(u"C:\\作業"),
                                 u16(u"C:\\icons\\app.ico"), 0x0641, 1),
              1);
    std::string local = "Z:" + scratch.native("目標.txt").string();
    std::replace(local.begin(), local.end(), '/', '\\');
    // Ours, and the one the Windows build made under Wine.
    for (const auto &[file, path] :
         {std::pair{scratch.native("a.lnk").string(), local},
          std::pair{std::string(QUORVEL_TEST_DATA "/links/windows.lnk"),
                    std::string("C:\\Quorvel\\目標.txt")}}) {
        SCOPED_TRACE(file);
        const auto fields = lnkinfo(file);
        EXPECT_EQ(fields.at("Local path"), path);
        EXPECT_EQ(fields.at("Command line arguments"), "-x \"a b\"");
        EXPECT_EQ(fields.at("Working directory"), "C:\\作業");
        EXPECT_EQ(fields.at("Icon location"), "C:\\icons\\app.ico");
        EXPECT_EQ(fields.at("Drive type"), "Fixed (3)");
    }
    EXPECT_EQ(lnkinfo(scratch.native("a.lnk").string()).at("File size"), "3 bytes");
}

// lnkinfo's shell items; `extensions` keeps the extension blocks, which
// the Windows build under Wine writes without their signature.
std::string lnkinfo_items(const std::string &file, bool extensions) {
    std::string items, line;
    FILE *out = popen(("lnkinfo -c windows-932 '" + file + "'").c_str(), "r");
    char buffer[1024];
    bool inside = false, skipping = false;
    while (out && std::fgets(buffer, sizeof buffer, out)) {
        line = buffer;
        inside = inside || line.rfind("Link target identifier", 0) == 0;
        if (line.find("Extension block") != std::string::npos) skipping = !extensions;
        if (line.find("Shell item:") != std::string::npos) skipping = false;
        if (inside && !skipping && line != "\n") items += line;
    }
    if (out) pclose(out);
    return items;
}

// The target ID list, item by item as the Windows build writes it, and the
// long name in UTF-16 where the ANSI code page has no such characters.
TEST(PosixLinks, TargetIdListAsTheWindowsBuildWritesIt) {
    const test::JapaneseCodePage japanese;
    const Scratch scratch;
    const struct {
        const char16_t *target;
        const char *expected;  // in lnkinfo's item list
    } rows[] = {
        {u"C:\\Quorvel\\目標.txt", nullptr},  // the items of tests/data/links/windows.lnk
        {u"D:\\é\\x", "Long name\t\t: é\n"},
        {u"D:\\", "Number of items\t\t: 2\n"},
        {u"\\\\server\\share\\a.txt", "\0"},  // no list: lnkinfo prints no items
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(&row - rows);
        ASSERT_EQ(Cfl_CreateLinkFile(u16(row.target), u16(scratch.path("a.lnk")), u16(u"-x \"a b\""),
                                     u16(u"C:\\作業"), u16(u"C:\\icons\\app.ico"), 0x0641, 1),
                  1);
        const std::string items = lnkinfo_items(scratch.native("a.lnk").string(), row.expected);
        if (!row.expected)
            EXPECT_EQ(items, lnkinfo_items(QUORVEL_TEST_DATA "/links/windows.lnk", false));
        else if (*row.expected)
            EXPECT_NE(items.find(row.expected), std::string::npos) << items;
        else
            EXPECT_EQ(items, "");
    }
}

// Every cut of a shortcut and every field pointed past its end: a failure,
// never a read outside the file (the ASan build watches).
TEST(PosixLinks, TruncatedAndHostileFiles) {
    const Scratch scratch;
    const std::u16string link = scratch.path("a.lnk");
    ASSERT_EQ(Cfl_CreateLinkFile(u16(u"\\\\サーバ\\共有\\a.txt"), u16(link), u16(u"x"),
                                 u16(u"y"), u16(u"z"), 0, 1),
              1);
    const test::Bytes whole = scratch.read("a.lnk");
    unsigned short found[300];
    for (size_t size = 0; size + 4 < whole.size(); ++size) {
        scratch.write("cut.lnk", whole.substr(0, size));
        EXPECT_EQ(Cfl_ReadLinkFile(u16(scratch.path("cut.lnk")), found, 300, found, 300, found, 300,
                                   nullptr),
                  0)
            << size;
    }
    // At offsets from the start of the file: the link flags; the link
    // information's size and header size; its network block's offset and the
    // UTF-16 suffix's; the network block's size and UTF-16 name offset; the
    // first string's count.
    const struct {
        size_t at;
        uint32_t value;
    } rows[] = {{0x14, 0xFFFFFFFF}, {0x4C, 0xFFFFFFF0}, {0x4C, 4},      {0x50, 0xFFFF},
                {0x60, 0x7FFFFFFF}, {0x6C, 0xFFFFFFFF}, {0x70, 0xFFFFFFF0}, {0x84, 0xFFFF},
                {0xB9, 0xFFFF}};
    for (const auto &row : rows) {
        test::Bytes hostile = whole;
        for (int i = 0; i < 4; ++i) hostile[row.at + i] = static_cast<char>(row.value >> (8 * i));
        scratch.write("bad.lnk", hostile);
        EXPECT_EQ(Cfl_ReadLinkFile(u16(scratch.path("bad.lnk")), found, 300, found, 300, found, 300,
                                   nullptr),
                  0)
            << std::hex << row.at;
    }
}

}  // namespace

// Shortcuts that name their target by a target ID list only, made and
// checked with lnkinfo by scripts/idlist-links; one with an empty item and
// one 200 folders deep, past the library's paths, give no target.
TEST(PosixLinks, TargetIdListOnly) {
    const test::JapaneseCodePage japanese;
    for (const auto &[name, path] : {std::pair{"windows-idlist.lnk", u"C:\\Quorvel\\目標.txt"},
                                     {"shell-idlist.lnk", u"C:\\Program Files\\目標のファイル.txt"},
                                     {"empty-item.lnk", nullptr}, {"deep-idlist.lnk", nullptr}}) {
        unsigned short found[300] = {};
        EXPECT_EQ(Cfl_ReadLinkFile(u16(test::utf16(QUORVEL_TEST_DATA "/links/" + std::string(name))),
                                   found, 300, nullptr, 0, nullptr, 0, nullptr),
                  path ? 1 : 0)
            << name;
        EXPECT_EQ(test::str16(found), path ? path : u"");
    }
}
