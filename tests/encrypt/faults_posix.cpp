// Faults met while a container is written or read, through the platform's
// file fault hook: the space running out, and a cancel between two blocks.
#include "encrypt_support.h"

#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/stream.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"

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
        {
            test::FileFault full(1, budget, ERROR_DISK_FULL);
            EXPECT_EQ(seal("a.bin", "a.bin.cpt"), 0) << budget;
        }
        EXPECT_EQ(scratch.read("a.bin"), original);
        EXPECT_EQ(Cfl_GetFileLtTime(u16(path("a.bin"))), kWritten);
        // What was written is no container.
        std::filesystem::remove_all(scratch.native("out"));
        EXPECT_EQ(restore("a.bin.cpt", "out"), 0);
        EXPECT_EQ(tree("out"), Tree());
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
        CancelAtChunk cancel{2};
        Quorvel_SetFileFaultHook(&CancelAtChunk::hook, &cancel);
        const int result = encrypting ? seal("a.bin", "b.cpt") : restore("a.bin.cpt", "out");
        Quorvel_SetFileFaultHook(nullptr, nullptr);
        Prg_SetCancel(0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(g_logged, 0);
    }
    EXPECT_EQ(scratch.read("b.cpt").size(), 102u + 8 + 16 + 24 + 2 * kMiB);
    EXPECT_EQ(restore("b.cpt", "again"), 0);
    EXPECT_EQ(tree("again"), Tree());
    EXPECT_EQ(scratch.read("out/a.bin"), original.substr(0, 2 * kMiB));
    EXPECT_NE(Cfl_GetFileLtTime(u16(path("out/a.bin"))), kWritten);
    Enc_FuncCallLogging(nullptr);
    Bwf_Destroy();
}

}  // namespace
