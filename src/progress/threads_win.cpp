#include "progress/threads.h"

#include <new>
#include <process.h>

namespace progress {
namespace {

struct Start {
    ThreadBody body;
    void *argument;
};

unsigned __stdcall run(void *start) {
    Start copy = *static_cast<Start *>(start);
    delete static_cast<Start *>(start);
    copy.body(copy.argument);
    return 0;
}

}  // namespace

HANDLE start_thread(ThreadBody body, void *argument) {
    auto *start = new (std::nothrow) Start{body, argument};
    if (!start) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    uintptr_t thread = _beginthreadex(nullptr, 0, run, start, 0, nullptr);
    if (!thread) {
        delete start;
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(thread);
}

bool thread_finished(HANDLE thread) {
    DWORD code = 0;
    if (!GetExitCodeThread(thread, &code)) return true;
    return code != STILL_ACTIVE;
}

void release_thread(HANDLE thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

DWORD current_thread_id() { return GetCurrentThreadId(); }

}  // namespace progress
