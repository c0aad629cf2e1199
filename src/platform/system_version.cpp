// The system's version and processor facts from uname(2) and sysconf(3).
#include "platform/win32_desktop.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

constexpr DWORD kVersionInfoSize = 276;  // OSVERSIONINFOW, without the EX fields

WORD architecture(const char *machine) {
    const std::string m = machine;
    if (m == "x86_64" || m == "amd64") return PROCESSOR_ARCHITECTURE_AMD64;
    if (m.size() == 4 && m[0] == 'i' && m.compare(2, 2, "86") == 0) return PROCESSOR_ARCHITECTURE_INTEL;
    if (m == "aarch64" || m == "arm64") return PROCESSOR_ARCHITECTURE_ARM64;
    if (m == "ia64") return PROCESSOR_ARCHITECTURE_IA64;
    return PROCESSOR_ARCHITECTURE_UNKNOWN;
}

}  // namespace

BOOL quorvel_win32::GetVersionExW(OSVERSIONINFOEXW *info) {
    if (!info || (info->dwOSVersionInfoSize != kVersionInfoSize &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    utsname name{};
    if (uname(&name) != 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    unsigned major = 0, minor = 0, build = 0;
    std::sscanf(name.release, "%u.%u.%u", &major, &minor, &build);
    const DWORD size = info->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<char *>(info) + sizeof size, 0, size - sizeof size);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_POSIX;
    const std::u16string text = platform::utf8_to_utf16(std::string(name.sysname) + " " + name.release);
    const size_t units = std::min(text.size(), std::size(info->szCSDVersion) - 1);
    std::memcpy(info->szCSDVersion, text.data(), units * sizeof(WCHAR));
    return TRUE;
}

void quorvel_win32::GetNativeSystemInfo(SYSTEM_INFO *info) {
    if (!info) return;
    *info = SYSTEM_INFO{};
    utsname name{};
    info->wProcessorArchitecture =
        uname(&name) == 0 ? architecture(name.machine) : PROCESSOR_ARCHITECTURE_UNKNOWN;
    const long page = sysconf(_SC_PAGESIZE);
    info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 0;
    info->dwAllocationGranularity = info->dwPageSize;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 0;
}
