// CreateFileW: access, sharing and disposition on top of open(2).
#include "platform/file_object.h"
#include "platform/last_error.h"
#include "platform/native_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr DWORD kReadRights = GENERIC_READ | 0x10000000u /* GENERIC_ALL */ | 0x1u;
constexpr DWORD kWriteRights = GENERIC_WRITE | 0x10000000u | 0x2u | 0x4u;

HANDLE fail(DWORD code) {
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

HANDLE fail_from_errno() {
    platform::set_last_error_from_errno();
    return INVALID_HANDLE_VALUE;
}

// Opens the file, creating it when the disposition allows; `existed` tells
// whether it was there before. Where it may be created, the create comes
// first: an output is most often new, and then one call does.
int open_for(const std::string &path, int access, DWORD disposition, mode_t mode,
             bool &existed) {
    const bool may_create = disposition == CREATE_NEW || disposition == CREATE_ALWAYS ||
                            disposition == OPEN_ALWAYS;
    const bool must_create = disposition == CREATE_NEW;
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (may_create) {
            const int fd = ::open(path.c_str(), access | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0 || errno != EEXIST || must_create) {
                existed = false;
                return fd;
            }
        }
        const int fd = ::open(path.c_str(), access | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT || !may_create) {
            existed = fd >= 0;
            return fd;
        }
        // Gone between the two tries: create it again.
    }
    errno = EAGAIN;
    return -1;
}

}  // namespace

HANDLE quorvel_win32::CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                              DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (templateFile || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return fail(ERROR_INVALID_PARAMETER);
    std::string native;
    if (!platform::native_path(path, native)) return INVALID_HANDLE_VALUE;

    const bool readable = access & kReadRights;
    const bool writable = access & kWriteRights;
    if (disposition == TRUNCATE_EXISTING && !writable) return fail(ERROR_INVALID_PARAMETER);
    const int access_flags = writable ? (readable ? O_RDWR : O_WRONLY) : O_RDONLY;
    const mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    const bool backup = flags & FILE_FLAG_BACKUP_SEMANTICS;
    const int no_follow = (flags & FILE_FLAG_OPEN_REPARSE_POINT) ? O_NOFOLLOW : 0;

    bool existed = false;
    int fd = open_for(native, access_flags | no_follow, disposition, mode, existed);
    if (fd < 0 && errno == EISDIR && backup && disposition != CREATE_ALWAYS &&
        disposition != CREATE_NEW && disposition != TRUNCATE_EXISTING) {
        fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | no_follow);
        existed = true;
    }
    if (fd < 0) {
        if (errno == ENOENT) return fail(platform::missing_code(native));
        if (errno == EEXIST) return fail(ERROR_FILE_EXISTS);
        // Windows would open the link itself; POSIX cannot.
        if (errno == ELOOP && no_follow) return fail(ERROR_CANT_ACCESS_FILE);
        return fail_from_errno();
    }

    struct stat status{};
    if (::fstat(fd, &status) != 0) {
        const HANDLE result = fail_from_errno();
        ::close(fd);
        return result;
    }
    const bool directory = S_ISDIR(status.st_mode);
    // Root may write where nobody else may; Windows refuses a read-only
    // file to administrators too.
    if (writable && existed && !directory && !(status.st_mode & 0222)) {
        ::close(fd);
        return fail(ERROR_ACCESS_DENIED);
    }
    if (directory && (!backup || disposition == CREATE_ALWAYS || disposition == CREATE_NEW ||
                      disposition == TRUNCATE_EXISTING)) {
        ::close(fd);
        return fail(ERROR_ACCESS_DENIED);
    }
    if (!platform::FileObject::admit(status.st_dev, status.st_ino, readable, writable, share)) {
        ::close(fd);
        return fail(ERROR_SHARING_VIOLATION);
    }
    // Only now, with the share check passed, may an old body be cut.
    auto file = std::make_shared<platform::FileObject>(fd, status.st_dev, status.st_ino, readable,
                                                       writable, share, directory);
    if (existed && !directory &&
        (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) &&
        ::ftruncate(fd, 0) != 0)
        return fail_from_errno();  // the object closes the descriptor

    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
                     ? ERROR_ALREADY_EXISTS
                     : ERROR_SUCCESS);
    return platform::insert_handle(std::move(file));
}
