// The worker's side of the exchange: the cancel and pause flags it polls,
// the stream callback, and closing the window.
#include <quorvel/progress.h>

#include "progress/state.h"
#include "progress/threads.h"
#include "progress/window_calls.h"

using progress::state;

namespace {

constexpr DWORD kPauseStepMs = 250;
constexpr DWORD kCloseSettleMs = 250;
constexpr DWORD kThreadPollMs = 50;
constexpr DWORD kCloseLockPollMs = 10;

bool drawing_threads_finished() {
    for (auto &handle : state().drawing_threads) {
        HANDLE thread = handle.load();
        if (!thread || thread == progress::no_thread()) continue;
        if (!progress::thread_finished(thread)) return false;
    }
    return true;
}

// Takes the close lock; the window thread keeps answering its messages
// meanwhile, since the other closer may be waiting for it.
class CloseLock {
public:
    CloseLock() {
        while (!state().close_lock.try_lock()) {
            Prg_PeekMessage();
            Sleep(kCloseLockPollMs);
        }
    }
    ~CloseLock() { state().close_lock.unlock(); }
    CloseLock(const CloseLock &) = delete;
    CloseLock &operator=(const CloseLock &) = delete;
};

bool on_window_thread() {
    return state().window_thread_id.load() == progress::current_thread_id();
}

void close_window() {
    auto &s = state();
    CloseLock hold;
    Prg_HideProgress();
    Sleep(kCloseSettleMs);
    s.closing.store(1);
    // The drawing threads see the closing flag within one cycle.
    for (;;) {
        bool finished = drawing_threads_finished();
        Sleep(kThreadPollMs);
        Prg_PeekMessage();
        if (finished) break;
    }
    for (int i = 0; i < progress::kDrawingThreads; ++i) {
        HANDLE thread = s.drawing_threads[i].exchange(progress::no_thread());
        if (thread && thread != progress::no_thread()) progress::release_thread(thread);
        s.drawing_running[i].store(0);
    }
    for (auto *bar : {&s.done_bar, &s.second_bar}) {
        if (HBITMAP bitmap = bar->exchange(nullptr)) progress::delete_bitmap(bitmap);
    }
    if (HWND window = s.window.load()) progress::destroy_window(window);
    s.window.store(nullptr);
}

}  // namespace

void Prg_SetCancel(int value) { state().cancel.store(value); }
void Prg_SetResume(int value) { state().pause.store(value); }
int Prg_IsCancel(void) { return state().cancel.load(); }
int Prg_IsResume(void) { return state().pause.load(); }

void Prg_PeekMessage(void) {
    if (HWND window = state().window.load()) progress::pump_one_message(window);
}

int Prg_DoResume(void) {
    Prg_PeekMessage();
    if (state().cancel.load()) return 0;
    return state().pause.load() ? 1 : 0;
}

int Prg_DoCancel(void) {
    while (Prg_DoResume() == 1) Sleep(kPauseStepMs);
    return state().cancel.load();
}

int Prg_ProgressCall(int64_t total, int64_t done, int64_t secondDone) {
    auto &s = state();
    if (Prg_DoCancel()) {
        Prg_CloseProgress();
        return 0;
    }
    if (done != s.passed_done.load() || total != s.passed_total.load()) {
        s.passed_done.store(done);
        s.passed_total.store(total);
        Prg_SetProgress(done, total);
    }
    if (secondDone != s.passed_second.load()) {
        s.passed_second.store(secondDone);
        Prg_SetProgress2(secondDone);
    }
    if (Prg_DoCancel()) {
        Prg_CloseProgress();
        return 0;
    }
    return 1;
}

int Prg_CloseProgress(void) {
    close_window();
    // Without its window the window thread ends at once; the cancel button
    // closes on that thread itself, and the next close or create frees it.
    if (!on_window_thread()) {
        if (HANDLE thread = state().window_thread.exchange(nullptr)) progress::release_thread(thread);
    }
    return 1;
}
