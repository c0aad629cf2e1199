// Listings, the recursive search, folder analysis, attributes and sizes on a
// tree the test makes; natively through the platform layer, under Wine
// through the system's own calls.
#include <quorvel/attributes.h>
#include <quorvel/paths.h>
#include <quorvel/search.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

using test::str16;
using test::u16;
using Names = std::set<std::u16string>;

LPCWSTR wide(const std::u16string &text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

// root: a.txt B.TXT noext .dotfile hid.txt(hidden) sys.txt(system)
//       sub\c.txt sub\deep\d.dat hidsub(hidden)\e.txt
struct Tree {
    test::Scratch scratch;
    Tree() {
        const std::pair<const char *, size_t> files[] = {
            {"a.txt", 10}, {"B.TXT", 20},  {"noext", 5},       {".dotfile", 7},  {"hid.txt", 3},
            {"sys.txt", 4}, {"sub/c.txt", 30}, {"sub/deep/d.dat", 40}, {"hidsub/e.txt", 50}};
        for (const auto &[name, size] : files) scratch.file(name, size);
        const DWORD archive = FILE_ATTRIBUTE_ARCHIVE;
        EXPECT_EQ(Cfl_SetFileAttr(u16(path("hid.txt")), FILE_ATTRIBUTE_HIDDEN | archive, 1), 1);
        EXPECT_EQ(Cfl_SetFileAttr(u16(path("sys.txt")), FILE_ATTRIBUTE_SYSTEM | archive, 1), 1);
        EXPECT_EQ(Cfl_SetFileAttr(u16(path("hidsub")), FILE_ATTRIBUTE_HIDDEN, 1), 1);
    }
    std::u16string path(const std::string &name = {}) const { return scratch.path(name); }
};

// The names a listing gives, in its order, and the error it ends with.
std::pair<std::vector<std::u16string>, DWORD> list(const std::u16string &pattern) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wide(pattern), &data);
    if (find == INVALID_HANDLE_VALUE) return {names, GetLastError()};
    do names.push_back(str16(reinterpret_cast<const unsigned short *>(data.cFileName)));
    while (FindNextFileW(find, &data));
    const DWORD error = GetLastError();
    FindClose(find);
    return {names, error};
}

TEST(CflSearch, ListingsMatchNamesAsWindowsDoes) {
    Tree tree;
    const Names all = {u".",       u"..",      u"a.txt", u"B.TXT", u"noext",
                       u".dotfile", u"hid.txt", u"sys.txt", u"sub", u"hidsub"};
    struct Row {
        const char16_t *pattern;
        Names names;
        DWORD error;
        bool wine_differs;  // Wine 8 matches "*." and a trailing "?" literally
    } rows[] = {
        {u"*", all, ERROR_NO_MORE_FILES, false},
        {u"*.*", all, ERROR_NO_MORE_FILES, false},
        {u"*.TXT", {u"a.txt", u"B.TXT", u"hid.txt", u"sys.txt"}, ERROR_NO_MORE_FILES, false},
        {u"?.txt", {u"a.txt", u"B.TXT"}, ERROR_NO_MORE_FILES, false},
        {u"A.TXT", {u"a.txt"}, ERROR_NO_MORE_FILES, false},
        {u"noext.", {u"noext"}, ERROR_NO_MORE_FILES, false},
        {u"sub", {u"sub"}, ERROR_NO_MORE_FILES, false},
        {u"*.", {u".", u"..", u"noext", u"sub", u"hidsub"}, ERROR_NO_MORE_FILES, true},
        {u"sub?", {u"sub"}, ERROR_NO_MORE_FILES, true},
        {u"zz*", {}, ERROR_FILE_NOT_FOUND, false},
        {u"", {}, ERROR_FILE_NOT_FOUND, false},
        {u"missing\\*", {}, ERROR_PATH_NOT_FOUND, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.pattern, row.pattern + std::char_traits<char16_t>::length(row.pattern)));
        if (row.wine_differs && test::under_wine()) continue;  // noted on the row
        const auto [names, error] = list(tree.path() + row.pattern);
        EXPECT_EQ(Names(names.begin(), names.end()), row.names);
        EXPECT_EQ(error, row.error);
    }
    // "." and ".." come first, as Windows lists a folder.
    const auto names = list(tree.path() + u"*").first;
    EXPECT_EQ(std::vector<std::u16string>(names.begin(), names.begin() + 2),
              (std::vector<std::u16string>{u".", u".."}));
}

TEST(CflSearch, AttributesAreReadAndWritten) {
    Tree tree;
    tree.scratch.file("ro.txt", 1);
    EXPECT_EQ(Cfl_SetFileAttr(u16(tree.path("ro.txt")),
                              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, 1),
              1);
    const struct {
        const char *name;
        DWORD attributes;
    } rows[] = {
        {"a.txt", FILE_ATTRIBUTE_ARCHIVE},
        {"hid.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"sys.txt", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE},
        {".dotfile", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"sub", FILE_ATTRIBUTE_DIRECTORY},
        {"hidsub", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {"ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
    };
    const auto attributes_of = [&](const char *name) {
        DWORD attributes = 0;
        EXPECT_EQ(Cfl_GetFileAttr(u16(tree.path(name)), attributes, 1), 1) << name;
        return attributes;
    };
    for (const auto &row : rows) EXPECT_EQ(attributes_of(row.name), row.attributes) << row.name;
    EXPECT_EQ(Cfl_RemoveFileAttrReadOnly(u16(tree.path("ro.txt"))), 1);
    EXPECT_EQ(attributes_of("ro.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Cfl_SetFileAttr(u16(tree.path("hid.txt")), FILE_ATTRIBUTE_ARCHIVE, 1), 1);
    EXPECT_EQ(attributes_of("hid.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    // Wine 8 keeps only hidden and system, so a file stays archive there.
    EXPECT_EQ(Cfl_SetFileAttr(u16(tree.path("a.txt")), FILE_ATTRIBUTE_NORMAL, 1), 1);
    const DWORD normal = attributes_of("a.txt");
    if (!test::under_wine()) {
        EXPECT_EQ(normal, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    }

    test::MessageBoxCapture boxes;
    DWORD attributes = 0;
    EXPECT_EQ(Cfl_GetFileAttr(u16(tree.path("missing")), attributes, 0), 0);
    EXPECT_EQ(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Cfl_SetFileAttr(u16(tree.path("missing")), 0, 0), 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

// The records' paths relative to the tree, in list order.
std::vector<std::u16string> relative_paths(tagSEQ &list, const std::u16string &base) {
    std::vector<std::u16string> paths;
    for (tagNODE *node = list.pHead; node; node = node->pNext)
        paths.push_back(str16(static_cast<tagFINDFILE *>(node->pData)->pszFullPath).substr(base.size()));
    return paths;
}

TEST(CflSearch, SearchWalksTheTreeDepthFirstWithoutHiddenEntries) {
    Tree tree;
    const std::u16string base = tree.path();
    const std::u16string folder = base.substr(0, base.size() - 1);  // no backslash
    struct {
        const char16_t *pattern;
        int folders;
        Names expected;
    } rows[] = {
        {u"*.*", 0, {u"a.txt", u"B.TXT", u"noext"}},
        {u"*", 1,
         {u"a.txt", u"B.TXT", u"noext", u"sub", u"sub\\c.txt", u"sub\\deep",
          u"sub\\deep\\d.dat"}},
        {u"*.txt", 1, {u"a.txt", u"B.TXT"}},  // "sub" does not match: not entered
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.folders);
        tagSEQ list;
        EXPECT_EQ(Cfl_FileSearch(u16(folder), u16(row.pattern), list, row.folders), 1);
        const auto paths = relative_paths(list, base);
        EXPECT_EQ(Names(paths.begin(), paths.end()), row.expected);
        // Depth-first: what is found inside a folder follows its record, in one run.
        for (size_t i = 0; i < paths.size(); ++i) {
            const std::u16string inside = paths[i] + u'\\';
            auto is_inside = [&](const std::u16string &path) { return !path.rfind(inside, 0); };
            size_t end = i + 1;
            while (end < paths.size() && is_inside(paths[end])) ++end;
            EXPECT_EQ(std::count_if(paths.begin(), paths.end(), is_inside),
                      static_cast<std::ptrdiff_t>(end - i - 1));
        }
        const auto at = std::find(paths.begin(), paths.end(), u"sub\\deep\\d.dat");
        if (at != paths.end()) {
            const auto *record = static_cast<tagFINDFILE *>(
                FindIndex(list, static_cast<int>(at - paths.begin()))->pData);
            EXPECT_EQ(record->size, 40);
            EXPECT_EQ(record->attrib, static_cast<unsigned>(_A_ARCH));
            EXPECT_NEAR(record->time_write, Cfl_GetFileLtTime(record->pszFullPath), 1);
            EXPECT_EQ(record->pszExtra, nullptr);
        }
        Cfl_FileSearchFree(list);
        EXPECT_EQ(list.lCount, 0);
    }
    tagSEQ list;
    EXPECT_EQ(Cfl_FileSearch(u16(tree.path("missing")), u16(u"*.*"), list, 1), 0);
    EXPECT_EQ(list.lCount, 0);
}

TEST(CflSearch, FolderAnalysisCountsWhatTheTestWrote) {
    Tree tree;
    WCHAR before[2048], after[2048];
    GetCurrentDirectoryW(2048, before);
    LONG files = 0, folders = 0;
    int64_t bytes = 0;
    EXPECT_EQ(Cfl_FolderAnalyze(u16(tree.path()), files, folders, bytes, 0, 1, 1), 1);
    EXPECT_EQ(files, 9);
    EXPECT_EQ(folders, 3);
    EXPECT_EQ(bytes, 10 + 20 + 5 + 7 + 3 + 4 + 30 + 40 + 50);
    // The counters are added to, never reset.
    EXPECT_EQ(Cfl_FolderAnalyze(u16(tree.path("sub")), files, folders, bytes, 1, 0, 1), 1);
    EXPECT_EQ(files, 10);
    EXPECT_EQ(folders, 4);
    EXPECT_EQ(bytes, 169 + 30);
    EXPECT_EQ(Cfl_FolderAnalyze(u16(tree.path("missing")), files, folders, bytes, 0, 1, 0), 0);
    GetCurrentDirectoryW(2048, after);
    EXPECT_EQ(str16(reinterpret_cast<unsigned short *>(after)),
              str16(reinterpret_cast<unsigned short *>(before)));
}

TEST(CflSearch, SizesOfFilesFoldersAndDrives) {
    Tree tree;
    EXPECT_EQ(Cfl_GetFileSize(u16(tree.path("B.TXT")), 1), 20);
    EXPECT_EQ(Cfl_GetFileSize(u16(tree.path("sub")), 1), 0);
    EXPECT_EQ(Cfl_GetFileSize(u16(tree.path("missing")), 0), -1);
    {
        // Held against sharing: the size comes from the directory entry.
        test::Handle held(tree.scratch.open("a.txt", FL_UPDATE));
        EXPECT_EQ(Cfl_GetFileSize(u16(tree.path("a.txt")), 1), 10);
    }
    const int64_t total = Cfl_GetDispTotalSpace(u16(tree.path()), 1);
    const int64_t free = Cfl_GetDispFreeSpace(u16(tree.path()), 1);
    EXPECT_GT(total, 0);
    EXPECT_GE(free, 0);
    EXPECT_LE(free, total);
}

TEST(CflSearch, ByteSizeTexts) {
    const struct {
        int64_t size;
        unsigned char mode;
        const char16_t *text;
    } rows[] = {
        {0, 0, u"0 B"}, {1023, 0, u"1,023 B"}, {1024, 0, u"1 KB"},
        {1048575, 0, u"1,023 KB"}, {1048576, 0, u"1.00 MB"}, {10485760, 0, u"10.0 MB"},
        {104857600, 0, u"100 MB"}, {1048575999, 0, u"999 MB"}, {1048576000, 0, u"0.97 GB"},
        {1073741824, 0, u"1.00 GB"}, {1099511627776, 0, u"1.00 TB"}, {-1, 0, u"-1 B"},
        {1048576, 1, u"1,048,576 B"}, {1536, 2, u"1.50 KB"}, {1048575, 2, u"1,023.99 KB"},
        {1572864, 3, u"1.50 MB"}, {1073741824, 4, u"1.00 GB"}, {1099511627776, 5, u"1.00 TB"},
        {8796093022208, 0, u"8.00 TB"},  // past 4 TiB: no 32-bit wrap
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.size);
        EXPECT_EQ(str16(Cfl_DispByteSize(row.size, row.mode)), row.text);
    }
    EXPECT_EQ(str16(Cfl_DispByteSize(5, 6)), u"8.00 TB");  // unchanged
}

TEST(CflSearch, CheckSumRows) {
    const struct {
        const char *data;
        DWORD seed;
        DWORD sum;
    } rows[] = {
        {"", 0x1234, 0x1234},
        {"abc", 0, 0x00616263},
        {"abcd", 0, 0x64636261},
        {"abcdefg", 0x12345678, 0x7632527e},
        {"a", 0, 0x61},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.data);
        EXPECT_EQ(Cfl_CheckSum(row.data, static_cast<unsigned>(std::strlen(row.data)), row.seed),
                  row.sum);
    }
}

}  // namespace
