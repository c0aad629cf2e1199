// In-place path edits and the long-path form.
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"
#include "platform/utf16.h"


#include <cstring>

namespace {

constexpr unsigned short kBackslash = '\\';

bool starts_with(const unsigned short *text, const char16_t *prefix) {
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix) return false;
    return true;
}

// The first step of Cfl_RemoveFileSpec and Cfl_StripPath: false when the
// string stays as it is (empty, a drive root, a bare drive); otherwise drops
// one trailing backslash and gives the new length.
bool trim_for_split(unsigned short *path, size_t &length) {
    length = platform::u16_length(path);
    if (length == 0) return false;
    if (path[length - 1] == kBackslash) {
        if (length >= 3 && path[length - 2] == ':') return false;
        path[--length] = 0;
    }
    if (length > 0 && path[length - 1] == ':') return false;
    return true;
}

// Index of the last backslash in the first `length` units, or -1.
long last_backslash(const unsigned short *path, size_t length) {
    for (size_t i = length; i > 0; --i)
        if (path[i - 1] == kBackslash) return static_cast<long>(i - 1);
    return -1;
}

}  // namespace

unsigned short *Cfl_AddBackslash(unsigned short *path) {
    if (!path) return nullptr;
    const size_t length = platform::u16_length(path);
    if (length > 0 && path[length - 1] != kBackslash) {
        path[length] = kBackslash;
        path[length + 1] = 0;
    }
    return path;
}

unsigned short *Cfl_RemoveBackslash(unsigned short *path) {
    if (!path) return nullptr;
    const size_t length = platform::u16_length(path);
    if (length == 0 || path[length - 1] != kBackslash) return path;
    if (length >= 3 && path[length - 2] == ':') return path;
    path[length - 1] = 0;
    return path;
}

unsigned short *Cfl_RemoveFileSpec(unsigned short *path) {
    if (!path) return nullptr;
    size_t length;
    if (!trim_for_split(path, length)) return path;
    const long cut = last_backslash(path, length);
    if (cut >= 0) path[cut + 1] = 0;
    return path;
}

unsigned short *Cfl_StripPath(unsigned short *path) {
    if (!path) return nullptr;
    size_t length;
    if (!trim_for_split(path, length)) return path;
    const long cut = last_backslash(path, length);
    if (cut >= 0)
        std::memmove(path, path + cut + 1, (length - cut) * sizeof(unsigned short));
    return path;
}

void Cfl_RemoveExtension(unsigned short *path) {
    if (path) PathRemoveExtensionW(as_wide(path));
}

unsigned short *Cfl_GetExtension(const unsigned short *path) {
    if (!path) return nullptr;
    return as_exported(PathFindExtensionW(as_wide(path)));
}

LONG Cfl_IndexUNCPath(const unsigned short *path) {
    if (!path) return -1;
    if (starts_with(path, u"\\\\?\\UNC\\")) return 8;
    if (starts_with(path, u"\\\\?\\")) return 4;
    return 0;
}

unsigned short *Cfl_ChangeUNCPath(const unsigned short *source, unsigned short *target) {
    if (!source || !target) return nullptr;
    const unsigned short *rest = source;
    size_t at = 0;
    if (!starts_with(source, u"\\\\?\\")) {
        const char16_t *prefix = u"\\\\?\\";
        if (Cfl_IsUNC(source)) {
            prefix = u"\\\\?\\UNC\\";
            rest = source + 2;
        }
        for (; *prefix; ++prefix) target[at++] = *prefix;
    }
    for (; *rest; ++rest) target[at++] = *rest;
    target[at] = 0;
    return target;
}

unsigned short *Cfl_GetDriveName(const unsigned short *path) {
    std::memset(g_szCflDrive, 0, sizeof g_szCflDrive);
    // The drive of a split path: a letter-and-colon start, nothing else.
    if (path && path[0] && path[1] == ':') {
        g_szCflDrive[0] = path[0];
        g_szCflDrive[1] = ':';
    }
    return g_szCflDrive;
}

namespace files {

bool long_form(const unsigned short *path, unsigned short *out) {
    // The longest prefix added is "\\?\UNC\" less the two backslashes it replaces.
    if (!path || platform::u16_length(path) + 6 >= QUORVEL_MAX_TEXT) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    Cfl_ChangeUNCPath(path, out);
    return true;
}

bool join(const unsigned short *folder, const unsigned short *name, unsigned short *out) {
    const size_t head = platform::u16_length(folder), tail = platform::u16_length(name);
    if (head + tail >= QUORVEL_MAX_TEXT) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::memmove(out, folder, head * sizeof *out);
    std::memcpy(out + head, name, (tail + 1) * sizeof *out);
    return true;
}

FixedPath &FixedPath::append(const unsigned short *text) {
    if (!ok_) return *this;
    const size_t head = platform::u16_length(units_), tail = platform::u16_length(text);
    if (head + tail >= QUORVEL_MAX_TEXT) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        ok_ = false;
        units_[0] = 0;
        return *this;
    }
    std::memcpy(units_ + head, text, tail * sizeof *units_);
    units_[head + tail] = 0;
    return *this;
}

FixedPath &FixedPath::append(const std::u16string &text) {
    // A unit 0 inside the text would cut it where the system reads it.
    if (text.find(u'\0') != std::u16string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        ok_ = false;
        units_[0] = 0;
        return *this;
    }
    return append(as_exported(text));
}

std::u16string FixedPath::text() const {
    return ok_ ? std::u16string(as_u16(units_)) : std::u16string();
}

LongPath::LongPath(const std::u16string &path) : ok_(false) {
    const FixedPath checked(path);
    ok_ = checked && long_form(checked.get(), units_);
}

}  // namespace files
