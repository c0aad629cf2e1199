// SHFileOperationW without a desktop: copy, move, rename and delete, with
// deletion to the user's trash in the freedesktop.org Trash format, so that
// desktop file managers can put items back.
#include "platform/file_transfer.h"
#include "platform/last_error.h"
#include "platform/native_path.h"
#include "platform/text16.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

DWORD errno_code() { return platform::win32_error_from_errno(errno); }

bool exists(const std::string &path, struct stat &status) {
    return ::lstat(path.c_str(), &status) == 0;
}

bool exists(const std::string &path) {
    struct stat status{};
    return exists(path, status);
}

std::string folder_of(const std::string &path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
}

std::string name_of(const std::string &path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The shell's double-zero-terminated list, each path mapped to POSIX.
DWORD read_list(LPCWSTR list, Names &out) {
    for (; list && *list; list += std::char_traits<char16_t>::length(as_u16(list)) + 1) {
        std::string native;
        if (!platform::native_path(list, native)) return GetLastError();
        while (native.size() > 1 && native.back() == '/') native.pop_back();
        out.push_back(native);
    }
    return 0;
}

// "name (n).ext" for a name (a folder's name keeps its dots), as the
// Windows shell numbers a name that is taken.
std::string numbered(const std::string &name, int n, bool folder) {
    const auto dot = folder ? std::string::npos : name.find_last_of('.');
    const size_t cut = dot != std::string::npos && dot > 0 ? dot : name.size();
    return name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut);
}

// The first free numbered name beside `path`, from 2 on.
std::string free_name(const std::string &path, bool folder) {
    const std::string name = name_of(path);
    const std::string parent = path.substr(0, path.size() - name.size());
    for (int n = 2;; ++n) {
        std::string candidate = parent + numbered(name, n, folder);
        if (!exists(candidate)) return candidate;
    }
}

// Calls visit(name) for each entry of a folder but "." and "..".
template <class Visit> DWORD each_entry(const std::string &folder, Visit visit) {
    DIR *listing = ::opendir(folder.c_str());
    if (!listing) return errno_code();
    Names names;
    while (const dirent *entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
    for (const auto &name : names)
        if (const DWORD result = visit(name)) return result;
    return 0;
}

// Deletes a file or a whole folder, read-only entries included.
DWORD remove_tree(const std::string &path) {
    struct stat status{};
    if (!exists(path, status)) return errno_code();
    if (!S_ISDIR(status.st_mode)) return ::unlink(path.c_str()) == 0 ? 0 : errno_code();
    if (const DWORD result = each_entry(
            path, [&](const std::string &name) { return remove_tree(path + "/" + name); }))
        return result;
    return ::rmdir(path.c_str()) == 0 ? 0 : errno_code();
}

// Copies a file or folder onto `to`; a folder merges into one that exists.
DWORD copy_tree(const std::string &from, const std::string &to) {
    struct stat status{};
    if (::stat(from.c_str(), &status) != 0) return errno_code();
    if (!S_ISDIR(status.st_mode)) return platform::copy_file(from, to, true);
    if (::mkdir(to.c_str(), status.st_mode & 07777) != 0 && errno != EEXIST) return errno_code();
    return each_entry(from, [&](const std::string &name) {
        return copy_tree(from + "/" + name, to + "/" + name);
    });
}

// Moves a file or folder onto `to`; across file systems a copy, then the
// source deleted once the whole copy stands.
DWORD move_tree(const std::string &from, const std::string &to) {
    struct stat status{}, target{};
    if (!exists(from, status)) return errno_code();
    const bool merge = S_ISDIR(status.st_mode) && exists(to, target) && S_ISDIR(target.st_mode);
    if (merge) {
        if (const DWORD result = each_entry(from, [&](const std::string &name) {
                return move_tree(from + "/" + name, to + "/" + name);
            }))
            return result;
        return ::rmdir(from.c_str()) == 0 ? 0 : errno_code();
    }
    if (!S_ISDIR(status.st_mode))
        return platform::move_file(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    if (::rename(from.c_str(), to.c_str()) == 0) return 0;
    if (errno != EXDEV) return errno_code();
    if (const DWORD result = copy_tree(from, to)) return result;
    return remove_tree(from);
}

// The path with its folder made absolute (the last name is not followed:
// a link is trashed as a link).
bool absolute(const std::string &path, std::string &out) {
    char *folder = ::realpath(folder_of(path).c_str(), nullptr);
    if (!folder) return false;
    out = folder;
    std::free(folder);
    if (out != "/") out += '/';
    out += name_of(path);
    return true;
}

// Percent-encoding as the freedesktop.org Trash format asks of Path= (RFC 2396):
// every byte but the unreserved characters and the slash.
std::string escape(const std::string &path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The home trash, $XDG_DATA_HOME/Trash (else ~/.local/share/Trash), made
// when missing; false with errno set.
bool home_trash(std::string &trash) {
    const char *data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && data[0] == '/') {
        base = data;
    } else {
        const char *home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            errno = ENOENT;
            return false;
        }
        base = std::string(home) + "/.local/share";
    }
    trash = base + "/Trash";
    std::string made;
    for (size_t at = 1; at <= trash.size(); ++at) {
        if (at < trash.size() && trash[at] != '/') continue;
        made = trash.substr(0, at);
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    for (const char *part : {"/files", "/info"})
        if (::mkdir((trash + part).c_str(), 0700) != 0 && errno != EEXIST) return false;
    return true;
}

// Puts one item in the trash: its .trashinfo first, made exclusively under
// a free name, then the item itself beside it in files/.
DWORD to_trash(const std::string &path) {
    std::string original, trash;
    struct stat status{};
    if (!exists(path, status)) return platform::missing_code(path);
    if (!absolute(path, original) || !home_trash(trash)) return errno_code();
    char date[32];
    const time_t now = std::time(nullptr);
    struct tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string info = "[Trash Info]\nPath=" + escape(original) + "\nDeletionDate=" + date +
                             "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string base = name_of(original);
        const std::string name = n == 1 ? base : numbered(base, n, S_ISDIR(status.st_mode));
        const std::string info_path = trash + "/info/" + name + ".trashinfo";
        const std::string kept = trash + "/files/" + name;
        const int fd = ::open(info_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return errno_code();
        if (fd < 0) continue;
        if (exists(kept)) {  // an item kept without its info file
            ::close(fd);
            ::unlink(info_path.c_str());
            continue;
        }
        const bool written = ::write(fd, info.data(), info.size()) ==
                             static_cast<ssize_t>(info.size());
        const bool closed = ::close(fd) == 0;
        const DWORD result = written && closed ? move_tree(path, kept) : errno_code();
        if (result) ::unlink(info_path.c_str());
        return result;
    }
    return ERROR_ALREADY_EXISTS;
}

// Where source i of a copy or move goes: the matching target of a
// multiple-target list, the target itself for one source that names no
// folder, else the source's name inside the target folder.
DWORD target_of(const Names &sources, const Names &targets, size_t i, FILEOP_FLAGS flags,
                std::string &out) {
    if (targets.empty()) return ERROR_INVALID_PARAMETER;
    if (flags & FOF_MULTIDESTFILES && targets.size() == sources.size()) {
        out = targets[i];
        return 0;
    }
    struct stat status{};
    const bool folder = ::stat(targets[0].c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    if (sources.size() == 1 && !folder) {
        out = targets[0];
        return 0;
    }
    if (!folder && ::mkdir(targets[0].c_str(), 0777) != 0) return errno_code();
    out = targets[0] + "/" + name_of(sources[i]);
    return 0;
}

// One source of a copy, move or rename onto its target name.
DWORD transfer(UINT operation, const std::string &from, std::string to, FILEOP_FLAGS flags) {
    struct stat source{}, target{};
    if (!exists(from, source)) return platform::missing_code(from);
    if (exists(to, target)) {
        const bool same = source.st_dev == target.st_dev && source.st_ino == target.st_ino;
        if (flags & FOF_RENAMEONCOLLISION) to = free_name(to, S_ISDIR(source.st_mode));
        else if (same || operation == FO_RENAME ||
                 S_ISDIR(source.st_mode) != S_ISDIR(target.st_mode))
            return ERROR_ALREADY_EXISTS;
    }
    if (operation == FO_COPY) return copy_tree(from, to);
    if (operation == FO_MOVE) return move_tree(from, to);
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno_code();
}

DWORD run(const SHFILEOPSTRUCTW &request) {
    Names sources, targets;
    if (const DWORD result = read_list(request.pFrom, sources)) return result;
    if (sources.empty()) return ERROR_INVALID_PARAMETER;
    const FILEOP_FLAGS flags = request.fFlags;
    if (request.wFunc == FO_DELETE) {
        for (const auto &source : sources)
            if (const DWORD result = flags & FOF_ALLOWUNDO ? to_trash(source) : remove_tree(source))
                return result;
        return 0;
    }
    if (request.wFunc != FO_COPY && request.wFunc != FO_MOVE && request.wFunc != FO_RENAME)
        return ERROR_INVALID_PARAMETER;
    if (const DWORD result = read_list(request.pTo, targets)) return result;
    if (request.wFunc == FO_RENAME) {
        if (sources.size() != 1 || targets.size() != 1) return ERROR_INVALID_PARAMETER;
        return transfer(FO_RENAME, sources[0], targets[0], flags);
    }
    for (size_t i = 0; i < sources.size(); ++i) {
        std::string to;
        if (const DWORD result = target_of(sources, targets, i, flags, to)) return result;
        if (const DWORD result = transfer(request.wFunc, sources[i], to, flags)) return result;
    }
    return 0;
}

}  // namespace

int quorvel_win32::SHFileOperationW(LPSHFILEOPSTRUCTW request) {
    if (!request) return ERROR_INVALID_PARAMETER;
    request->fAnyOperationsAborted = FALSE;
    return static_cast<int>(run(*request));
}
