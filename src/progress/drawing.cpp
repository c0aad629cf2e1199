// The drawing threads' cycles. Each thread paints one control from the
// progress state: the elapsed time every 200 ms, the bar and counter every
// 250 ms, the message every 250 ms. Values start at all bits set so that
// the first cycle draws.
#include <quorvel/error.h>

#include "progress/drawing.h"
#include "progress/threads.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>

namespace progress {
namespace {

constexpr DWORD kElapsedCycleMs = 200;
constexpr DWORD kCounterCycleMs = 250;
constexpr DWORD kMessageCycleMs = 250;
constexpr int kMaxHours = 99;

void widen(const char *text, unsigned short *out, std::size_t units) {
    std::size_t i = 0;
    for (; i + 1 < units && text[i]; ++i) out[i] = static_cast<unsigned char>(text[i]);
    out[i] = 0;
}

void put_two_digits(unsigned short *at, int64_t value) {
    at[0] = static_cast<unsigned short>(u'0' + value / 10 % 10);
    at[1] = static_cast<unsigned short>(u'0' + value % 10);
}

// Writes hh:mm:ss of start .. now into the positions of an "00:00:00" text.
void format_elapsed(int32_t start, int32_t now, unsigned short *text) {
    int64_t elapsed = static_cast<int64_t>(now) - start;
    int64_t hours = elapsed / 3600;
    if (hours > kMaxHours) hours = 0;
    put_two_digits(text, hours);
    put_two_digits(text + 3, elapsed / 60 % 60);
    put_two_digits(text + 6, elapsed % 60);
}

constexpr int kWindowWaits = 500;
constexpr DWORD kWindowWaitMs = 10;

// The thread's life around its cycle: the surface, the running flag, and
// the end on a cancel, a close or a window that is gone.
template <typename Cycle>
void run_drawing_thread(HWND control, DrawingThread kind, DWORD period, Cycle cycle) {
    auto &s = state();
    std::unique_ptr<Surface> surface = open_surface(control, kind);
    s.drawing_running[kind].store(1);
    // The window field must not be tested before the window thread has set
    // it. The font request above usually holds this thread back until then,
    // but a window system may answer it while the dialog is still being
    // created, so wait for the window thread's word (or its failure).
    for (int waits = 0; !s.window.load() && s.thread_start.load() && !s.closing.load() &&
                        waits < kWindowWaits;
         ++waits)
        Sleep(kWindowWaitMs);
    if (surface && s.window.load()) {
        for (;;) {
            if (s.cancel.load() || s.closing.load()) break;
            cycle(*surface);
            Sleep(period);
            if (!s.window.load()) break;
        }
    }
    surface.reset();
    s.drawing_running[kind].store(0);
}

void elapsed_thread(void *control) {
    unsigned short text[16] = {'0', '0', ':', '0', '0', ':', '0', '0', 0};
    int32_t drawn_start = -1, drawn_now = -1;
    run_drawing_thread(static_cast<HWND>(control), kElapsedTimeThread, kElapsedCycleMs,
                       [&](Surface &surface) {
        int32_t start = state().start_time.load();
        auto now = static_cast<int32_t>(std::time(nullptr));
        if (start != drawn_start || now != drawn_now) {
            drawn_start = start;
            drawn_now = now;
            if (start && now) format_elapsed(start, now, text);
            surface.fill();
            surface.draw_text(text, kTextRight);
        }
        surface.present();
    });
}

struct Counts {
    int64_t done, second, total;
    bool operator!=(const Counts &other) const {
        return done != other.done || second != other.second || total != other.total;
    }
};

void draw_counter_view(Surface &surface, const Counts &counts) {
    char text[64];
    if (counts.second)
        std::snprintf(text, sizeof text, "%" PRId64 " / %-" PRId64, counts.second, counts.done);
    else
        std::snprintf(text, sizeof text, "%" PRId64, counts.done);
    unsigned short wide[64];
    widen(text, wide, 64);
    surface.fill();
    surface.draw_text(wide, kTextCentred);
}

// The bar's width for value against total on a control `width` wide.
int bar_width(int width, int64_t value, int64_t total) {
    return static_cast<int>(static_cast<int64_t>(width) * value / total);
}

void draw_bar_view(Surface &surface, const Counts &counts) {
    surface.fill();
    if (!counts.total) return;
    surface.draw_bar(kDoneBarFace, bar_width(surface.width(), counts.done, counts.total));
    if (counts.second)
        surface.draw_bar(kSecondBarFace, bar_width(surface.width(), counts.second, counts.total));
    char text[64];
    std::snprintf(text, sizeof text, "%13" PRId64 " / %-13" PRId64,
                  counts.second ? counts.second : counts.done, counts.total);
    unsigned short wide[64];
    widen(text, wide, 64);
    surface.draw_text(wide, kTextCentred);
}

void counter_thread(void *control) {
    Counts drawn{-1, -1, -1};
    run_drawing_thread(static_cast<HWND>(control), kCounterThread, kCounterCycleMs,
                       [&](Surface &surface) {
        auto &s = state();
        Counts now{s.done.load(), s.second_done.load(), s.total.load()};
        if (s.counter_view.load()) {
            if (now.done != drawn.done || now.second != drawn.second) {
                drawn = now;
                draw_counter_view(surface, now);
            }
        } else if (now != drawn) {
            drawn = now;
            draw_bar_view(surface, now);
        }
        surface.present();
    });
}

// Drawn every cycle; skipped while the window thread writes a new text.
void message_thread(void *control) {
    run_drawing_thread(static_cast<HWND>(control), kMessageThread, kMessageCycleMs,
                       [](Surface &surface) {
        auto &s = state();
        if (s.message_writing.load()) return;
        s.message_drawing.store(1);
        TextField<kMessageUnits> message;
        {
            std::lock_guard<std::mutex> hold(s.text_lock);
            message = s.message;
        }
        surface.fill();
        surface.draw_text(message.data(), kTextLeft);
        surface.present();
        s.message_drawing.store(0);
    });
}

void start(DrawingThread kind, ThreadBody body, HWND control) {
    HANDLE thread = start_thread(body, control);
    if (!thread) Err_Message(0);
    state().drawing_threads[kind].store(thread);
}

}  // namespace

void start_drawing_threads(HWND elapsed, HWND counter, HWND message) {
    start(kElapsedTimeThread, elapsed_thread, elapsed);
    start(kCounterThread, counter_thread, counter);
    start(kMessageThread, message_thread, message);
}

}  // namespace progress
