// The position reached: done against total, and the second position.
// Without a window the setters do nothing; the counter view is kept always.
#include <quorvel/progress.h>

#include "progress/state.h"

using progress::state;

namespace {

bool has_window() { return state().window.load() != nullptr; }

int64_t limited(int64_t done, int64_t total) {
    return !state().counter_view.load() && done > total ? total : done;
}

// Two's-complement wrap, as the interface's 64-bit counters have it.
int64_t wrapping_add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

}  // namespace

void Prg_ViewCounter(int on) { state().counter_view.store(on); }

void Prg_SetProgress(int64_t done, int64_t total) {
    if (!has_window()) return;
    auto &s = state();
    if (done == s.done.load() && total == s.total.load()) return;
    s.total.store(total);
    s.done.store(limited(done, total));
}

void Prg_SetProgress2(int64_t secondDone) {
    if (!has_window()) return;
    if (state().second_done.load() != secondDone) state().second_done.store(secondDone);
}

void Prg_SetProgressAdd(int64_t delta) {
    if (!has_window() || delta == 0) return;
    auto &s = state();
    int64_t done = s.done.load();
    while (!s.done.compare_exchange_weak(done, limited(wrapping_add(done, delta), s.total.load()))) {
    }
}

void Prg_SetProgressAdd2(int64_t delta) {
    if (!has_window() || delta == 0) return;
    auto &s = state();
    int64_t second = s.second_done.load();
    while (!s.second_done.compare_exchange_weak(second, wrapping_add(second, delta))) {
    }
}
