#include "platform/file_time.h"

#include "platform/byte_order.h"
#include "platform/file_object.h"
#include "platform/last_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace platform {

const char kCreationAttribute[] = "user.quorvel.crtime";

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kEpochDifference = 116444736000000000;  // 1601 to 1970, in units
constexpr uint64_t kLargestFileTime = 0x7FFFFFFFFFFFFFFFull;

bool operator<(const timespec &a, const timespec &b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

// The creation time SetFileTime kept; `read` fills 8 bytes of attribute.
// Any program may write the attribute: a value past the largest file time
// counts as none.
template <class Read> bool kept_creation_time(Read read, timespec &out) {
    unsigned char bytes[8];
    if (read(bytes) != sizeof bytes) return false;
    const uint64_t value = load_le64(bytes);
    if (value > kLargestFileTime) return false;
    out = timespec_from_filetime(value);
    return true;
}

bool keep_creation_time(int fd, uint64_t filetime) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(filetime >> (8 * i));
    return ::fsetxattr(fd, kCreationAttribute, bytes, sizeof bytes, 0) == 0;
}

uint64_t join(const FILETIME &time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME split(uint64_t value) {
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// 0 leaves a time as it is; all ones (stop updating it) is not honoured by
// POSIX, so it leaves it too.
bool leaves_unchanged(const FILETIME *time) {
    if (!time) return true;
    const uint64_t value = join(*time);
    return value == 0 || value == ~uint64_t{0};
}

}  // namespace

uint64_t filetime_from_timespec(const timespec &time) {
    // Unsigned: a time far outside the file time's range wraps, defined.
    return static_cast<uint64_t>(time.tv_sec) * kUnitsPerSecond +
           static_cast<uint64_t>(time.tv_nsec / 100 + kEpochDifference);
}

timespec timespec_from_filetime(uint64_t filetime) {
    // Unsigned first: a value past the largest file time wraps, defined.
    const auto units = static_cast<int64_t>(filetime - static_cast<uint64_t>(kEpochDifference));
    int64_t seconds = units / kUnitsPerSecond;
    int64_t rest = units % kUnitsPerSecond;
    if (rest < 0) {
        rest += kUnitsPerSecond;
        --seconds;
    }
    return timespec{static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

timespec creation_time(const struct statx &status) {
    if (status.stx_mask & STATX_BTIME)
        return timespec{status.stx_btime.tv_sec, status.stx_btime.tv_nsec};
    const timespec changed{status.stx_ctime.tv_sec, status.stx_ctime.tv_nsec};
    const timespec modified{status.stx_mtime.tv_sec, status.stx_mtime.tv_nsec};
    return modified < changed ? modified : changed;
}

bool creation_time_from_statx(int fd, const char *path, int flags, timespec &out) {
    struct statx status{};
    if (::statx(fd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) return false;
    out = creation_time(status);
    return true;
}

bool kept_creation_time(const std::string &path, timespec &out) {
    auto read = [&path](unsigned char *bytes) {
        return ::getxattr(path.c_str(), kCreationAttribute, bytes, 8);
    };
    return kept_creation_time(read, out);
}

bool kept_creation_time(int fd, timespec &out) {
    auto read = [fd](unsigned char *bytes) {
        return ::fgetxattr(fd, kCreationAttribute, bytes, 8);
    };
    return kept_creation_time(read, out);
}

bool creation_time(int fd, timespec &out) {
    return kept_creation_time(fd, out) || creation_time_from_statx(fd, "", AT_EMPTY_PATH, out);
}

bool creation_time(const std::string &path, timespec &out) {
    return kept_creation_time(path, out) ||
           creation_time_from_statx(AT_FDCWD, path.c_str(), 0, out);
}

}  // namespace platform

BOOL quorvel_win32::GetFileTime(HANDLE handle, FILETIME *creation, FILETIME *access,
                            FILETIME *write) {
    auto file = platform::file_from_handle(handle);
    if (!file) return FALSE;
    // One status gives all three times; the kept creation time, where there
    // is one, replaces the file system's.
    struct statx status{};
    if (::statx(file->fd(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    auto time = [](const statx_timestamp &stamp) {
        return platform::split(
            platform::filetime_from_timespec(timespec{stamp.tv_sec, stamp.tv_nsec}));
    };
    if (creation) {
        timespec created{};
        if (!platform::kept_creation_time(file->fd(), created))
            created = platform::creation_time(status);
        *creation = platform::split(platform::filetime_from_timespec(created));
    }
    if (access) *access = time(status.stx_atime);
    if (write) *write = time(status.stx_mtime);
    return TRUE;
}

BOOL quorvel_win32::SetFileTime(HANDLE handle, const FILETIME *creation, const FILETIME *access,
                            const FILETIME *write) {
    auto file = platform::file_from_handle(handle);
    if (!file) return FALSE;
    // As on Windows, times are attributes that only a handle with write
    // access may change.
    if (!file->writable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    for (const FILETIME *time : {creation, access, write})
        if (!platform::leaves_unchanged(time) && platform::join(*time) > platform::kLargestFileTime) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    // The creation time first: when the file system cannot keep it, nothing
    // has changed yet.
    if (!platform::leaves_unchanged(creation) &&
        !platform::keep_creation_time(file->fd(), platform::join(*creation))) {
        if (errno == ENOTSUP) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        platform::set_last_error_from_errno();
        return FALSE;
    }
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (!platform::leaves_unchanged(access))
        times[0] = platform::timespec_from_filetime(platform::join(*access));
    if (!platform::leaves_unchanged(write))
        times[1] = platform::timespec_from_filetime(platform::join(*write));
    if ((times[0].tv_nsec != UTIME_OMIT || times[1].tv_nsec != UTIME_OMIT) &&
        ::futimens(file->fd(), times) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}
