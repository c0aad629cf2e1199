#include "platform/win32.h"

#include <cstdio>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace {

// What this process has mapped (VmSize of /proc/self/status), 0 if unknown.
ULONGLONG mapped_bytes() {
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status) return 0;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmSize: %llu kB", &kib) == 1) break;
    }
    std::fclose(status);
    return kib * 1024;
}

ULONGLONG address_space() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return limit.rlim_cur;
    return ULONGLONG{1} << 47;
}

}  // namespace

BOOL quorvel_win32::GlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
    if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct sysinfo info{};
    if (sysinfo(&info) != 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const ULONGLONG unit = info.mem_unit ? info.mem_unit : 1;
    status->ullTotalPhys = info.totalram * unit;
    status->ullAvailPhys = (info.freeram + info.bufferram) * unit;
    status->ullTotalPageFile = (info.totalram + info.totalswap) * unit;
    status->ullAvailPageFile = (info.freeram + info.bufferram + info.freeswap) * unit;
    status->ullTotalVirtual = address_space();
    const ULONGLONG mapped = mapped_bytes();
    status->ullAvailVirtual = mapped < status->ullTotalVirtual ? status->ullTotalVirtual - mapped : 0;
    status->ullAvailExtendedVirtual = 0;
    status->dwMemoryLoad =
        status->ullTotalPhys
            ? static_cast<DWORD>(100 - status->ullAvailPhys * 100 / status->ullTotalPhys)
            : 0;
    return TRUE;
}
