// Fades and transparency through layered windows. SetLayeredWindowAttributes
// is looked up in the system's USER32.DLL at run time, so that the library
// loads on systems without it; until Sm_CreateSmoothly has loaded that
// library every call does nothing.
#include "platform/win32.h"

#include <quorvel/error.h>
#include <quorvel/system.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

HMODULE g_user32 = nullptr;

using LayeredAttributesFn = BOOL(WINAPI *)(HWND, COLORREF, BYTE, DWORD);

void set_level(HWND window, int percent) {
    const int alpha = std::min(percent, 100) * 255 / 100;  // levels above 100 stay opaque
    Sm_SetTransparent(window, 0, static_cast<unsigned char>(alpha), LWA_ALPHA);
}

}  // namespace

void Sm_CreateSmoothly(HWND window) {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&version));
    if (version.dwMajorVersion < 5) return;  // no layered windows before Windows 2000

    static const wchar_t kUser32[] = L"\\USER32.DLL";
    wchar_t path[QUORVEL_MAX_TEXT];
    const UINT folder = GetSystemDirectoryW(path, QUORVEL_MAX_TEXT);
    if (!g_user32 && folder > 0 && folder + std::size(kUser32) <= QUORVEL_MAX_TEXT) {
        std::memcpy(path + folder, kUser32, sizeof kUser32);
        g_user32 = LoadLibraryW(path);
    }
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    Sm_SetTransparent(window, 0, 0, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNORMAL);
}

void Sm_DestroySmoothly() {
    if (g_user32) FreeLibrary(g_user32);
    g_user32 = nullptr;
}

void Sm_ShowSmoothly(HWND window, int fadeIn, int step, int level) {
    if (!g_user32 || step < 1) return;
    if (fadeIn) {
        for (int percent = 0; percent <= level; percent += step) {
            set_level(window, percent);
            Sleep(static_cast<DWORD>(step));
            if (percent + step > 100) break;
        }
    } else {
        for (int percent = level; percent >= 0; percent -= step) {
            set_level(window, percent);
            Sleep(static_cast<DWORD>(step));
        }
    }
}

int Sm_SetTransparent(HWND window, COLORREF colorKey, unsigned char alpha, DWORD flags) {
    if (!g_user32) return 0;
    auto set = reinterpret_cast<LayeredAttributesFn>(
        reinterpret_cast<void *>(GetProcAddress(g_user32, "SetLayeredWindowAttributes")));
    if (!set) return 0;
    const BOOL done = set(window, colorKey, alpha, flags);
    if (!done) Err_Message(0);
    return done;
}
