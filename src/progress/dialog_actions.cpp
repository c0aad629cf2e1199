#include "progress/dialog_actions.h"

#include <quorvel/progress.h>

#include "progress/state.h"
#include "progress/window_calls.h"

#include <cstdlib>

namespace progress {
namespace {

// The host polls its variables from its own thread.
void tell_caller(int *variable, int value) {
    if (variable) __atomic_store_n(variable, value, __ATOMIC_SEQ_CST);
}

}  // namespace

void press_cancel() {
    auto &s = state();
    s.cancel.store(1);
    tell_caller(s.caller_cancel.load(), 1);
    Prg_CloseProgress();
}

void press_pause(HWND window) {
    auto &s = state();
    int paused = s.pause.load() ? 0 : 1;
    s.pause.store(paused);
    tell_caller(s.caller_pause.load(), paused);
    TextField<kButtonTextUnits> label;
    {
        std::lock_guard<std::mutex> hold(s.text_lock);
        label = paused ? s.resume_text : s.pause_text;
    }
    set_control_text(window, kPauseButton, label.data());
}

void receive_file_name(HWND window, unsigned short *block) {
    show_file_name(window, block);
    std::free(block);
}

void receive_message_text(unsigned short *block) {
    auto &s = state();
    if (!s.message_drawing.load()) {
        s.message_writing.store(1);
        {
            std::lock_guard<std::mutex> hold(s.text_lock);
            s.message.fill(0);
            copy_text(s.message, block);
        }
        s.message_writing.store(0);
    }
    std::free(block);
}

}  // namespace progress
