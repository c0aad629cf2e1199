// GetModuleHandleW and GetProcAddress for the one system module there is:
// "kernel32.dll" stands for this platform layer, so a call looked up by
// name at run time is found where the linker would have found it.
#include "platform/ascii.h"
#include "platform/win32.h"

#include <dlfcn.h>
#include <cstring>

namespace {

bool is_kernel32(LPCWSTR name) {
    static const char16_t kName[] = u"kernel32";
    for (int i = 0; kName[i]; ++i, ++name) {
        const WCHAR c = platform::ascii_lower(*name);
        if (c != kName[i]) return false;
    }
    if (!*name) return true;
    const WCHAR dll[] = {'.', 'd', 'l', 'l', 0};
    for (int i = 0; dll[i]; ++i, ++name) {
        const WCHAR c = platform::ascii_lower(*name);
        if (c != dll[i]) return false;
    }
    return !*name;
}

// This library's load address: its module handle.
void *platform_base() {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void *>(&platform_base), &info)) return nullptr;
    return info.dli_fbase;
}

// The calls that the library looks up at run time. The platform's symbols
// carry C++ names of their own, so the Win32 names are listed here.
struct NamedCall {
    const char *name;
    FARPROC call;
};
const NamedCall kNamedCalls[] = {
    // Through void (*)(void), the type meant for holding any function.
    {"GetDiskFreeSpaceExW",
     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetDiskFreeSpaceExW))},
};

}  // namespace

HMODULE quorvel_win32::GetModuleHandleW(LPCWSTR name) {
    if (!name || !is_kernel32(name)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(platform_base());
}

FARPROC quorvel_win32::GetProcAddress(HMODULE module, const char *name) {
    if (!module || module != platform_base() || !name) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    for (const NamedCall &call : kNamedCalls) {
        if (std::strcmp(call.name, name) == 0) return call.call;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}
