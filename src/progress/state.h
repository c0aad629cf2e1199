// The process-wide progress state. The worker, the window thread and the
// drawing threads share it without waiting on one another: every flag and
// counter is an atomic that one side writes and the others poll. Only the
// texts, which cannot be one word, are copied under a short lock.
#pragma once

#include "platform/win32.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>

namespace progress {

// Private messages to the window; LPARAM is a malloc'd string the window
// thread frees.
constexpr UINT kFileNameMessage = 0x8140;     // WM_APP + 0x140
constexpr UINT kMessageTextMessage = 0x8141;  // WM_APP + 0x141
// Asks the window thread to destroy its window (a window belongs to the
// thread that made it).
constexpr UINT kDestroyRequest = 0x8142;

// Dialog template, bar faces and the controls of the window.
constexpr int kDialogTemplate = 110;
constexpr int kDoneBarFace = 140;
constexpr int kSecondBarFace = 141;
constexpr int kFileNameControl = 9010;
constexpr int kMessageControl = 9011;
constexpr int kElapsedControl = 9012;
constexpr int kCounterControl = 9013;

// Dialog controls the calls touch.
constexpr int kCancelButton = 9014;
constexpr int kPauseButton = 9015;

// Field sizes in UTF-16 units, terminator included.
constexpr std::size_t kTitleUnits = 256;
constexpr std::size_t kVersionUnits = 98;
constexpr std::size_t kMessageUnits = 64;
constexpr std::size_t kButtonTextUnits = 64;

// The drawing threads of the window, in the order the dialog starts them.
enum DrawingThread { kElapsedTimeThread, kCounterThread, kMessageThread, kDrawingThreads };

// A drawing-thread slot after a close (the invalid-handle value).
inline HANDLE no_thread() { return reinterpret_cast<HANDLE>(~static_cast<uintptr_t>(0)); }

template <std::size_t N>
using TextField = std::array<unsigned short, N>;

template <std::size_t N>
constexpr TextField<N> text_field(const char16_t *text) {
    TextField<N> field{};
    for (std::size_t i = 0; i + 1 < N && text[i]; ++i) field[i] = text[i];
    return field;
}

struct State {
    std::atomic<HWND> window{nullptr};
    // The window thread's answer to Prg_CreateProgress: kStarting until it
    // has made the window and read its caption, then kReady, or kFailed
    // when the window could not be made.
    enum ThreadStart { kFailed = 0, kStarting = 1, kReady = 2 };
    std::atomic<int> thread_start{kStarting};
    // The window thread, released by the next close or create.
    std::atomic<HANDLE> window_thread{nullptr};
    std::atomic<DWORD> window_thread_id{0};
    // One close at a time: the cancel button and a worker may close at once.
    std::mutex close_lock;

    std::atomic<int> cancel{0};
    std::atomic<int> pause{0};
    std::atomic<int> closing{0};
    std::atomic<int> counter_view{0};

    std::atomic<int64_t> done{0};
    std::atomic<int64_t> total{0};
    std::atomic<int64_t> second_done{0};
    std::atomic<int32_t> start_time{0};  // base of the elapsed time, seconds

    // The creator's variables; the window thread writes the user's answers.
    std::atomic<int *> caller_cancel{nullptr};
    std::atomic<int *> caller_pause{nullptr};

    // Watched by Prg_CloseProgress; null at load, all bits set after a close.
    std::atomic<HANDLE> drawing_threads[kDrawingThreads]{};
    std::atomic<int> drawing_running[kDrawingThreads]{};

    std::atomic<HBITMAP> done_bar{nullptr};    // bitmap 140
    std::atomic<HBITMAP> second_bar{nullptr};  // bitmap 141

    // What Prg_ProgressCall passed on last; kept from window to window.
    std::atomic<int64_t> passed_total{0};
    std::atomic<int64_t> passed_done{0};
    std::atomic<int64_t> passed_second{0};

    // The window thread's hand-over of the message text to the message
    // drawing thread: a text arriving while it is drawn is dropped. Copy the
    // text itself under text_lock; the flags only say who is busy.
    std::atomic<int> message_writing{0};
    std::atomic<int> message_drawing{0};

    std::mutex text_lock;
    TextField<kTitleUnits> title{};
    TextField<kVersionUnits> version{};
    TextField<kMessageUnits> message{};
    TextField<kButtonTextUnits> pause_text = text_field<kButtonTextUnits>(u"停止(&S)");
    TextField<kButtonTextUnits> resume_text = text_field<kButtonTextUnits>(u"再開(&S)");
};

State &state();

// Copies a zero-terminated text into a field, cut to fit.
template <std::size_t N>
void copy_text(TextField<N> &field, const unsigned short *text) {
    std::size_t i = 0;
    for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
    field[i] = 0;
}

}  // namespace progress
