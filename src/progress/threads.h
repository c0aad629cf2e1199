// The threads of the progress window: the window thread and the three
// drawing threads. Their handles stay valid until released, so that a
// finished thread is never mistaken for a later one with a reused handle.
#pragma once

#include "platform/win32.h"

namespace progress {

using ThreadBody = void (*)(void *argument);

// Null (with the last error set) when the thread cannot start.
HANDLE start_thread(ThreadBody body, void *argument);
// True once the thread has ended, or when its exit code cannot be read.
bool thread_finished(HANDLE thread);
// Waits for the thread to end and frees its handle.
void release_thread(HANDLE thread);
DWORD current_thread_id();

}  // namespace progress
