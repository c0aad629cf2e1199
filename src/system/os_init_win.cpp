// Os_init on Windows: the version record, then the product type and the
// native system information through kernel32 loaded by its full path, as
// older systems lack both calls.
#include "system/os_info.h"

#include <quorvel/error.h>

#include <cstring>
#include <iterator>

namespace {

using ProductInfoFn = BOOL(WINAPI *)(DWORD, DWORD, DWORD, DWORD, DWORD *);
using NativeSystemInfoFn = void(WINAPI *)(SYSTEM_INFO *);

template <typename Fn> Fn look_up(HMODULE module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

}  // namespace

void Os_init() {
    unsigned short *work = system_info::work_buffer();
    std::memset(work, 0, QUORVEL_MAX_TEXT * sizeof *work);
    g_wOsType = 0;

    g_csOsInf.dwOSVersionInfoSize = sizeof g_csOsInf;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&g_csOsInf))) {
        Err_Message(0);
        return;
    }
    static const char16_t kKernel[] = u"\\kernel32.dll";
    const UINT folder = GetSystemDirectoryW(as_wide(work), QUORVEL_MAX_TEXT);
    if (folder == 0) {
        Err_Message(0);
        return;
    }
    if (folder + std::size(kKernel) <= QUORVEL_MAX_TEXT) {
        std::memcpy(work + folder, kKernel, sizeof kKernel);
        if (HMODULE kernel = LoadLibraryW(as_wide(work))) {
            if (auto product = look_up<ProductInfoFn>(kernel, "GetProductInfo"))
                product(g_csOsInf.dwMajorVersion, g_csOsInf.dwMinorVersion,
                        g_csOsInf.wServicePackMajor, g_csOsInf.wServicePackMinor, &g_wOsType);
            if (auto native = look_up<NativeSystemInfoFn>(kernel, "GetNativeSystemInfo"))
                native(&g_csSysInf);
            else
                GetSystemInfo(&g_csSysInf);
            FreeLibrary(kernel);
        }
    }
    g_wOsKind = system_info::os_kind(g_csOsInf);
}
