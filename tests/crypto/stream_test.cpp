#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/progress.h>
#include <quorvel/stream.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using test::Bytes;
using test::from_hex;
using test::Handle;

constexpr int64_t kMiB = 1024 * 1024;
// 16 bytes: the key length of OpenSSL's bf-ecb, which makes the expected bytes.
const unsigned char kKey[] = "5f4dcc3b5aa765d6";

// One callback call (total, done, second) with the output's size when it
// came: in-chunk calls come before the chunk is written, the after-chunk
// call after it.
using Call = std::array<int64_t, 4>;

// What the callback sees and answers; a plain function pointer, so global.
struct Recorder {
    std::vector<Call> calls;
    void *watched = nullptr;  // the handle whose size is recorded
    int stop_at = -1;         // index of the call that answers `stop_with`
    int stop_with = 0;
} g_recorder;

int record(int64_t total, int64_t done, int64_t second) {
    auto &r = g_recorder;
    r.calls.push_back({total, done, second, r.watched ? Fl_FileSize(r.watched) : -1});
    return static_cast<int>(r.calls.size()) - 1 == r.stop_at ? r.stop_with : 1;
}

void start_recording(void *watched, int stop_at = -1, int stop_with = 0) {
    g_recorder = Recorder{{}, watched, stop_at, stop_with};
    Bwf_FuncCall(record);
}

struct BlowfishStream : ::testing::Test {
    test::Scratch files;
    void TearDown() override {
        Bwf_FuncCall(nullptr);
        Bwf_Destroy();
    }

    int encrypt(const std::string &from, const std::string &to, int64_t total = 0) {
        Handle in(files.open(from, FL_READ)), out(files.open(to, FL_CREATE));
        return Bwf_Encrypt(in, out, kKey, total);
    }
    int decrypt(const std::string &from, const std::string &to, int64_t n) {
        Handle in(files.open(from, FL_READ)), out(files.open(to, FL_CREATE));
        return Bwf_Decrypt(in, out, kKey, n);
    }
    int verify(const std::string &enciphered, const std::string &original, int64_t n) {
        Handle in(files.open(enciphered, FL_READ)), plain(files.open(original, FL_READ));
        return Bwf_Verify(in, plain, kKey, n);
    }
};

// Expected bytes from `openssl enc -bf-ecb -nopad -provider legacy -provider
// default -K <hex of kKey>` of the zero-padded input, each 4 bytes reversed
// on the way in and out (OpenSSL's block halves are big-endian words).
TEST_F(BlowfishStream, ThirteenBytesBecomeSixteenAndComeBack) {
    const Bytes plain = "Quorvel body!";
    files.write("plain", plain);
    ASSERT_EQ(encrypt("plain", "body"), 1);
    const Bytes body = files.read("body");
    EXPECT_EQ(body, from_hex("0cadfecb96a1e116e25f858c93604e42"));

    // The body sits in front of the next record; the reader stops behind it.
    files.write("container", body + "NEXT");
    {
        Handle in(files.open("container", FL_READ)), out(files.open("restored", FL_CREATE));
        ASSERT_EQ(Bwf_Decrypt(in, out, kKey, 13), 1);
        EXPECT_EQ(Fl_Seek(in, 0, 1), 16);
    }
    EXPECT_EQ(files.read("restored"), plain);
    EXPECT_EQ(verify("body", "plain", 13), 1);

    // Nothing in, nothing out.
    files.write("empty", {});
    EXPECT_EQ(encrypt("empty", "empty.body"), 1);
    EXPECT_TRUE(files.read("empty.body").empty());
    EXPECT_EQ(decrypt("body", "none", 0), 1);
    EXPECT_TRUE(files.read("none").empty());
}

TEST_F(BlowfishStream, ChunksMatchOpenSslAndRoundTrip) {
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);  // 1 MiB chunks
    const Bytes plain = test::pattern(3 * kMiB + 5);
    files.write("plain", plain);
    ASSERT_EQ(encrypt("plain", "body"), 1);
    const Bytes body = files.read("body");
    ASSERT_EQ(body.size(), 3 * kMiB + 8);
    EXPECT_EQ(body.substr(0, 16), from_hex("b91b66cec52743d22cc8a9db254476d5"));
    EXPECT_EQ(body.substr(kMiB - 8, 16), from_hex("f15dbc6acf71a3128731296335dcfc87"));
    EXPECT_EQ(body.substr(body.size() - 16), from_hex("b84bbb1ebe8d8677a19bf02eb57430af"));

    ASSERT_EQ(decrypt("body", "restored", static_cast<int64_t>(plain.size())), 1);
    EXPECT_EQ(files.read("restored"), plain);
}

TEST_F(BlowfishStream, ProgressAtEachMiBAndAfterEachChunk) {
    ASSERT_EQ(Bwf_Init(1572864), 1);  // 1.5 MiB chunks
    const int64_t size = 4 * kMiB + 8;
    const int64_t half = kMiB / 2;
    files.write("plain", test::pattern(static_cast<std::size_t>(size)));
    {
        Handle in(files.open("plain", FL_READ)), out(files.open("body", FL_CREATE));
        start_recording(out);
        ASSERT_EQ(Bwf_Encrypt(in, out, kKey, 777), 1);
    }
    // The MiB count runs on across chunks.
    EXPECT_EQ(g_recorder.calls, (std::vector<Call>{
                                    {777, kMiB, 0, 0},
                                    {777, 3 * half, 0, 3 * half},
                                    {777, 2 * kMiB, 0, 3 * half},
                                    {777, 3 * kMiB, 0, 3 * half},
                                    {777, 3 * kMiB, 0, 3 * kMiB},
                                    {777, 4 * kMiB, 0, 3 * kMiB},
                                    {777, size, 0, size},
                                }));
    {
        Handle in(files.open("body", FL_READ)), out(files.open("restored", FL_CREATE));
        start_recording(out);
        ASSERT_EQ(Bwf_Decrypt(in, out, kKey, size - 3), 1);
    }
    ASSERT_EQ(g_recorder.calls.size(), 7u);
    EXPECT_EQ(g_recorder.calls[1], (Call{size - 3, 3 * half, 0, 3 * half}));
    EXPECT_EQ(g_recorder.calls[6], (Call{size - 3, size, 0, size - 3}));

    // A verify reports (n, input size, done), in and after each chunk.
    {
        Handle in(files.open("body", FL_READ)), plain(files.open("plain", FL_READ));
        start_recording(nullptr);
        ASSERT_EQ(Bwf_Verify(in, plain, kKey, size), 1);
    }
    std::vector<Call> expected;
    for (int64_t second : {kMiB, 3 * half, 2 * kMiB, 3 * kMiB, 3 * kMiB, 4 * kMiB, size})
        expected.push_back({size, size, second, -1});
    EXPECT_EQ(g_recorder.calls, expected);

    // The registration was used up: no calls without a new one.
    g_recorder.calls.clear();
    ASSERT_EQ(encrypt("plain", "again"), 1);
    EXPECT_TRUE(g_recorder.calls.empty());
}

TEST_F(BlowfishStream, CallbackStopsTheStreamWithItsValue) {
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);  // 1 MiB chunks
    files.write("plain", test::pattern(3 * kMiB));

    // Stopped inside the first chunk: nothing written.
    start_recording(nullptr, 0, 0);
    EXPECT_EQ(encrypt("plain", "body"), 0);
    EXPECT_TRUE(files.read("body").empty());

    // Stopped after the second chunk: those two chunks stay.
    start_recording(nullptr, 3, 7);
    EXPECT_EQ(encrypt("plain", "body"), 7);
    EXPECT_EQ(files.read("body").size(), static_cast<std::size_t>(2 * kMiB));

    // A call that fails before any work keeps the registration.
    start_recording(nullptr, 0, 5);
    EXPECT_EQ(Bwf_Encrypt(nullptr, nullptr, kKey, 0), 0);
    EXPECT_EQ(encrypt("plain", "body"), 5);
    {  // No file behind the handle: its size, -1, is never above its position.
        test::MessageBoxCapture boxes;
        void *const none = reinterpret_cast<void *>(0x7FF0);
        start_recording(nullptr, 0, 5);
        EXPECT_EQ(Bwf_Encrypt(none, none, kKey, 0), 1);
        EXPECT_EQ(Bwf_Decrypt(none, none, kKey, 8), 1);
        EXPECT_EQ(Bwf_Verify(none, none, kKey, 8), 1);
        EXPECT_EQ(encrypt("plain", "body"), 1);  // the registration was used up
    }

    // The progress window's callback stops a cancelled stream.
    Prg_SetCancel(1);
    Bwf_FuncCall(Prg_ProgressCall);
    EXPECT_EQ(encrypt("plain", "body"), 0);
    Prg_SetCancel(0);
    Bwf_FuncCall(Prg_ProgressCall);
    EXPECT_EQ(encrypt("plain", "body"), 1);
}

TEST_F(BlowfishStream, VerifyCatchesOneChangedByte) {
    ASSERT_EQ(Bwf_Init(512 * 1024), 1);
    Bytes plain = test::pattern(2 * kMiB + kMiB / 2 + 3);
    files.write("plain", plain);
    ASSERT_EQ(encrypt("plain", "body"), 1);
    const auto n = static_cast<int64_t>(plain.size());
    EXPECT_EQ(verify("body", "plain", n), 1);

    plain[plain.size() - 1] ^= 0x20;
    files.write("plain", plain);
    EXPECT_EQ(verify("body", "plain", n), 0);
    start_recording(nullptr);
    EXPECT_EQ(verify("body", "plain", n), 0);
    EXPECT_EQ(g_recorder.calls.size(), 5u);  // every chunk was checked

    plain[kMiB + 1] ^= 0x01;
    files.write("plain", plain);
    start_recording(nullptr);
    EXPECT_EQ(verify("body", "plain", n), 0);
    EXPECT_EQ(g_recorder.calls.size(), 4u);  // stops after the second chunk
}

// The chunk size shows as the output's size at the first after-chunk call.
TEST_F(BlowfishStream, InitPicksTheChunkSizeFromTheLadder) {
    files.write("plain", test::pattern(static_cast<std::size_t>(8 * kMiB + 8)));
    auto first_chunk = [&](int64_t figure) -> int64_t {
        Bwf_Destroy();
        if (Bwf_Init(figure) != 1) return -1;
        Handle in(files.open("plain", FL_READ)), out(files.open("body", FL_CREATE));
        g_recorder = Recorder{{}, out, -1, 0};
        Bwf_FuncCall([](int64_t total, int64_t done, int64_t second) {
            record(total, done, second);
            return g_recorder.calls.back()[3] == done ? 2 : 1;  // stop after a chunk
        });
        return Bwf_Encrypt(in, out, kKey, 0) == 2 ? Fl_FileSize(out) : -1;
    };
    const std::pair<int64_t, int64_t> ladder[] = {
        {10 * kMiB, 8 * kMiB}, {9 * kMiB, 8 * kMiB}, {8 * kMiB, 4 * kMiB}, {5 * kMiB, 4 * kMiB},
        {4 * kMiB, 2 * kMiB},  {3 * kMiB, 2 * kMiB}, {2 * kMiB, 2 * kMiB}, {1572864, 1572864},
        {512 * 1024, kMiB},    {-1, kMiB}};
    for (const auto &[figure, chunk] : ladder) EXPECT_EQ(first_chunk(figure), chunk) << figure;

    // 0: half the machine's memory picks the step.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    const int64_t half_mib = static_cast<int64_t>(memory.ullTotalPhys / 2 / kMiB);
    ASSERT_GT(half_mib, 8) << "a machine this small takes a figure of its own";
    EXPECT_EQ(first_chunk(0), 8 * kMiB);

    // The stream functions make their own buffers: 8 MiB from memory here,
    // 2 MiB for a verify.
    files.write("small", test::pattern(static_cast<std::size_t>(kMiB)));
    Bwf_Destroy();
    ASSERT_EQ(encrypt("small", "small.body"), 1);
    Bwf_Destroy();
    start_recording(nullptr);
    EXPECT_EQ(verify("small.body", "small", kMiB), 1);
    EXPECT_EQ(g_recorder.calls.size(), 2u);  // at 1 MiB, then after the one chunk
}

TEST_F(BlowfishStream, BadArgumentsFailCleanly) {
    test::MessageBoxCapture boxes;
    files.write("plain", test::pattern(100));
    Handle in(files.open("plain", FL_READ)), out(files.open("body", FL_CREATE));
    EXPECT_EQ(Bwf_Encrypt(in, nullptr, kKey, 0), 0);
    EXPECT_EQ(Bwf_Encrypt(nullptr, out, kKey, 0), 0);
    EXPECT_EQ(Bwf_Encrypt(in, out, nullptr, 0), 0);
    EXPECT_EQ(Bwf_Decrypt(in, nullptr, kKey, 8), 0);
    EXPECT_EQ(Bwf_Verify(nullptr, in, kKey, 8), 0);
    EXPECT_EQ(Fl_FileSize(out), 0);

    // Key files: both 4096-byte halves or nothing.
    const auto key_file = [&](const std::string &name, const unsigned char *key = kKey) {
        return Bwf_ReadKey(test::u16(files.path(name)), key);
    };
    files.write("short.key", test::pattern(8191));
    files.write("whole.key", test::pattern(8192));
    EXPECT_EQ(key_file("short.key"), 0);
    EXPECT_EQ(key_file("missing.key"), 0);
    EXPECT_EQ(key_file("whole.key"), 1);
    EXPECT_EQ(Bwf_ReadKey(nullptr, kKey), 0);
    EXPECT_EQ(Bwf_ReadKey(test::u16(u""), kKey), 0);
    EXPECT_EQ(key_file("whole.key", nullptr), 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

}  // namespace
