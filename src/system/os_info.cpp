// The OS facts the host reads: the globals Os_init fills, the release table
// and the getters, which only read.
#include "system/os_info.h"

#include <quorvel/system.h>

#include <cstring>
#include <string>

OSVERSIONINFOEXW g_csOsInf = {};
SYSTEM_INFO g_csSysInf = {};
DWORD g_wOsType = 0;
DWORD g_wOsKind = 0;

namespace {

unsigned short g_work[QUORVEL_MAX_TEXT] = {};


}  // namespace

namespace system_info {

unsigned short *work_buffer() { return g_work; }

DWORD os_kind(const OSVERSIONINFOEXW &info) {
    const DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return 0;
    case VER_PLATFORM_WIN32_WINDOWS:
        return minor < 10 ? 1 : minor < 90 ? 2 : 3;
    case VER_PLATFORM_WIN32_NT:
        if (major < 4) return 4;
        if (major == 4) return 5;
        if (major == 5) return minor == 0 ? 6 : minor == 1 ? 7 : 8;
        if (major == 6) {
            if (minor == 0) return workstation ? 9 : 10;
            if (minor == 1) return workstation ? 11 : 12;
            if (minor == 2 && workstation) return 13;
        }
        return 0;
    default:
        return 0;
    }
}

}  // namespace system_info

DWORD Os_GetKind() { return g_wOsKind; }
int Os_GetPlatform() { return static_cast<int>(g_csOsInf.dwPlatformId); }
int Os_GetMajorVer() { return static_cast<int>(g_csOsInf.dwMajorVersion); }
int Os_GetMinorVer() { return static_cast<int>(g_csOsInf.dwMinorVersion); }

int Os_GetBuildNum() {
    // Windows 9x keeps the version in the high word of the build field.
    if (g_csOsInf.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return static_cast<int>(g_csOsInf.dwBuildNumber & 0xFFFF);
    return static_cast<int>(g_csOsInf.dwBuildNumber);
}

const unsigned short *Os_GetCSDVer() { return as_exported(g_csOsInf.szCSDVersion); }

const unsigned short *Os_GetArchitecture() {
    const char16_t *name = u"none";
    switch (g_csSysInf.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: name = u"x86"; break;
    case PROCESSOR_ARCHITECTURE_IA64: name = u"IA64"; break;
    case PROCESSOR_ARCHITECTURE_AMD64: name = u"x64"; break;
    }
    std::memcpy(g_work, name, (std::char_traits<char16_t>::length(name) + 1) * sizeof(char16_t));
    return g_work;
}
