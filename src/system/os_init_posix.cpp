// Os_init on POSIX: the platform layer's version record and system
// information. The record names the kernel, not a Windows release, so the
// kind comes out 0; there is no product type.
#include "system/os_info.h"

#include <quorvel/error.h>

#include <cstring>

void Os_init() {
    std::memset(system_info::work_buffer(), 0, QUORVEL_MAX_TEXT * sizeof(unsigned short));
    g_wOsType = 0;

    g_csOsInf.dwOSVersionInfoSize = sizeof g_csOsInf;
    if (!GetVersionExW(&g_csOsInf)) {
        Err_Message(0);
        return;
    }
    GetNativeSystemInfo(&g_csSysInf);
    g_wOsKind = system_info::os_kind(g_csOsInf);
}
