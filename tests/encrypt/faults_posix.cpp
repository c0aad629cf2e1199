// Faults met while a container is written or read, through the platform's
// file fault hook: the space running out, and a cancel between two blocks.
#include "encrypt_support.h"

#include <quorvel/fl.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/stream.h>

#include "support/file_fault.h"
#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using enc_test::kKeyTime;
using enc_test::kPassword;
using enc_test::u16;

constexpr DWORD kMiB = 1024 * 1024;

TEST(ContainerFaults, SpaceRunsOutWhileWriting) {
    test::Scratch scratch;
    const test::Bytes original = test::pattern(3 * kMiB + 13);
    scratch.write("a.bin", original);
    const int32_t written = Cfl_GetFileLtTime(u16(scratch.path("a.bin")));
    // Budgets inside the header, the entry and the body.
    test::MessageBoxCapture boxes;  // the failed writes are shown
    for (DWORD budget : {0u, 1u, 50u, 101u, 102u, 120u, 150u, 1000u, 2 * kMiB}) {
        SCOPED_TRACE(budget);
        {
            test::FileFault full(1, budget, ERROR_DISK_FULL);
            EXPECT_EQ(Enc_EncryptHead(u16(kPassword), u16(scratch.path("a.bin")),
                                      u16(scratch.path("a.bin.cpt")), kKeyTime),
                      0);
        }
        EXPECT_EQ(scratch.read("a.bin"), original);
        EXPECT_EQ(Cfl_GetFileLtTime(u16(scratch.path("a.bin"))), written);
        // What was written cannot be taken for a container.
        test::Scratch out;
        EXPECT_EQ(Enc_DecryptHead(u16(kPassword), u16(scratch.path("a.bin.cpt")), u16(out.path())),
                  0);
        EXPECT_EQ(enc_test::tree(out.native()), std::set<std::string>());
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

// A cancel between blocks: the run stops with 0 after the chunk being
// written; what was written stays, cut there, and the restored file keeps
// neither the original's length nor its times.
TEST(ContainerFaults, CancelMidBody) {
    test::Scratch scratch;
    const test::Bytes original = test::pattern(3 * kMiB);
    scratch.write("a.bin", original);
    enc_test::set_reference_times(scratch, "a.bin");
    ASSERT_EQ(Enc_EncryptHead(u16(kPassword), u16(scratch.path("a.bin")),
                              u16(scratch.path("a.bin.cpt")), kKeyTime),
              1);
    ASSERT_TRUE(Bwf_Init(kMiB));  // 1 MiB chunks
    Enc_FuncCallLogging(on_logging);
    for (bool encrypting : {true, false}) {
        SCOPED_TRACE(encrypting ? "encrypting" : "decrypting");
        test::Scratch out;
        CancelAtChunk cancel{2};
        Quorvel_SetFileFaultHook(&CancelAtChunk::hook, &cancel);
        const int result =
            encrypting ? Enc_EncryptHead(u16(kPassword), u16(scratch.path("a.bin")),
                                         u16(out.path("b.cpt")), kKeyTime)
                       : Enc_DecryptHead(u16(kPassword), u16(scratch.path("a.bin.cpt")),
                                         u16(out.path()));
        Quorvel_SetFileFaultHook(nullptr, nullptr);
        Prg_SetCancel(0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(g_logged, 0);
        const test::Bytes left = out.read(encrypting ? "b.cpt" : "a.bin");
        if (encrypting) {
            // Header, entry and two chunks of body: the reader refuses it.
            EXPECT_EQ(left.size(), 102u + 8 + 16 + 24 + 2 * kMiB);
            test::Scratch restored;
            EXPECT_EQ(Enc_DecryptHead(u16(kPassword), u16(out.path("b.cpt")),
                                      u16(restored.path())),
                      0);
            EXPECT_EQ(enc_test::tree(restored.native()), std::set<std::string>());
        } else {
            EXPECT_EQ(left, original.substr(0, 2 * kMiB));
            EXPECT_NE(Cfl_GetFileLtTime(u16(out.path("a.bin"))), enc_test::kWritten);
        }
    }
    Enc_FuncCallLogging(nullptr);
    Bwf_Destroy();
}

}  // namespace
