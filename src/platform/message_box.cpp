// MessageBoxW without a desktop: the box goes to a handler a host
// installed, or to standard error; a choice is asked on the terminal when
// there is one, and otherwise answered with the box's default button.
#include "platform/win32.h"
#include "platform/utf16.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::mutex g_handler_lock;
QuorvelMessageBoxHandler g_handler = nullptr;
void *g_handler_context = nullptr;

struct Button {
    int id;
    const char *label;  // the key to press is the bracketed letter
};

struct Buttons {
    const Button *list;
    int count;
};

Buttons buttons_of(UINT type) {
    static const Button kOk[] = {{IDOK, "[O]K"}};
    static const Button kOkCancel[] = {{IDOK, "[O]K"}, {IDCANCEL, "[C]ancel"}};
    static const Button kAbortRetryIgnore[] = {
        {IDABORT, "[A]bort"}, {IDRETRY, "[R]etry"}, {IDIGNORE, "[I]gnore"}};
    static const Button kYesNoCancel[] = {{IDYES, "[Y]es"}, {IDNO, "[N]o"}, {IDCANCEL, "[C]ancel"}};
    static const Button kYesNo[] = {{IDYES, "[Y]es"}, {IDNO, "[N]o"}};
    static const Button kRetryCancel[] = {{IDRETRY, "[R]etry"}, {IDCANCEL, "[C]ancel"}};
    static const Button kCancelTryContinue[] = {
        {IDCANCEL, "[C]ancel"}, {IDTRYAGAIN, "[T]ry again"}, {IDCONTINUE, "C[o]ntinue"}};
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {kOkCancel, 2};
    case MB_ABORTRETRYIGNORE: return {kAbortRetryIgnore, 3};
    case MB_YESNOCANCEL: return {kYesNoCancel, 3};
    case MB_YESNO: return {kYesNo, 2};
    case MB_RETRYCANCEL: return {kRetryCancel, 2};
    case MB_CANCELTRYCONTINUE: return {kCancelTryContinue, 3};
    default: return {kOk, 1};
    }
}

// As on Windows, a default past the last button is the first one.
int default_index(UINT type, const Buttons &buttons) {
    const int index = static_cast<int>((type & MB_DEFMASK) >> 8);
    return index < buttons.count ? index : 0;
}

char key_of(const Button &button) {
    const char *open = std::strchr(button.label, '[');
    return static_cast<char>(std::tolower(static_cast<unsigned char>(open[1])));
}

// Asks until a button's key or an empty line (the default) is typed; the
// end of input takes the default.
int ask_on_terminal(const Buttons &buttons, int fallback) {
    for (;;) {
        std::string prompt;
        for (int i = 0; i < buttons.count; ++i) {
            prompt += (i ? " / " : "") + std::string(buttons.list[i].label);
        }
        std::fprintf(stderr, "%s (%s): ", prompt.c_str(), buttons.list[fallback].label);
        std::fflush(stderr);
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) return buttons.list[fallback].id;
        const char typed = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        if (typed == '\n' || typed == '\0') return buttons.list[fallback].id;
        for (int i = 0; i < buttons.count; ++i) {
            if (key_of(buttons.list[i]) == typed) return buttons.list[i].id;
        }
    }
}

// System texts end their lines with "\r\n", which a terminal shows as
// stray returns; the last line's end is the box's own.
std::string terminal_lines(const std::string &text) {
    std::string lines;
    for (char c : text)
        if (c != '\r') lines += c;
    while (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

}  // namespace

extern "C" QuorvelMessageBoxHandler Quorvel_SetMessageBoxHandler(QuorvelMessageBoxHandler handler,
                                                                 void *context) {
    std::lock_guard<std::mutex> lock(g_handler_lock);
    QuorvelMessageBoxHandler previous = g_handler;
    g_handler = handler;
    g_handler_context = context;
    return previous;
}

int quorvel_win32::MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    QuorvelMessageBoxHandler handler;
    void *context;
    {
        std::lock_guard<std::mutex> lock(g_handler_lock);
        handler = g_handler;
        context = g_handler_context;
    }
    static const WCHAR kEmpty[] = {0};
    if (!text) text = kEmpty;
    if (!caption) caption = kEmpty;
    if (handler) return handler(context, owner, text, caption, type);
    std::fprintf(stderr, "%s: %s\n", platform::utf16_to_utf8(caption).c_str(),
                 terminal_lines(platform::utf16_to_utf8(text)).c_str());
    std::fflush(stderr);
    const Buttons buttons = buttons_of(type);
    const int fallback = default_index(type, buttons);
    if (buttons.count > 1 && isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
        return ask_on_terminal(buttons, fallback);
    }
    return buttons.list[fallback].id;
}
