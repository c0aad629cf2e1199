// FindFirstFileW, FindNextFileW and FindClose over readdir(3), and the
// runtime library's _wfindfirsti64 family over them.
#include "platform/dos_attributes.h"
#include "platform/file_time.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/name_pattern.h"
#include "platform/native_path.h"
#include "platform/text16.h"
#include "platform/utf16.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using platform::NamePattern;

HANDLE fail(DWORD code) {
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

FILETIME filetime(const timespec &time) {
    const uint64_t value = platform::filetime_from_timespec(time);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// listxattrat(2) (Linux 6.13): the name looked up in the folder already
// open, not along the whole path again. ENOSYS before that kernel.
ssize_t list_attributes_at(int folder, const char *name, char *list, size_t size) {
#ifdef __x86_64__
    static bool missing = false;
    if (!missing) {
        const ssize_t length = ::syscall(465, folder, name, 0, list, size);
        if (length >= 0 || errno != ENOSYS) return length;
        missing = true;
    }
#endif
    errno = ENOSYS;
    return -1;
}

// Which of the two attributes this layer keeps a file has, in one call
// rather than one for each: most files have neither.
void kept_attributes(int folder, const char *name, const std::string &path, bool &dos,
                     bool &creation) {
    char list[1024];
    ssize_t length = list_attributes_at(folder, name, list, sizeof list);
    if (length < 0 && errno == ENOSYS) length = ::listxattr(path.c_str(), list, sizeof list);
    if (length < 0) {
        // A list too long to read here: ask for each.
        dos = creation = errno == ERANGE;
        return;
    }
    dos = creation = false;
    for (ssize_t i = 0; i < length; i += static_cast<ssize_t>(std::strlen(list + i)) + 1) {
        if (std::strcmp(list + i, platform::kDosAttribute) == 0) dos = true;
        else if (std::strcmp(list + i, platform::kCreationAttribute) == 0) creation = true;
    }
}

// Fills `data` for the entry `name` of the open folder (or a whole path
// with AT_FDCWD), without the kept attributes and creation time unless
// `kept`; false (with errno) when it cannot be read.
bool describe(int folder, const std::string &folder_path, const char *name,
              const std::u16string &wide_name, bool kept, WIN32_FIND_DATAW &data) {
    struct statx status{};
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                          STATX_CTIME | STATX_BTIME | STATX_BLOCKS;
    // A link is reported as Windows reports a reparse point: its own entry
    // with its own size and times, never what it leads to; a link to a
    // folder carries the folder bit as a folder link does on Windows. The
    // target is looked at for that bit only.
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, mask, &status) != 0) return false;
    const bool link = S_ISLNK(status.stx_mode);
    const char *slash = std::strrchr(name, '/');
    const bool dot_named = platform::dot_name(slash ? slash + 1 : name);
    const std::string path = kept ? folder_path + name : std::string();
    bool has_dos = false, has_creation = false;
    if (!link && kept) kept_attributes(folder, name, path, has_dos, has_creation);

    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes =
        link ? platform::link_attributes(folder, name, dot_named)
             : platform::file_attributes(
                   status.stx_mode, dot_named,
                   has_dos ? platform::kept_dos_attributes(path) : -1,
                   status.stx_blocks * 512 < status.stx_size);
    timespec created{};
    if (!has_creation || !platform::kept_creation_time(path, created))
        created = platform::creation_time(status);
    data.ftCreationTime = filetime(created);
    data.ftLastAccessTime = filetime(timespec{status.stx_atime.tv_sec, status.stx_atime.tv_nsec});
    data.ftLastWriteTime = filetime(timespec{status.stx_mtime.tv_sec, status.stx_mtime.tv_nsec});
    const uint64_t size = S_ISDIR(status.stx_mode) ? 0 : status.stx_size;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(data.cFileName, wide_name.c_str(), (wide_name.size() + 1) * sizeof(WCHAR));
    return true;
}

class FindObject : public platform::KernelObject {
public:
    FindObject(DIR *folder, std::string path, NamePattern pattern, bool dots, bool kept)
        : folder_(folder), path_(std::move(path)), pattern_(std::move(pattern)),
          dots_(dots ? 0 : 2), kept_(kept) {}
    ~FindObject() override {
        if (folder_) ::closedir(folder_);
    }
    bool close() override {
        DIR *folder = folder_;
        folder_ = nullptr;
        return !folder || ::closedir(folder) == 0;
    }

    // The next matching entry; false with the last error set at the end.
    bool next(WIN32_FIND_DATAW &data) {
        static const char *const kDots[] = {".", ".."};
        if (!folder_) {
            SetLastError(ERROR_NO_MORE_FILES);
            return false;
        }
        while (dots_ < 2) {
            const char *name = kDots[dots_++];
            const std::u16string wide = name[1] ? u".." : u".";
            if (pattern_.matches(wide) && describe(dirfd(folder_), path_, name, wide, kept_, data))
                return true;
        }
        for (;;) {
            errno = 0;
            const dirent *entry = ::readdir(folder_);
            if (!entry) {
                if (errno) platform::set_last_error_from_errno();
                else SetLastError(ERROR_NO_MORE_FILES);
                return false;
            }
            const char *name = entry->d_name;
            if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))) continue;
            platform::name_to_utf16(name, std::strlen(name), wide_);
            if (wide_.size() >= MAX_PATH || !pattern_.matches(wide_)) continue;
            // An entry removed since the folder was read is passed over.
            if (describe(dirfd(folder_), path_, name, wide_, kept_, data)) return true;
        }
    }

private:
    DIR *folder_;
    std::string path_;  // the folder's POSIX path with a trailing slash
    NamePattern pattern_;
    int dots_;          // how many of "." and ".." are done
    bool kept_;         // whether the kept attributes are read
    std::u16string wide_;  // the last name read, its room kept
};

bool is_separator(WCHAR c) { return c == '\\' || c == '/'; }

HANDLE find_first(LPCWSTR pattern, LPWIN32_FIND_DATAW data, bool kept) {
    if (!pattern || !data) return fail(ERROR_INVALID_PARAMETER);
    const std::u16string text(as_u16(pattern));
    size_t split = text.size();
    while (split > 0 && !is_separator(text[split - 1])) --split;
    std::u16string folder = text.substr(0, split);
    const std::u16string name = text.substr(split);
    // "Z:name" is relative to a drive's working folder, which POSIX lacks.
    if (folder.empty() && name.size() >= 2 && name[1] == u':') return fail(ERROR_PATH_NOT_FOUND);
    if (name.empty()) return fail(ERROR_FILE_NOT_FOUND);
    if (name.find_first_of(u"\"<>|:") != std::u16string::npos) return fail(ERROR_INVALID_NAME);

    std::string native = ".";
    if (!folder.empty() && !platform::native_path(as_wide(folder), native))
        return INVALID_HANDLE_VALUE;
    if (native.back() != '/') native += '/';
    DIR *listing = ::opendir(native.c_str());
    if (!listing) {
        if (errno == ENOENT || errno == ENOTDIR) return fail(ERROR_PATH_NOT_FOUND);
        platform::set_last_error_from_errno();
        return INVALID_HANDLE_VALUE;
    }
    // A plain name is looked up at once; the folder is read only when the
    // name is there in another case.
    if (NamePattern(name).literal()) {
        const std::string exact = platform::name_to_native(name);
        if (describe(dirfd(listing), native, exact.c_str(), name, kept, *data)) {
            ::closedir(listing);
            SetLastError(ERROR_SUCCESS);
            return platform::insert_handle(
                std::make_shared<FindObject>(nullptr, native, NamePattern(name), false, kept));
        }
    }
    // Windows lists "." and ".." in every folder but a drive's root.
    struct stat self{}, parent{};
    const bool root = ::stat(native.c_str(), &self) == 0 &&
                      ::stat((native + "..").c_str(), &parent) == 0 &&
                      self.st_dev == parent.st_dev && self.st_ino == parent.st_ino;
    auto find = std::make_shared<FindObject>(listing, native, NamePattern(name), !root, kept);
    if (!find->next(*data)) {
        if (GetLastError() == ERROR_NO_MORE_FILES) SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::insert_handle(std::move(find));
}

}  // namespace

HANDLE quorvel_win32::FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    return find_first(pattern, data, true);
}

// No short names here, so both levels are one; a folders-only search may
// list everything, as on file systems that cannot filter.
HANDLE quorvel_win32::FindFirstFileExW(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data,
                                       FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) {
    if ((level != FindExInfoStandard && level != FindExInfoBasic) ||
        (search != FindExSearchNameMatch && search != FindExSearchLimitToDirectories) || filter ||
        (flags & ~DWORD{FIND_FIRST_EX_LARGE_FETCH | FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES}))
        return fail(ERROR_INVALID_PARAMETER);
    return find_first(pattern, static_cast<LPWIN32_FIND_DATAW>(data),
                      !(flags & FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES));
}

BOOL quorvel_win32::GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level,
                                         LPVOID data) {
    if (level != GetFileExInfoStandard || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    WIN32_FIND_DATAW found;
    if (!describe(AT_FDCWD, std::string(), native.c_str(), std::u16string(), true, found)) {
        if (errno == ENOENT) SetLastError(platform::missing_code(native));
        else platform::set_last_error_from_errno();
        return FALSE;
    }
    auto *out = static_cast<LPWIN32_FILE_ATTRIBUTE_DATA>(data);
    out->dwFileAttributes = found.dwFileAttributes;
    out->ftCreationTime = found.ftCreationTime;
    out->ftLastAccessTime = found.ftLastAccessTime;
    out->ftLastWriteTime = found.ftLastWriteTime;
    out->nFileSizeHigh = found.nFileSizeHigh;
    out->nFileSizeLow = found.nFileSizeLow;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL quorvel_win32::FindNextFileW(HANDLE handle, LPWIN32_FIND_DATAW data) {
    auto find = platform::find_handle_of<FindObject>(handle);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return find->next(*data) ? TRUE : FALSE;
}

BOOL quorvel_win32::FindClose(HANDLE handle) {
    if (!platform::find_handle_of<FindObject>(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(handle);
}

// ---- the runtime library's listing -----------------------------------------

namespace {

int64_t seconds(const FILETIME &time) {
    return platform::timespec_from_filetime(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                                            time.dwLowDateTime)
        .tv_sec;
}

void runtime_record(const WIN32_FIND_DATAW &from, _wfinddatai64_t &to) {
    // The runtime library reports FILE_ATTRIBUTE_NORMAL as no attributes.
    to.attrib = from.dwFileAttributes == FILE_ATTRIBUTE_NORMAL ? 0 : from.dwFileAttributes;
    to.time_create = seconds(from.ftCreationTime);
    to.time_access = seconds(from.ftLastAccessTime);
    to.time_write = seconds(from.ftLastWriteTime);
    to.size = static_cast<int64_t>(static_cast<uint64_t>(from.nFileSizeHigh) << 32 |
                                   from.nFileSizeLow);
    std::memcpy(to.name, from.cFileName, sizeof to.name);
}

// The runtime library's errno for a Win32 failure.
int errno_for(DWORD code) {
    switch (code) {
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NO_UNICODE_TRANSLATION: return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
    case ERROR_ACCESS_DENIED: return EACCES;
    default: return ENOENT;
    }
}

}  // namespace

intptr_t quorvel_win32::_wfindfirsti64(const WCHAR *pattern, struct _wfinddatai64_t *data) {
    WIN32_FIND_DATAW found;
    if (!data) {
        errno = EINVAL;
        return -1;
    }
    const HANDLE find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) {
        errno = errno_for(GetLastError());
        return -1;
    }
    runtime_record(found, *data);
    return reinterpret_cast<intptr_t>(find);
}

int quorvel_win32::_wfindnexti64(intptr_t find, struct _wfinddatai64_t *data) {
    WIN32_FIND_DATAW found;
    if (!data) {
        errno = EINVAL;
        return -1;
    }
    if (!FindNextFileW(reinterpret_cast<HANDLE>(find), &found)) {
        errno = GetLastError() == ERROR_INVALID_HANDLE ? EINVAL : ENOENT;
        return -1;
    }
    runtime_record(found, *data);
    return 0;
}

int quorvel_win32::_findclose(intptr_t find) {
    if (!FindClose(reinterpret_cast<HANDLE>(find))) {
        errno = ENOENT;
        return -1;
    }
    return 0;
}
