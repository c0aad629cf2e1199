// Trees only POSIX makes: links (to themselves, up the tree, outside it,
// nowhere), names that are not UTF-8 and deep chains. Every walk ends, counts
// what find(1) counts, and a delete takes links off, never what they lead to.
#include <quorvel/fileops.h>
#include <quorvel/search.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using test::u16;

struct Counts {
    long entries = 0, folders = 0;
    int64_t bytes = 0;  // of every entry but folders, links by their own size
};

// What find(1) counts below `folder`.
Counts find_counts(const fs::path &folder) {
    Counts counts;
    const std::string command = "find '" + folder.string() +
                                "' -mindepth 1 \\( -type d -printf 'd\\n' \\) -o -printf '%s\\n'";
    FILE *out = popen(command.c_str(), "r");
    char line[64];
    while (out && std::fgets(line, sizeof line, out)) {
        ++counts.entries;
        if (line[0] == 'd') ++counts.folders;
        else counts.bytes += std::atoll(line);
    }
    if (out) pclose(out);
    return counts;
}

// One odd entry per row, beside a.txt; `outside` is a folder off the tree.
struct Row {
    const char *name;
    void (*make)(const fs::path &tree, const fs::path &outside);
};

void touch(const fs::path &at) { std::ofstream(at) << "x"; }

void link(const std::string &target, const fs::path &at) {
    ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0) << at;
}

const Row kRows[] = {
    {"link to its own folder", [](const fs::path &t, const fs::path &) { link(".", t / "self"); }},
    {"link up the tree",
     [](const fs::path &t, const fs::path &) {
         fs::create_directories(t / "a/b");
         link("../..", t / "a/b/up");
     }},
    {"link to a folder outside holding keep.tmp",
     [](const fs::path &t, const fs::path &o) { link(o.string(), t / "out"); }},
    {"link to a file outside", [](const fs::path &t, const fs::path &o) {
         link((o / "keep.tmp").string(), t / "file.tmp");
     }},
    {"dangling link", [](const fs::path &t, const fs::path &) { link("nowhere", t / "gone.tmp"); }},
    {"name that is not UTF-8",
     [](const fs::path &t, const fs::path &) { touch(t / "\xff\xfe-\xe3\x81.tmp"); }},
    {"100 folders deep", [](const fs::path &t, const fs::path &) {
         fs::path deep = t;
         for (int i = 0; i < 100; ++i) deep /= "d" + std::to_string(i);
         fs::create_directories(deep);
         touch(deep / "z.tmp");
     }},
};

TEST(OddTrees, WalksEndCountAsFindAndDeletesNeverFollowALink) {
    for (const Row &row : kRows) {
        SCOPED_TRACE(row.name);
        test::Scratch outside, scratch;
        outside.write("keep.tmp", "kept");
        scratch.write("t/a.txt", "abc");
        row.make(scratch.native("t"), outside.native());
        const Counts want = find_counts(scratch.native("t"));
        test::MessageBoxCapture capture;

        LONG files = 0, folders = 0;
        int64_t bytes = 0;
        EXPECT_EQ(Cfl_FolderAnalyze(u16(scratch.path("t")), files, folders, bytes, 0, 1, 1), 1);
        EXPECT_EQ(files + folders, want.entries);
        EXPECT_EQ(bytes, want.bytes);
        tagSEQ list;
        EXPECT_EQ(Cfl_FileSearch(u16(scratch.path("t")), u16(u"*"), list, 1), 1);
        EXPECT_EQ(list.lCount, want.entries);
        Cfl_FileSearchFree(list);

        // A pattern delete takes the matching entries (links as links) and
        // the folders left empty; then the whole tree goes.
        EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("t")), u16(u"*.tmp")), 1);
        EXPECT_TRUE(fs::exists(scratch.native("t/a.txt")));
        for (const auto &entry : fs::recursive_directory_iterator(scratch.native("t")))
            EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
        EXPECT_EQ(Cfl_DeleteFolder(u16(scratch.path("t")), nullptr), 1);
        EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.native("t"))));
        EXPECT_EQ(outside.read("keep.tmp"), "kept");
        EXPECT_TRUE(capture.boxes().empty());
    }
}

}  // namespace
