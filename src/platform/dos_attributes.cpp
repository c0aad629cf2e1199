// GetFileAttributesW and SetFileAttributesW over permission bits and the
// "user.DOSATTRIB" extended attribute.
#include "platform/dos_attributes.h"

#include "platform/last_error.h"
#include "platform/native_path.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace platform {

const char kDosAttribute[] = "user.DOSATTRIB";

namespace {

constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// What a file shows with no kept value.
DWORD natural_attributes(mode_t mode) { return S_ISDIR(mode) ? 0 : FILE_ATTRIBUTE_ARCHIVE; }

bool fail_from_errno() {
    if (errno == ENOTSUP) SetLastError(ERROR_NOT_SUPPORTED);
    else set_last_error_from_errno();
    return false;
}

// Writes the kept value as Wine does, which Samba reads as its own older
// form. A read-only file's owner may not write extended attributes, so its
// write permission is lent for the moment.
bool keep_dos_attributes(const std::string &path, mode_t mode, DWORD attributes) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", attributes);
    const bool lend = !(mode & S_IWUSR);
    if (lend && ::chmod(path.c_str(), mode | S_IWUSR) != 0) return fail_from_errno();
    const bool kept = ::setxattr(path.c_str(), kDosAttribute, text, length, 0) == 0;
    const int error = errno;
    if (lend) ::chmod(path.c_str(), mode);
    errno = error;
    return kept || fail_from_errno();
}

}  // namespace

int64_t parse_dos_attributes(const char *value, size_t length) {
    if (length < 3 || value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) return -1;
    int64_t attributes = 0;
    size_t i = 2;
    for (; i < length && value[i]; ++i) {
        const char c = value[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return -1;
        attributes = attributes << 4 | digit;
        if (attributes > 0xFFFFFFFF) return -1;
    }
    return i > 2 ? attributes : -1;
}

int64_t kept_dos_attributes(const std::string &path) {
    char value[256];
    const ssize_t length = ::getxattr(path.c_str(), kDosAttribute, value, sizeof value);
    if (length < 0) return -1;
    return parse_dos_attributes(value, static_cast<size_t>(length));
}

bool dot_name(const char *name) {
    return name[0] == '.' && name[1] && !(name[1] == '.' && !name[2]);
}

std::string last_component(const std::string &path) {
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const size_t slash = path.rfind('/', end - 1);
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end - start);
}

DWORD file_attributes(mode_t mode, bool dot_named, int64_t kept, bool sparse) {
    DWORD attributes = S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    attributes |= kept >= 0 ? static_cast<DWORD>(kept) & kKeptAttributes
                            : natural_attributes(mode);
    // Read-only as Wine reads it: nobody may write.
    if (!(mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= FILE_ATTRIBUTE_READONLY;
    if (dot_named) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (sparse && S_ISREG(mode)) attributes |= FILE_ATTRIBUTE_SPARSE_FILE;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD link_attributes(int folder, const char *name, bool dot_named) {
    struct stat target{};
    const bool to_folder = ::fstatat(folder, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return (file_attributes((to_folder ? S_IFDIR : S_IFREG) | 0777, dot_named, -1, false) &
            ~DWORD{FILE_ATTRIBUTE_NORMAL}) |
           FILE_ATTRIBUTE_REPARSE_POINT;
}

}  // namespace platform

DWORD quorvel_win32::GetFileAttributesW(LPCWSTR path) {
    std::string native;
    if (!platform::native_path(path, native)) return INVALID_FILE_ATTRIBUTES;
    // The last component is not followed, as Windows does not follow a
    // reparse point here: a dangling link exists.
    struct stat status{};
    if (::lstat(native.c_str(), &status) != 0) {
        if (errno == ENOENT) SetLastError(platform::missing_code(native));
        else platform::set_last_error_from_errno();
        return INVALID_FILE_ATTRIBUTES;
    }
    const bool dot_named = platform::dot_name(platform::last_component(native).c_str());
    if (S_ISLNK(status.st_mode))
        return platform::link_attributes(AT_FDCWD, native.c_str(), dot_named);
    return platform::file_attributes(status.st_mode, dot_named,
                                     platform::kept_dos_attributes(native),
                                     status.st_blocks * 512 < status.st_size);
}

BOOL quorvel_win32::SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    struct stat status{};
    if (::stat(native.c_str(), &status) != 0) {
        if (errno == ENOENT) SetLastError(platform::missing_code(native));
        else platform::set_last_error_from_errno();
        return FALSE;
    }
    // The kept value first: when the file system cannot keep it, nothing
    // has changed yet. No value is written where the natural one is meant.
    const DWORD wanted = attributes & platform::kKeptAttributes;
    const DWORD natural = platform::natural_attributes(status.st_mode);
    const bool dot_named = platform::dot_name(platform::last_component(native).c_str());
    const int64_t kept = platform::kept_dos_attributes(native);
    const bool same =
        kept >= 0 ? (static_cast<DWORD>(kept) & platform::kKeptAttributes) == wanted
                  : (wanted & ~(dot_named ? FILE_ATTRIBUTE_HIDDEN : 0)) == natural;
    // Bits of a Samba value that are not ours to change stay as they were.
    const DWORD value =
        (kept >= 0 ? static_cast<DWORD>(kept) & ~platform::kKeptAttributes : 0) | wanted;
    if (!same && value == natural) {
        // Back to what the file shows without a value: drop it.
        if (::removexattr(native.c_str(), platform::kDosAttribute) != 0 && errno != ENODATA)
            return platform::fail_from_errno();
    } else if (!same && !platform::keep_dos_attributes(native, status.st_mode, value)) {
        return FALSE;
    }

    const mode_t mode = status.st_mode & 07777;
    mode_t target = mode;
    if (attributes & FILE_ATTRIBUTE_READONLY) target &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (!(mode & (S_IWUSR | S_IWGRP | S_IWOTH))) target |= S_IWUSR;
    if (target != mode && ::chmod(native.c_str(), target) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}
