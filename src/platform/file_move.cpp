// CopyFileExW and MoveFileWithProgressW with their progress routine, and
// the plain forms built on them.
#include "platform/file_object.h"
#include "platform/file_transfer.h"
#include "platform/last_error.h"
#include "platform/native_path.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kChunk = size_t{1} << 20;
constexpr char kUserPrefix[] = "user.";
// Kept by SetFileTime; a copy is a new file with a creation time of its own.
constexpr char kCreationAttribute[] = "user.quorvel.crtime";

BOOL fail(DWORD code) {
    SetLastError(code);
    return FALSE;
}

bool read_only(const struct stat &status) {
    return !S_ISLNK(status.st_mode) && !(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

// A descriptor as a HANDLE of this process, with the share rules applied;
// the progress routine receives these. Closed when the holder goes.
class OpenFile {
public:
    OpenFile(int fd, bool writable, DWORD share) {
        struct stat status{};
        if (::fstat(fd, &status) != 0) {
            platform::set_last_error_from_errno();
            ::close(fd);
            return;
        }
        if (!platform::FileObject::admit(status.st_dev, status.st_ino, !writable, writable,
                                         share)) {
            SetLastError(ERROR_SHARING_VIOLATION);
            ::close(fd);
            return;
        }
        fd_ = fd;
        handle_ = platform::insert_handle(std::make_shared<platform::FileObject>(
            fd, status.st_dev, status.st_ino, !writable, writable, share, false));
    }
    ~OpenFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    int fd() const { return fd_; }
    HANDLE handle() const { return handle_; }

private:
    int fd_ = -1;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The caller's routine and cancel flag for one copy.
struct Progress {
    LPPROGRESS_ROUTINE routine;
    LPVOID data;
    BOOL *cancel;
    HANDLE source = nullptr, destination = nullptr;
    int64_t size = 0;
    bool quiet = false;

    // False when the copy is to stop (a cancel, or the routine's cancel or stop).
    bool report(int64_t done, DWORD reason) {
        // The flag is written by another thread (a progress window's).
        if (cancel && *static_cast<volatile BOOL *>(cancel)) return false;
        if (!routine || quiet) return true;
        LARGE_INTEGER total, moved;
        total.QuadPart = size;
        moved.QuadPart = done;
        switch (routine(total, moved, total, moved, 1, reason, source, destination, data)) {
        case PROGRESS_CONTINUE: return true;
        case PROGRESS_QUIET: quiet = true; return true;
        default: return false;
        }
    }
};

// Moves up to `count` bytes from `in` to `out` at their offsets; `moved`
// says how many came (fewer when the source ended). 0 or an errno.
int move_bytes(int in, int out, size_t count, size_t &moved, bool &plain,
               std::vector<char> &buffer) {
    moved = 0;
    while (moved < count) {
        ssize_t n;
        if (!plain) {
            n = ::copy_file_range(in, nullptr, out, nullptr, count - moved, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EINVAL)) {
                plain = true;  // not between these files: through a buffer
                continue;
            }
        } else {
            if (buffer.empty()) buffer.resize(kChunk);
            n = ::read(in, buffer.data(), std::min(count - moved, buffer.size()));
            for (ssize_t put = 0; n > 0 && put < n;) {
                const ssize_t w = ::write(out, buffer.data() + put, static_cast<size_t>(n - put));
                if (w < 0 && errno != EINTR) return errno;
                if (w > 0) put += w;
            }
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        moved += static_cast<size_t>(n);
    }
    return 0;
}

// The source's user attributes (hidden, system, ... where they are kept),
// as a copy on Windows carries its attributes.
void copy_user_attributes(int in, int out) {
    const ssize_t length = ::flistxattr(in, nullptr, 0);
    if (length <= 0) return;
    std::vector<char> names(static_cast<size_t>(length));
    const ssize_t got = ::flistxattr(in, names.data(), names.size());
    std::vector<char> value;
    for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(std::strlen(&names[at])) + 1) {
        const char *name = &names[at];
        if (std::strncmp(name, kUserPrefix, sizeof kUserPrefix - 1) != 0 ||
            std::strcmp(name, kCreationAttribute) == 0)
            continue;
        const ssize_t size = ::fgetxattr(in, name, nullptr, 0);
        if (size < 0) continue;
        value.resize(static_cast<size_t>(size));
        if (::fgetxattr(in, name, value.data(), value.size()) == size)
            ::fsetxattr(out, name, value.data(), value.size(), 0);
    }
}

// The body of the copy, between two open files; 0 or a Win32 code.
DWORD copy_body(const OpenFile &in, const OpenFile &out, Progress &progress) {
    bool plain = false;
    std::vector<char> buffer;
    int64_t done = 0;
    if (!progress.report(0, CALLBACK_STREAM_SWITCH)) return ERROR_REQUEST_ABORTED;
    do {
        const size_t want = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(kChunk), progress.size - done));
        DWORD readable, writable;
        DWORD fault = platform::consult_file_fault(0, in.handle(), static_cast<DWORD>(want),
                                                   readable);
        const DWORD write_fault =
            platform::consult_file_fault(1, out.handle(), readable, writable);
        if (!fault) fault = write_fault;
        size_t moved = 0;
        if (const int error = move_bytes(in.fd(), out.fd(), writable, moved, plain, buffer))
            return platform::win32_error_from_errno(error);
        done += static_cast<int64_t>(moved);
        if (fault) return fault;
        if (moved < want) break;  // the source became shorter meanwhile
        if (!progress.report(done, CALLBACK_CHUNK_FINISHED)) return ERROR_REQUEST_ABORTED;
    } while (done < progress.size);
    return 0;
}

// A temporary file beside `target`, named after no user's file.
int open_temporary(const std::string &target, std::string &name) {
    const auto slash = target.find_last_of('/');
    name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
           ".quorvel-copy-XXXXXX";
    return ::mkostemp(&name[0], O_CLOEXEC);
}

// CopyFileExW on POSIX paths: 0 or a Win32 code.
DWORD copy_file(const std::string &from, const std::string &to, bool replace,
                Progress &progress) {
    const int in_fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in_fd < 0)
        return errno == ENOENT ? platform::missing_code(from)
                               : platform::win32_error_from_errno(errno);
    struct stat source{};
    if (::fstat(in_fd, &source) != 0 || S_ISDIR(source.st_mode)) {
        ::close(in_fd);
        return ERROR_ACCESS_DENIED;
    }
    OpenFile in(in_fd, false, FILE_SHARE_READ | FILE_SHARE_DELETE);
    if (!in.ok()) return GetLastError();

    struct stat target{};
    if (::stat(to.c_str(), &target) == 0) {
        if (!replace) return ERROR_FILE_EXISTS;
        if (target.st_dev == source.st_dev && target.st_ino == source.st_ino)
            return ERROR_SHARING_VIOLATION;
        if (S_ISDIR(target.st_mode) || read_only(target)) return ERROR_ACCESS_DENIED;
    }

    std::string temporary;
    const int out_fd = open_temporary(to, temporary);
    if (out_fd < 0)
        return errno == ENOENT ? ERROR_PATH_NOT_FOUND : platform::win32_error_from_errno(errno);
    DWORD result;
    {
        OpenFile out(out_fd, true, 0);
        if (!out.ok()) {
            ::unlink(temporary.c_str());
            return GetLastError();
        }
        progress.source = in.handle();
        progress.destination = out.handle();
        progress.size = source.st_size;
        result = copy_body(in, out, progress);
        if (!result) {
            copy_user_attributes(in.fd(), out.fd());
            const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
            if (::fchmod(out.fd(), source.st_mode & 07777) != 0 ||
                ::futimens(out.fd(), times) != 0)
                result = platform::win32_error_from_errno(errno);
        }
    }
    if (!result &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, to.c_str(),
                    replace ? 0 : RENAME_NOREPLACE) != 0)
        result = errno == EEXIST ? ERROR_FILE_EXISTS : platform::win32_error_from_errno(errno);
    if (result) ::unlink(temporary.c_str());
    return result;
}

std::string folder_of(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Syncs a file or a folder: what MOVEFILE_WRITE_THROUGH asks of a move
// before it returns.
DWORD sync(const std::string &name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const DWORD result = synced ? 0 : platform::win32_error_from_errno(errno);
    if (fd >= 0) ::close(fd);
    return result;
}

DWORD sync_folders(const std::string &source, const std::string &target, DWORD flags) {
    if (!(flags & MOVEFILE_WRITE_THROUGH)) return 0;
    const std::string from = folder_of(source), to = folder_of(target);
    if (const DWORD result = sync(to)) return result;
    return from == to ? 0 : sync(from);
}

// MoveFileWithProgressW on POSIX paths: 0 or a Win32 code.
DWORD move_file(const std::string &source, const std::string &target,
                LPPROGRESS_ROUTINE routine, LPVOID data, DWORD flags) {
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return ERROR_NOT_SUPPORTED;
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    struct stat status{};
    bool looked = false;
    auto look = [&source, &status, &looked]() -> DWORD {
        looked = true;
        if (::lstat(source.c_str(), &status) == 0) return 0;
        return errno == ENOENT ? platform::missing_code(source)
                               : platform::win32_error_from_errno(errno);
    };
    // With no file open here no share mode can refuse, and a rename that
    // fails is asked afterwards whether the source was missing.
    if (replace || !platform::FileObject::none_open()) {
        if (const DWORD missing = look()) return missing;
        if (!platform::FileObject::deletable(status.st_dev, status.st_ino))
            return ERROR_SHARING_VIOLATION;
    }
    // Without replacing, the rename itself refuses a target that exists.
    struct stat existing{};
    if (replace && ::lstat(target.c_str(), &existing) == 0 && source != target &&
        (S_ISDIR(existing.st_mode) || S_ISDIR(status.st_mode) || read_only(existing)))
        return ERROR_ACCESS_DENIED;
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(),
                    replace ? 0 : RENAME_NOREPLACE) == 0)
        return sync_folders(source, target, flags);
    const int error = errno;
    if (!looked)
        if (const DWORD missing = look()) return missing;
    // A target that exists is the answer whatever else refused the rename.
    if (error == EEXIST || (!replace && error != ENOENT && ::lstat(target.c_str(), &existing) == 0))
        return ERROR_ALREADY_EXISTS;
    errno = error;
    if (errno == ENOENT || errno == ENOTDIR) return ERROR_PATH_NOT_FOUND;  // the target's folder
    if (errno != EXDEV) return platform::win32_error_from_errno(errno);
    // Another file system: a file is copied, then its source deleted. Windows
    // tries the copy for a folder too, and the copy refuses a folder.
    if (!(flags & MOVEFILE_COPY_ALLOWED)) return ERROR_NOT_SAME_DEVICE;
    if (S_ISDIR(status.st_mode)) return ERROR_ACCESS_DENIED;
    Progress progress{routine, data, nullptr};
    if (const DWORD result = copy_file(source, target, replace, progress)) return result;
    if (flags & MOVEFILE_WRITE_THROUGH)
        if (const DWORD result = sync(target)) return result;
    // As on Windows, a source that cannot go leaves the move done all the same.
    ::unlink(source.c_str());
    return sync_folders(source, target, flags);
}

BOOL copy(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine, LPVOID data, BOOL *cancel,
          DWORD flags) {
    std::string source, target;
    if (!platform::native_path(from, source) || !platform::native_path(to, target)) return FALSE;
    Progress progress{routine, data, cancel};
    const DWORD result = copy_file(source, target, !(flags & COPY_FILE_FAIL_IF_EXISTS), progress);
    return result ? fail(result) : TRUE;
}

BOOL move(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine, LPVOID data, DWORD flags) {
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return fail(ERROR_NOT_SUPPORTED);
    if (!to) return fail(ERROR_INVALID_PARAMETER);
    std::string source, target;
    if (!platform::native_path(from, source) || !platform::native_path(to, target)) return FALSE;
    const DWORD result = move_file(source, target, routine, data, flags);
    return result ? fail(result) : TRUE;
}

}  // namespace

DWORD platform::copy_file(const std::string &from, const std::string &to, bool replace) {
    Progress progress{nullptr, nullptr, nullptr};
    return ::copy_file(from, to, replace, progress);
}

DWORD platform::move_file(const std::string &from, const std::string &to, DWORD flags) {
    return ::move_file(from, to, nullptr, nullptr, flags);
}

BOOL quorvel_win32::CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    return copy(from, to, nullptr, nullptr, nullptr, failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0);
}

BOOL quorvel_win32::CopyFileExW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine, LPVOID data,
                            BOOL *cancel, DWORD flags) {
    return copy(from, to, routine, data, cancel, flags);
}

// As on Windows, a plain move takes a file to another volume by a copy.
BOOL quorvel_win32::MoveFileW(LPCWSTR from, LPCWSTR to) {
    return move(from, to, nullptr, nullptr, MOVEFILE_COPY_ALLOWED);
}

BOOL quorvel_win32::MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    return move(from, to, nullptr, nullptr, flags);
}

BOOL quorvel_win32::MoveFileWithProgressW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine,
                                      LPVOID data, DWORD flags) {
    return move(from, to, routine, data, flags);
}
