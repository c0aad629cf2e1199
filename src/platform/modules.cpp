// GetModuleHandleW and GetProcAddress for the one system module there is:
// "kernel32.dll" stands for this platform layer, so a call looked up by
// name at run time is found where the linker would have found it.
#include "platform/win32.h"

#include <dlfcn.h>

namespace {

bool is_kernel32(LPCWSTR name) {
    static const char16_t kName[] = u"kernel32";
    for (int i = 0; kName[i]; ++i, ++name) {
        const WCHAR c = *name >= 'A' && *name <= 'Z' ? *name + ('a' - 'A') : *name;
        if (c != kName[i]) return false;
    }
    if (!*name) return true;
    const WCHAR dll[] = {'.', 'd', 'l', 'l', 0};
    for (int i = 0; dll[i]; ++i, ++name) {
        const WCHAR c = *name >= 'A' && *name <= 'Z' ? *name + ('a' - 'A') : *name;
        if (c != dll[i]) return false;
    }
    return !*name;
}

// This library's load address (its module handle) and its dlopen handle.
void *platform_base(void **library) {
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void *>(&platform_base), &info)) return nullptr;
    if (library) *library = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    return info.dli_fbase;
}

}  // namespace

extern "C" HMODULE GetModuleHandleW(LPCWSTR name) {
    if (!name || !is_kernel32(name)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(platform_base(nullptr));
}

extern "C" FARPROC GetProcAddress(HMODULE module, const char *name) {
    void *library = nullptr;
    if (!module || module != platform_base(&library) || !library || !name) {
        if (library) ::dlclose(library);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void *symbol = ::dlsym(library, name);
    ::dlclose(library);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}
