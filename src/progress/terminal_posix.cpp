#include "progress/terminal_posix.h"

#include "progress/drawing.h"
#include "progress/state.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace progress {
namespace terminal {
namespace {

const char16_t kTemplateMessage[] = u"ファイルをコピーしています";
const char16_t kTemplateCaption[] = u"ファイルのコピー";
const char16_t kTemplateCancel[] = u"取り消し(&C)";
const char16_t kTemplatePause[] = u"停止(&S)";

bool is_wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Button texts as a button shows them: "&x" marks a mnemonic, "&&" is "&".
std::u16string label(const std::u16string &text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::mutex table_lock;
std::map<uintptr_t, std::shared_ptr<Window>> &table() {
    static std::map<uintptr_t, std::shared_ptr<Window>> windows;
    return windows;
}
uintptr_t next_handle = 0x10000;

// A host that exits with a window open gets its terminal back.
void give_all_keys_back() {
    std::lock_guard<std::mutex> hold(table_lock);
    for (auto &entry : table()) entry.second->give_keys_back();
}

}  // namespace

// Control characters and unpaired surrogates show as a space and U+FFFD.
std::vector<Glyph> glyphs(const std::u16string &text) {
    std::vector<Glyph> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::u16string units(1, text[i]);
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            units += text[++i];
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            units = u"\uFFFD";
        }
        if (c < 0x20 || c == 0x7F) units = u" ";
        char bytes[8];
        const int length = WideCharToMultiByte(CP_UTF8, 0, as_wide(units.data()),
                                               static_cast<int>(units.size()), bytes,
                                               sizeof bytes, nullptr, nullptr);
        out.push_back(Glyph{std::string(bytes, length > 0 ? length : 0), is_wide(c) ? 2 : 1});
    }
    return out;
}

int cells(const std::u16string &text) {
    int width = 0;
    for (const Glyph &g : glyphs(text)) width += g.width;
    return width;
}

std::string fit(const std::u16string &text, int width, UINT alignment) {
    std::string body;
    int used = 0;
    for (const Glyph &g : glyphs(text)) {
        if (used + g.width > width) break;
        body += g.bytes;
        used += g.width;
    }
    int spare = width - used;
    int before = (alignment & 3) == 2 ? spare : (alignment & 3) == 1 ? spare / 2 : 0;
    return std::string(static_cast<std::size_t>(before), ' ') + body +
           std::string(static_cast<std::size_t>(spare - before), ' ');
}

std::u16string shorten_path(const std::u16string &path, int width) {
    if (cells(path) <= width) return path;
    std::u16string tail;
    for (std::size_t i = path.size(); i > 0; --i) {
        std::u16string longer = path.substr(i - 1);
        if (cells(longer) + 3 > width) break;
        tail = longer;
    }
    return u"..." + tail;
}

Window::Window(int output, int columns)
    : output_(output), columns_(columns), thread_id_(GetCurrentThreadId()),
      caption_(kTemplateCaption), cancel_text_(kTemplateCancel), pause_text_(kTemplatePause),
      message_part_(fit(kTemplateMessage, message_width(), kTextLeft)),
      elapsed_part_(fit(u"00:00:00", elapsed_width(), kTextRight)),
      bar_part_(fit(u"", bar_width(), kTextLeft)) {}

Window::~Window() { give_keys_back(); }

void Window::write_locked(const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(output_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

std::string Window::row_text_locked(int row) const {
    switch (row) {
    case kCaptionRow:
        return "\x1b[1m" + fit(caption_, columns_, kTextLeft) + "\x1b[0m";
    case kFileRow:
        return fit(shorten_path(file_name_, columns_), columns_, kTextLeft);
    case kMessageRow:
        return message_part_ + " " + elapsed_part_;
    case kBarRow:
        return "[" + bar_part_ + "]";
    default: {
        auto button = [](const char *key, const std::u16string &text, bool enabled) {
            std::string shown = std::string(key) + fit(label(text), cells(label(text)), kTextLeft);
            return enabled ? shown : "\x1b[2m" + shown + "\x1b[0m";
        };
        return button("[Ctrl-C] ", cancel_text_, cancel_enabled_) + "   " +
               button("[Space] ", pause_text_, pause_enabled_);
    }
    }
}

// The cursor rests at the start of the line below the block.
void Window::draw_row_locked(int row) {
    if (!alive_ || !visible_) return;
    std::string up = std::to_string(kRows - row);
    write_locked("\r\x1b[" + up + "A\x1b[2K" + row_text_locked(row) + "\r\x1b[" + up + "B");
}

void Window::show() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!alive_ || visible_) return;
    std::string block = "\x1b[?25l";
    for (int row = 0; row < kRows; ++row) block += "\x1b[2K" + row_text_locked(row) + "\r\n";
    write_locked(block);
    visible_ = true;
}

void Window::hide() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!visible_) return;
    write_locked("\r\x1b[" + std::to_string(kRows) + "A\x1b[J\x1b[?25h");
    visible_ = false;
}

void Window::set_caption(const std::u16string &caption) {
    std::lock_guard<std::mutex> hold(lock_);
    caption_ = caption;
    draw_row_locked(kCaptionRow);
}

std::u16string Window::caption() {
    std::lock_guard<std::mutex> hold(lock_);
    return caption_;
}

void Window::set_file_name(const std::u16string &path) {
    std::lock_guard<std::mutex> hold(lock_);
    file_name_ = path;
    draw_row_locked(kFileRow);
}

void Window::set_button(int control, const std::u16string *text, const bool *enabled) {
    std::lock_guard<std::mutex> hold(lock_);
    bool cancel = control == kCancelButton;
    if (text) (cancel ? cancel_text_ : pause_text_) = *text;
    if (enabled) (cancel ? cancel_enabled_ : pause_enabled_) = *enabled;
    draw_row_locked(kButtonRow);
}

bool Window::button_enabled(int control) {
    std::lock_guard<std::mutex> hold(lock_);
    return control == kCancelButton ? cancel_enabled_ : pause_enabled_;
}

void Window::set_message_part(std::string part) {
    std::lock_guard<std::mutex> hold(lock_);
    message_part_ = std::move(part);
    draw_row_locked(kMessageRow);
}

void Window::set_elapsed_part(std::string part) {
    std::lock_guard<std::mutex> hold(lock_);
    elapsed_part_ = std::move(part);
    draw_row_locked(kMessageRow);
}

void Window::set_bar_part(std::string part) {
    std::lock_guard<std::mutex> hold(lock_);
    bar_part_ = std::move(part);
    draw_row_locked(kBarRow);
}

// Ctrl-C and the other keys reach the window as bytes while it holds the
// terminal; a process in the background leaves the terminal alone.
void Window::take_keys() {
    std::lock_guard<std::mutex> hold(lock_);
    char name[256];
    if (keys_taken_ || ttyname_r(output_, name, sizeof name) != 0) return;
    int input = ::open(name, O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (input < 0) return;
    termios modes{};
    if (tcgetpgrp(input) != getpgrp() || tcgetattr(input, &modes) != 0) {
        ::close(input);
        return;
    }
    saved_modes_ = modes;
    modes.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
    modes.c_cc[VMIN] = 1;
    modes.c_cc[VTIME] = 0;
    if (tcsetattr(input, TCSANOW, &modes) != 0) {
        ::close(input);
        return;
    }
    input_ = input;
    keys_taken_ = true;
}

void Window::give_keys_back() {
    if (!keys_taken_) return;
    tcsetattr(input_, TCSANOW, &saved_modes_);
    ::close(input_);
    input_ = -1;
    keys_taken_ = false;
}

std::string Window::wait_for_keys(DWORD milliseconds) {
    int input;
    {
        std::lock_guard<std::mutex> hold(lock_);
        input = input_;
    }
    if (input < 0) {
        Sleep(milliseconds);
        return {};
    }
    pollfd ready{input, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(milliseconds)) <= 0) return {};
    char keys[64];
    ssize_t n = ::read(input, keys, sizeof keys);
    return n > 0 ? std::string(keys, static_cast<std::size_t>(n)) : std::string();
}

void Window::post(UINT message, unsigned short *block) {
    std::lock_guard<std::mutex> hold(lock_);
    if (alive_) {
        posted_.emplace_back(message, block);
    } else {
        std::free(block);
    }
}

bool Window::take_posted(UINT &message, unsigned short *&block) {
    std::lock_guard<std::mutex> hold(lock_);
    if (posted_.empty()) return false;
    message = posted_.front().first;
    block = posted_.front().second;
    posted_.pop_front();
    return true;
}

void Window::wait_destroyed() {
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            if (!alive_) return;
            destroyed_signal_.wait_for(hold, std::chrono::milliseconds(50));
            if (!alive_) return;
        }
        if (state().window_thread_id.load() != thread_id_) {
            destroy();  // its thread is gone: nobody else will
            return;
        }
    }
}

void Window::destroy() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!alive_) return;
    if (visible_) write_locked("\r\x1b[" + std::to_string(kRows) + "A\x1b[J\x1b[?25h");
    visible_ = false;
    alive_ = false;
    give_keys_back();
    for (auto &posted : posted_) std::free(posted.second);
    posted_.clear();
    destroyed_signal_.notify_all();
}

HWND add(std::shared_ptr<Window> window) {
    // The table first, so that it outlives the exit action.
    static const bool restore_at_exit = (table(), std::atexit(give_all_keys_back) == 0);
    (void)restore_at_exit;
    std::lock_guard<std::mutex> hold(table_lock);
    uintptr_t handle = next_handle;
    next_handle += 4;
    table()[handle] = std::move(window);
    return reinterpret_cast<HWND>(handle);
}

std::shared_ptr<Window> find(HWND handle) {
    std::lock_guard<std::mutex> hold(table_lock);
    auto found = table().find(reinterpret_cast<uintptr_t>(handle));
    return found == table().end() ? nullptr : found->second;
}

void remove(HWND handle) {
    std::shared_ptr<Window> gone;
    std::lock_guard<std::mutex> hold(table_lock);
    auto found = table().find(reinterpret_cast<uintptr_t>(handle));
    if (found == table().end()) return;
    gone = std::move(found->second);
    table().erase(found);
}

}  // namespace terminal
}  // namespace progress
