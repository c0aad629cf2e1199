#include <quorvel/progress.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

namespace {

using test::u16;
using namespace std::chrono_literals;

// Every test leaves the flags as it found them: cleared.
struct ProgressFlags : ::testing::Test {
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear() {
        Prg_SetCancel(0);
        Prg_SetResume(0);
        Prg_ViewCounter(0);
    }
};

TEST_F(ProgressFlags, EveryCallIsHarmlessWithoutAWindow) {
    test::MessageBoxCapture boxes;
    EXPECT_EQ(Prg_IsProgress(), 0);

    Prg_OpenProgress(u16(u"タイトル"));
    Prg_OpenProgress(nullptr);
    Prg_SetTitle(u16(u"タイトル"));
    Prg_SetTitle(nullptr);
    Prg_SetVersion(u16(u"1.0"));
    Prg_SetVersion(u16(u""));
    Prg_SetCancelText(u16(u"中止"));
    Prg_SetResumeText(u16(u"止める"), nullptr);
    Prg_SetResumeText(u16(u"止める"), u16(u"続ける"));
    Prg_EnableCancelButton(0);
    Prg_EnableResumeButton(1);
    Prg_SetFileName(u16(u"C:\\データ\\a.txt"));
    Prg_SetFileName(nullptr);
    Prg_SetMessage(u16(u"暗号化しています"));
    Prg_SetProgress(150, 100);
    Prg_SetProgress2(40);
    Prg_SetProgressAdd(-5);
    Prg_SetProgressAdd2(7);
    Prg_PeekMessage();
    Prg_HideProgress();

    // Without a window the handed-over blocks stay the caller's.
    const char16_t text[] = u"C:\\work\\b.txt";
    auto *path = static_cast<unsigned short *>(std::malloc(sizeof text));
    auto *message = static_cast<unsigned short *>(std::malloc(sizeof text));
    std::memcpy(path, text, sizeof text);
    std::memcpy(message, text, sizeof text);
    Prg_SetFileName2(path);
    Prg_SetMessage2(message);
    EXPECT_EQ(std::memcmp(path, text, sizeof text), 0);
    EXPECT_EQ(std::memcmp(message, text, sizeof text), 0);
    std::free(path);
    std::free(message);

    EXPECT_EQ(Prg_IsProgress(), 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ProgressFlags, FlagsAreStoredAsGivenAndAnswerTheWorker) {
    EXPECT_EQ(Prg_IsCancel(), 0);
    EXPECT_EQ(Prg_IsResume(), 0);
    EXPECT_EQ(Prg_DoResume(), 0);
    EXPECT_EQ(Prg_DoCancel(), 0);

    Prg_SetResume(2);
    EXPECT_EQ(Prg_IsResume(), 2);
    EXPECT_EQ(Prg_DoResume(), 1);  // paused

    // A cancel wins over a pause: nobody waits.
    Prg_SetCancel(5);
    EXPECT_EQ(Prg_IsCancel(), 5);
    EXPECT_EQ(Prg_DoResume(), 0);
    EXPECT_EQ(Prg_DoCancel(), 5);
    EXPECT_EQ(Prg_IsResume(), 2);

    // The cancel flag outlives a close; only a setter clears it.
    EXPECT_EQ(Prg_CloseProgress(), 1);
    EXPECT_EQ(Prg_IsCancel(), 5);
    EXPECT_EQ(Prg_CloseProgress(), 1);  // a second close finds nothing either
    EXPECT_EQ(Prg_IsProgress(), 0);
}

// Runs Prg_DoCancel on a worker while paused; `release` ends the pause once
// the worker is on its way in. A worker that did not wait would have
// returned, and would not see a cancel set afterwards.
template <typename Release>
int paused_worker_result(Release release) {
    Prg_SetResume(1);
    std::atomic<bool> started{false};
    auto worker = std::async(std::launch::async, [&] {
        started = true;
        return Prg_DoCancel();
    });
    while (!started) std::this_thread::yield();
    EXPECT_EQ(worker.wait_for(0s), std::future_status::timeout) << "a paused worker must wait";
    release();
    return worker.get();
}

TEST_F(ProgressFlags, PausedWorkerWaitsUntilResumedOrCancelled) {
    EXPECT_EQ(paused_worker_result([] { Prg_SetResume(0); }), 0);
    EXPECT_EQ(paused_worker_result([] { Prg_SetCancel(1); }), 1);
    EXPECT_EQ(Prg_IsResume(), 1);  // cancelling leaves the pause flag alone
}

TEST_F(ProgressFlags, ProgressCallGoesOnUntilCancelled) {
    EXPECT_EQ(Prg_ProgressCall(100, 150, 40), 1);
    EXPECT_EQ(Prg_ProgressCall(100, 150, 40), 1);  // same values again
    EXPECT_EQ(Prg_ProgressCall(0, 0, 0), 1);

    Prg_SetCancel(1);
    EXPECT_EQ(Prg_ProgressCall(100, 10, 0), 0);
    EXPECT_EQ(Prg_IsProgress(), 0);
    EXPECT_EQ(Prg_IsCancel(), 1);
}

// Several reporters and pollers at once: the flags and counters are shared
// words (run under ThreadSanitizer).
TEST_F(ProgressFlags, ConcurrentReportersAndPollersShareTheState) {
    std::atomic<bool> stop{false};
    std::thread toggler([&] {
        for (int i = 0; !stop; ++i) {
            Prg_SetResume(i & 1);
            Prg_ViewCounter(i & 2);
        }
    });
    std::thread reporter([&] {
        for (int64_t i = 0; !stop; ++i) {
            Prg_SetProgress(i, 1000);
            Prg_SetProgressAdd(1);
            Prg_SetProgress2(i);
            Prg_SetProgressAdd2(1);
        }
    });
    // Until the pollers have seen the pause set a thousand times.
    for (int paused = 0; paused < 1000;) {
        paused += Prg_DoResume();
        EXPECT_EQ(Prg_IsCancel(), 0);
    }
    stop = true;
    toggler.join();
    reporter.join();
    Prg_SetResume(0);
    EXPECT_EQ(Prg_ProgressCall(1000, 1, 1), 1);
}

}  // namespace
