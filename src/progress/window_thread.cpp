// Prg_CreateProgress and the window thread: the creator and the thread
// hand-shake through the window field and the thread-start flag, and the
// creator waits until the three drawing threads draw.
#include <quorvel/error.h>
#include <quorvel/progress.h>

#include "frame/module.h"
#include "progress/state.h"
#include "progress/threads.h"
#include "progress/window_calls.h"

#include <ctime>

using progress::state;

namespace {

constexpr int kOldWindowWaits = 10;
constexpr DWORD kOldWindowWaitMs = 100;
constexpr DWORD kStartPollMs = 20;
constexpr DWORD kReadyPollMs = 50;
constexpr DWORD kWindowLoopMs = 10;

// Read by the window thread before the creator may return.
struct WindowParams {
    HINSTANCE instance;
    int *caller_cancel;
    int *caller_pause;
};

void reset_state_for_new_window() {
    auto &s = state();
    for (int i = 0; i < progress::kDrawingThreads; ++i) {
        s.drawing_threads[i].store(progress::no_thread());
        s.drawing_running[i].store(0);
    }
    s.cancel.store(0);
    s.pause.store(0);
    s.closing.store(0);
    s.done.store(0);
    s.second_done.store(0);
    s.total.store(0);
    s.start_time.store(0);  // until the creator sets it, the clock shows 00:00:00
}

void load_bar_faces(HINSTANCE instance) {
    auto &s = state();
    if (!s.done_bar.load()) s.done_bar.store(progress::load_bar_face(instance, progress::kDoneBarFace));
    if (!s.second_bar.load())
        s.second_bar.store(progress::load_bar_face(instance, progress::kSecondBarFace));
}

void window_thread(void *argument) {
    auto &s = state();
    WindowParams params = *static_cast<WindowParams *>(argument);
    s.window_thread_id.store(progress::current_thread_id());
    s.caller_cancel.store(params.caller_cancel);
    s.caller_pause.store(params.caller_pause);
    reset_state_for_new_window();

    HWND window = progress::create_window(params.instance);
    if (!window) {
        Err_Message(0);
        s.thread_start.store(progress::State::kFailed);
        return;
    }
    s.window.store(window);
    progress::place_topmost(window);
    unsigned short caption[progress::kTitleUnits] = {};
    if (progress::read_caption(window, caption, progress::kTitleUnits) == 0) Err_Message(0);
    {
        std::lock_guard<std::mutex> hold(s.text_lock);
        progress::copy_text(s.title, caption);
    }
    load_bar_faces(params.instance);
    // Only now may the caller title the window: the caption read above
    // would overwrite an earlier title.
    s.thread_start.store(progress::State::kReady);

    // Ends on a cancel, or once a close destroyed the window.
    while (!s.cancel.load() && s.window.load() == window) {
        Prg_PeekMessage();
        progress::wait_for_input(window, kWindowLoopMs);
    }
    s.caller_cancel.store(nullptr);
    s.caller_pause.store(nullptr);
    s.window_thread_id.store(0);
}

// A drawing thread is settled once it draws, has ended, or never started.
bool drawing_threads_settled() {
    auto &s = state();
    for (int i = 0; i < progress::kDrawingThreads; ++i) {
        HANDLE thread = s.drawing_threads[i].load();
        if (!thread) continue;
        if (thread == progress::no_thread()) return false;  // not started yet
        if (!progress::thread_finished(thread) && !s.drawing_running[i].load()) return false;
    }
    return true;
}

bool any_drawing_thread_missing() {
    for (auto &thread : state().drawing_threads)
        if (!thread.load()) return true;
    return false;
}

HINSTANCE chosen_instance(HWND owner, HINSTANCE instance) {
    if (!owner) return frame::module_handle();
    return instance ? instance : progress::owner_instance(owner);
}

// The thread of a window that is gone ends within one loop; free it.
void release_old_window_thread() {
    if (HANDLE old = state().window_thread.exchange(nullptr)) progress::release_thread(old);
}

}  // namespace

int Prg_CreateProgress(HWND owner, int *cancel, int *pause, HINSTANCE instance) {
    auto &s = state();
    if (!progress::window_system_available()) return 0;
    s.thread_start.store(progress::State::kStarting);
    for (int wait = 0; s.window.load(); ++wait) {
        if (wait == kOldWindowWaits) return 0;
        Sleep(kOldWindowWaitMs);
    }
    release_old_window_thread();

    WindowParams params{chosen_instance(owner, instance), cancel, pause};
    HANDLE thread = progress::start_thread(window_thread, &params);
    if (!thread) return 0;
    s.window_thread.store(thread);
    while (s.thread_start.load() != progress::State::kReady) {
        if (s.thread_start.load() == progress::State::kFailed) {
            release_old_window_thread();
            return 0;
        }
        Sleep(kStartPollMs);
    }

    _tzset();
    s.start_time.store(static_cast<int32_t>(std::time(nullptr)));

    while (!drawing_threads_settled()) {
        Sleep(kReadyPollMs);
        Prg_PeekMessage();
    }
    if (any_drawing_thread_missing()) {
        Prg_CloseProgress();
        return 0;
    }
    return 1;
}
