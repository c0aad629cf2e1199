// Calls that show, title and label the progress window and hand it texts.
// Without a window each does nothing.
#include <quorvel/error.h>
#include <quorvel/progress.h>

#include "progress/state.h"
#include "progress/window_calls.h"
#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>

using progress::state;

namespace {

void append(unsigned short *out, std::size_t &at, const unsigned short *text) {
    for (std::size_t i = 0; text[i]; ++i) out[at++] = text[i];
}

// "<title> - Version <version>", or the title alone.
void apply_caption(HWND window) {
    auto &s = state();
    unsigned short caption[progress::kTitleUnits + progress::kVersionUnits + 16];
    std::size_t at = 0;
    {
        std::lock_guard<std::mutex> hold(s.text_lock);
        append(caption, at, s.title.data());
        if (s.version[0]) {
            append(caption, at, as_exported(u" - Version "));
            append(caption, at, s.version.data());
        }
    }
    caption[at] = 0;
    if (!progress::set_caption(window, caption)) Err_Message(0);
}

// Sends a block to the window, which frees it. A block the window never
// received is freed here.
void send_block(UINT message, unsigned short *block) {
    HWND window = state().window.load();
    if (!window || !progress::send_text(window, message, block)) {
        Err_Message(0);
        std::free(block);
    }
}

unsigned short *malloc_copy(const unsigned short *text) {
    std::size_t n = platform::u16_length(text);
    auto *block = static_cast<unsigned short *>(std::malloc(n * 2 + 4));
    if (block) std::memcpy(block, text, (n + 1) * 2);
    return block;
}

void send_copy(UINT message, const unsigned short *text) {
    if (!text || !state().window.load()) return;
    if (unsigned short *block = malloc_copy(text)) send_block(message, block);
}

void send_own_block(UINT message, const unsigned short *block) {
    if (!block || !state().window.load()) return;
    send_block(message, const_cast<unsigned short *>(block));
}

}  // namespace

void Prg_OpenProgress(const unsigned short *title) {
    HWND window = state().window.load();
    if (!window) return;
    Prg_SetTitle(title);
    progress::show_window(window);
    Prg_PeekMessage();
}

void Prg_HideProgress(void) {
    HWND window = state().window.load();
    if (!window) return;
    progress::hide_window(window);
    Prg_PeekMessage();
}

int Prg_IsProgress(void) { return state().window.load() ? 1 : 0; }

void Prg_SetTitle(const unsigned short *title) {
    HWND window = state().window.load();
    if (!window || !title) return;
    {
        std::lock_guard<std::mutex> hold(state().text_lock);
        progress::copy_text(state().title, title);
    }
    apply_caption(window);
}

void Prg_SetVersion(const unsigned short *version) {
    HWND window = state().window.load();
    if (!window || !version) return;
    {
        std::lock_guard<std::mutex> hold(state().text_lock);
        progress::copy_text(state().version, version);
    }
    apply_caption(window);
}

void Prg_SetCancelText(const unsigned short *text) {
    HWND window = state().window.load();
    if (!window || !text) return;
    progress::set_control_text(window, progress::kCancelButton, text);
}

void Prg_SetResumeText(const unsigned short *pauseText, const unsigned short *resumeText) {
    HWND window = state().window.load();
    if (!window || !pauseText || !resumeText) return;
    {
        std::lock_guard<std::mutex> hold(state().text_lock);
        progress::copy_text(state().pause_text, pauseText);
        progress::copy_text(state().resume_text, resumeText);
    }
    progress::set_control_text(window, progress::kPauseButton, pauseText);
}

void Prg_EnableCancelButton(int enable) {
    if (HWND window = state().window.load())
        progress::enable_control(window, progress::kCancelButton, enable != 0);
}

void Prg_EnableResumeButton(int enable) {
    if (HWND window = state().window.load())
        progress::enable_control(window, progress::kPauseButton, enable != 0);
}

void Prg_SetFileName(const unsigned short *path) {
    send_copy(progress::kFileNameMessage, path);
}

void Prg_SetFileName2(unsigned short *path) {
    send_own_block(progress::kFileNameMessage, path);
}

void Prg_SetMessage(const unsigned short *text) {
    send_copy(progress::kMessageTextMessage, text);
}

void Prg_SetMessage2(const unsigned short *text) {
    send_own_block(progress::kMessageTextMessage, text);
}
