// MessageBoxW without a desktop: the box goes to standard error, or to a
// handler a host installed, and is answered with its first button.
#include "platform/win32.h"
#include "platform/utf16.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_handler_lock;
QuorvelMessageBoxHandler g_handler = nullptr;
void *g_handler_context = nullptr;

int first_button(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
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

extern "C" int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
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
                 platform::utf16_to_utf8(text).c_str());
    std::fflush(stderr);
    return first_button(type);
}
