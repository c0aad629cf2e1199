// Window messages without windows: a host stands a window in with a
// procedure of its own, which SendMessageW calls on the calling thread.
#include "platform/win32_desktop.h"

#include <map>
#include <mutex>

namespace {

struct Windows {
    std::mutex lock;
    std::map<HWND, WNDPROC> procedures;
};
Windows &windows() {
    static Windows instance;
    return instance;
}

}  // namespace

extern "C" void Quorvel_SetWindowProc(HWND window, WNDPROC procedure) {
    if (!window) return;
    std::lock_guard<std::mutex> guard(windows().lock);
    if (procedure)
        windows().procedures[window] = procedure;
    else
        windows().procedures.erase(window);
}

LRESULT quorvel_win32::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        std::lock_guard<std::mutex> guard(windows().lock);
        const auto found = windows().procedures.find(window);
        if (found != windows().procedures.end()) procedure = found->second;
    }
    if (!procedure) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return procedure(window, message, wParam, lParam);
}
