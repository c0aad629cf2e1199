// Faults met while a container is written or read: the space running out
// and a cancel between two blocks (through the platform's file fault
// hook), names no Windows file can have, links where entries go. A
// container that cannot be completed is removed, and the reason reaches
// the host's result callback as the last error.
#include "encrypt_support.h"

#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/stream.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"
#include "support/win32.h"

namespace {

using namespace enc_test;
using Faults = Sandbox;

constexpr DWORD kMiB = 1024 * 1024;

TEST_F(Faults, SpaceRunsOutWhileWriting) {
    const test::Bytes original = test::pattern(3 * kMiB + 13);
    put("a.bin", original);
    set_times("a.bin");
    test::MessageBoxCapture boxes;  // the failed writes are shown
    // Budgets inside the header, the entry and the body.
    for (DWORD budget : {0u, 1u, 50u, 101u, 102u, 120u, 150u, 1000u, 2 * kMiB}) {
        SCOPED_TRACE(budget);
        {
            test::FileFault full(1, budget, ERROR_DISK_FULL);
            EXPECT_EQ(seal("a.bin", "a.bin.cpt"), 0);
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL)) << budget;
        EXPECT_EQ(scratch.read("a.bin"), original);
        EXPECT_EQ(Cfl_GetFileLtTime(u16(path("a.bin"))), kWritten);
        EXPECT_EQ(tree(), Tree{"a.bin"}) << budget;
    }
}

// An original that shrinks while it is read: its entry already holds the
// size it had, so no container is left that holds less.
TEST_F(Faults, OriginalCutShortWhileRead) {
    put("a.bin", test::pattern(3 * kMiB + 13));
    for (DWORD budget : {0u, 100u, 2 * kMiB}) {
        {
            test::FileFault short_reads(0, budget, 0);
            EXPECT_EQ(seal("a.bin", "a.bin.cpt"), 0) << budget;
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF)) << budget;
        EXPECT_EQ(tree(), Tree{"a.bin"}) << budget;
    }
}

// Sets the cancel flag at the n-th write of a 1 MiB chunk.
struct CancelAtChunk {
    int chunks_left;
    static DWORD hook(void *context, int operation, HANDLE, DWORD requested, DWORD *) {
        auto *self = static_cast<CancelAtChunk *>(context);
        if (operation == 1 && requested == kMiB && --self->chunks_left == 0) Prg_SetCancel(1);
        return 0;
    }
};

int g_logged = -1;
void on_logging(unsigned char result, const unsigned short *, const unsigned short *, int64_t) {
    g_logged = result;
}

// A cancel between blocks stops the run with 0 after the chunk being
// written. What was written stays, cut there: a container the reader
// refuses, a restored file that has neither the original's length nor its
// times.
TEST_F(Faults, CancelMidBody) {
    const test::Bytes original = test::pattern(3 * kMiB);
    put("a.bin", original);
    set_times("a.bin");
    ASSERT_EQ(seal("a.bin", "a.bin.cpt"), 1);
    ASSERT_TRUE(Bwf_Init(kMiB));  // 1 MiB chunks
    Enc_FuncCallLogging(on_logging);
    for (bool encrypting : {true, false}) {
        SCOPED_TRACE(encrypting ? "encrypting" : "decrypting");
        CancelAtChunk cancel{2};
        Quorvel_SetFileFaultHook(&CancelAtChunk::hook, &cancel);
        const int result = encrypting ? seal("a.bin", "b.cpt") : restore("a.bin.cpt", "out");
        Quorvel_SetFileFaultHook(nullptr, nullptr);
        Prg_SetCancel(0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(g_logged, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(scratch.native("b.cpt")));
    EXPECT_EQ(scratch.read("out/a.bin"), original.substr(0, 2 * kMiB));
    EXPECT_NE(Cfl_GetFileLtTime(u16(path("out/a.bin"))), kWritten);
    Enc_FuncCallLogging(nullptr);
    Bwf_Destroy();
}

int g_result = -1;
DWORD g_reason = 0;
void on_result(unsigned char result, const unsigned short *, const unsigned short *, int) {
    g_result = result;
    g_reason = GetLastError();
}

TEST_F(Faults, ReasonsAndNoHalfContainer) {
    const struct { const char *name; DWORD reason; } rows[] = {
        {"aux.c", ERROR_INVALID_NAME}, {"con.txt", ERROR_INVALID_NAME},
        {"dot.", ERROR_INVALID_NAME},  {"sp ", ERROR_INVALID_NAME},
        {"ok.txt", ERROR_CANCELLED},  // cancelled before it starts
    };
    Enc_FuncCallResult(on_result);
    for (const auto &row : rows) {
        std::filesystem::remove_all(scratch.native("d"));
        put(std::string("d/") + row.name, "x");
        std::u16string buffer = path(std::string("d/") + row.name);
        buffer.resize(QUORVEL_MAX_TEXT);
        Prg_SetCancel(row.reason == ERROR_CANCELLED);
        const int result = Enc_Encrypt(nullptr, reinterpret_cast<unsigned short *>(&buffer[0]),
                                       u16(kPassword), kKeyTime, 0);
        Prg_SetCancel(0);
        EXPECT_EQ(result, row.reason == ERROR_CANCELLED ? 0 : 1) << row.name;  // the skip rule
        EXPECT_EQ(g_result, 0) << row.name;
        EXPECT_EQ(g_reason, row.reason) << row.name;
        EXPECT_EQ(tree("d"), Tree{row.name}) << row.name;
    }
    Enc_FuncCallResult(nullptr);
}

// Links in a tree are passed by, both ways.
// A host that names a link has the file it leads to sealed: that file's
// size and body, not the link's own.
TEST_F(Faults, LinkNamedDirectlyIsSealedAsItsFile) {
    put("outside/f.txt", "the body of the file the link leads to");
    std::filesystem::create_symlink(scratch.native("outside/f.txt"), scratch.native("l.txt"));
    ASSERT_EQ(seal("l.txt", "l.txt.cpt"), 1);
    ASSERT_EQ(restore("l.txt.cpt", "out"), 1);
    EXPECT_EQ(scratch.read("out/l.txt"), "the body of the file the link leads to");
}

TEST_F(Faults, LinksInATreeNotFollowed) {
    put("outside/f.txt", "f");
    put("outside/e.cpt", reference("empty_file"));
    put("d/a.txt", "a");
    for (const auto &[target, link] : {std::pair{"outside", "d/folder"},
                                       {"outside/f.txt", "d/f.txt"}, {"outside/e.cpt", "d/e.cpt"}})
        std::filesystem::create_symlink(scratch.native(target), scratch.native(link));
    g_cSubFolder = 1;
    for (bool encrypting : {true, false}) {
        std::u16string buffer = path("d");
        buffer.resize(QUORVEL_MAX_TEXT);
        auto *units = reinterpret_cast<unsigned short *>(&buffer[0]);
        EXPECT_EQ(encrypting ? Enc_Encrypt(nullptr, units, u16(kPassword), kKeyTime, 0)
                             : Enc_Decrypt(nullptr, units, u16(kPassword), 0), 1);
        if (encrypting) std::filesystem::remove(scratch.native("d/a.txt"));
    }
    g_cSubFolder = 0;
    EXPECT_EQ(scratch.read("d/a.txt"), "a");
    for (const char *made : {"d/f.txt.cpt", "d/e.bin", "outside/e.bin", "outside/f.txt.cpt"})
        EXPECT_FALSE(std::filesystem::exists(scratch.native(made))) << made;
}

// Nothing is written through a link where a restored file or folder goes,
// nor where the log goes (no log then, and no failure).
TEST_F(Faults, LinksWhereEntriesGo) {
    const struct { const char *container, *link, *target; int result; } rows[] = {
        {"a_txt", "out/a.txt", "outside/victim", 0},
        {"a_txt", "out/a.txt", "outside/none", 0},  // a link to nothing yet
        {"tree", "out/a", "outside", 0},
        {"a_txt", "out/c_Dec.log", "outside/victim", 1},
    };
    g_cOutputLog = 1;
    for (const auto &row : rows) {
        for (const char *folder : {"out", "outside"})
            std::filesystem::remove_all(scratch.native(folder));
        put("outside/victim", "v");
        std::filesystem::create_directories(scratch.native("out"));
        std::filesystem::create_symlink(scratch.native(row.target), scratch.native(row.link));
        put("c.cpt", reference(row.container));
        EXPECT_EQ(restore("c.cpt", "out"), row.result) << row.link;
        if (!row.result) EXPECT_EQ(GetLastError(), DWORD{ERROR_CANT_ACCESS_FILE}) << row.link;
        EXPECT_EQ(tree("outside"), Tree{"victim"}) << row.link;
        EXPECT_EQ(scratch.read("outside/victim"), "v") << row.link;
        EXPECT_TRUE(std::filesystem::is_symlink(scratch.native(row.link))) << row.link;
    }
    g_cOutputLog = 0;
}

}  // namespace
