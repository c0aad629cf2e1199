#include "platform/win32.h"

#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

DWORD quorvel_win32::GetCurrentThreadId(void) {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

void quorvel_win32::Sleep(DWORD milliseconds) {
    timespec request{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&request, &request) != 0) {
    }
}

DWORD quorvel_win32::GetTickCount(void) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                              static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
