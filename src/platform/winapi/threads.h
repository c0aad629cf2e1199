/* POSIX platform layer: threads calls. */
#ifndef QUORVEL_PLATFORM_WINAPI_THREADS_H
#define QUORVEL_PLATFORM_WINAPI_THREADS_H

#include "base.h"

namespace quorvel_win32 {

/* Memory status, from sysinfo(2): physical memory is the machine's RAM, the
 * page file is RAM plus swap (the commit limit), the virtual figures are
 * this process's address space (its RLIMIT_AS, else the 47-bit user space
 * of the x86-64 kernel) and what it has mapped so far. dwLength must be
 * sizeof(MEMORYSTATUSEX), else the call fails with ERROR_INVALID_PARAMETER. */
typedef struct _MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    ULONGLONG ullTotalPhys;
    ULONGLONG ullAvailPhys;
    ULONGLONG ullTotalPageFile;
    ULONGLONG ullAvailPageFile;
    ULONGLONG ullTotalVirtual;
    ULONGLONG ullAvailVirtual;
    ULONGLONG ullAvailExtendedVirtual;
} MEMORYSTATUSEX, *LPMEMORYSTATUSEX;
QUORVEL_WINAPI BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);

}  // namespace quorvel_win32

#endif
