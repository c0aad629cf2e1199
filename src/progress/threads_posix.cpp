// POSIX threads behind the progress window's thread handles. A handle is
// the thread's record; it lives until released, so a finished thread stays
// readable as finished.
#include "progress/threads.h"

#include <atomic>
#include <new>
#include <pthread.h>

namespace progress {
namespace {

struct ThreadRecord {
    ThreadBody body;
    void *argument;
    pthread_t thread{};
    std::atomic<bool> finished{false};
};

void *run(void *record) {
    auto *self = static_cast<ThreadRecord *>(record);
    self->body(self->argument);
    self->finished.store(true);
    return nullptr;
}

}  // namespace

HANDLE start_thread(ThreadBody body, void *argument) {
    auto *record = new (std::nothrow) ThreadRecord{body, argument};
    if (!record) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (pthread_create(&record->thread, nullptr, run, record) != 0) {
        delete record;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return static_cast<HANDLE>(record);
}

bool thread_finished(HANDLE thread) {
    return static_cast<ThreadRecord *>(thread)->finished.load();
}

void release_thread(HANDLE thread) {
    auto *record = static_cast<ThreadRecord *>(thread);
    pthread_join(record->thread, nullptr);
    delete record;
}

DWORD current_thread_id() { return GetCurrentThreadId(); }

}  // namespace progress
