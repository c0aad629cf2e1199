// ReadFile, WriteFile, the file pointer and size, with the tests' fault hook.
#include "platform/file_object.h"
#include "platform/last_error.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_hook_lock;
QuorvelFileFaultHook g_hook = nullptr;
void *g_hook_context = nullptr;

}  // namespace

DWORD platform::consult_file_fault(int operation, HANDLE file, DWORD count, DWORD &allowed) {
    QuorvelFileFaultHook hook;
    void *context;
    {
        std::lock_guard<std::mutex> guard(g_hook_lock);
        hook = g_hook;
        context = g_hook_context;
    }
    allowed = count;
    if (!hook) return 0;
    const DWORD fault = hook(context, operation, file, count, &allowed);
    if (allowed > count) allowed = count;
    return fault;
}

namespace {

BOOL fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

// What a handle may do: null when it may not, with the last error set.
std::shared_ptr<platform::FileObject> usable(HANDLE handle, bool write) {
    auto file = platform::file_from_handle(handle);
    if (!file) return nullptr;
    if (file->directory() || !(write ? file->writable() : file->readable())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

}  // namespace

QuorvelFileFaultHook quorvel_win32::Quorvel_SetFileFaultHook(QuorvelFileFaultHook hook,
                                                         void *context) {
    std::lock_guard<std::mutex> guard(g_hook_lock);
    QuorvelFileFaultHook previous = g_hook;
    g_hook = hook;
    g_hook_context = context;
    return previous;
}

BOOL quorvel_win32::ReadFile(HANDLE handle, void *buffer, DWORD count, DWORD *read,
                         LPOVERLAPPED overlapped) {
    if (read) *read = 0;
    if (overlapped || !read || (!buffer && count)) return fail(ERROR_INVALID_PARAMETER);
    auto file = usable(handle, false);
    if (!file) return FALSE;
    DWORD allowed;
    const DWORD fault = platform::consult_file_fault(0, handle, count, allowed);
    auto *bytes = static_cast<char *>(buffer);
    // read(2) may return less than asked before the end: go on until the
    // count is met or the file ends, as ReadFile does.
    while (*read < allowed) {
        const ssize_t got = ::read(file->fd(), bytes + *read, allowed - *read);
        if (got < 0) {
            if (errno == EINTR) continue;
            platform::set_last_error_from_errno();
            return FALSE;
        }
        if (got == 0) break;
        *read += static_cast<DWORD>(got);
    }
    return fault ? fail(fault) : TRUE;
}

BOOL quorvel_win32::WriteFile(HANDLE handle, const void *buffer, DWORD count, DWORD *written,
                          LPOVERLAPPED overlapped) {
    if (written) *written = 0;
    if (overlapped || !written || (!buffer && count)) return fail(ERROR_INVALID_PARAMETER);
    auto file = usable(handle, true);
    if (!file) return FALSE;
    DWORD allowed;
    const DWORD fault = platform::consult_file_fault(1, handle, count, allowed);
    const auto *bytes = static_cast<const char *>(buffer);
    while (*written < allowed) {
        const ssize_t put = ::write(file->fd(), bytes + *written, allowed - *written);
        if (put < 0) {
            if (errno == EINTR) continue;
            platform::set_last_error_from_errno();
            return FALSE;
        }
        *written += static_cast<DWORD>(put);
    }
    return fault ? fail(fault) : TRUE;
}

BOOL quorvel_win32::SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER *position,
                                 DWORD method) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (method > FILE_END) return fail(ERROR_INVALID_PARAMETER);
    auto file = platform::file_from_handle(handle);
    if (!file) return FALSE;
    const off_t result = ::lseek(file->fd(), distance.QuadPart, kWhence[method]);
    if (result < 0) {
        if (errno == EINVAL) return fail(ERROR_NEGATIVE_SEEK);
        if (errno == EOVERFLOW) return fail(ERROR_INVALID_PARAMETER);
        platform::set_last_error_from_errno();
        return FALSE;
    }
    if (position) position->QuadPart = result;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL quorvel_win32::GetFileSizeEx(HANDLE handle, LARGE_INTEGER *size) {
    if (!size) return fail(ERROR_INVALID_PARAMETER);
    auto file = platform::file_from_handle(handle);
    if (!file) return FALSE;
    struct stat status{};
    if (::fstat(file->fd(), &status) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    size->QuadPart = file->directory() ? 0 : status.st_size;
    return TRUE;
}

BOOL quorvel_win32::SetEndOfFile(HANDLE handle) {
    auto file = usable(handle, true);
    if (!file) return FALSE;
    const off_t here = ::lseek(file->fd(), 0, SEEK_CUR);
    if (here < 0 || ::ftruncate(file->fd(), here) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}

BOOL quorvel_win32::FlushFileBuffers(HANDLE handle) {
    auto file = usable(handle, true);
    if (!file) return FALSE;
    if (::fsync(file->fd()) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}
