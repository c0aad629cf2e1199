#include "platform/native_path.h"

#include "platform/text16.h"
#include "platform/utf16.h"

#include <sys/stat.h>

namespace platform {

namespace {

bool is_separator(WCHAR c) { return c == '\\' || c == '/'; }

bool fail(DWORD code) {
    SetLastError(code);
    return false;
}

// A unit that stands for a byte of a name that is not UTF-8.
bool escaped_byte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

bool has_prefix(LPCWSTR text, const char16_t *prefix) {
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix) return false;
    return true;
}

}  // namespace

bool native_path(LPCWSTR path, std::string &out) {
    if (!path || !*path) return fail(ERROR_PATH_NOT_FOUND);
    if (has_prefix(path, u"\\\\?\\UNC\\")) return fail(ERROR_BAD_NETPATH);
    // Inside a "\\?\" form only the backslash separates, as on Windows.
    const bool verbatim = has_prefix(path, u"\\\\?\\");
    LPCWSTR p = verbatim ? path + 4 : path;
    if (is_separator(p[0]) && is_separator(p[1])) return fail(ERROR_BAD_NETPATH);

    std::u16string unix_form;
    if (p[0] && p[1] == ':') {
        if (p[0] != 'Z' && p[0] != 'z') return fail(ERROR_PATH_NOT_FOUND);
        p += 2;
        // "Z:" alone is the root; a drive-relative "Z:name" has no working
        // folder of its own to be relative to.
        if (*p && !is_separator(*p)) return fail(ERROR_PATH_NOT_FOUND);
        if (!*p) unix_form = u"/";
    }
    for (; *p; ++p) {
        const WCHAR c = *p;
        if (c < 0x20 || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|' || c == ':' || (verbatim && c == '/'))
            return fail(ERROR_INVALID_NAME);
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool high = c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF;
            if (!high && !escaped_byte(c)) return fail(ERROR_NO_UNICODE_TRANSLATION);
            unix_form += static_cast<char16_t>(c);
            if (high) unix_form += static_cast<char16_t>(*++p);
            continue;
        }
        unix_form += is_separator(c) ? u'/' : static_cast<char16_t>(c);
    }
    out = name_to_native(unix_form);
    return true;
}

std::u16string name_to_utf16(const std::string &name) {
    std::u16string out;
    name_to_utf16(name.data(), name.size(), out);
    return out;
}

void name_to_utf16(const char *name, size_t n, std::u16string &out) {
    const auto *s = reinterpret_cast<const unsigned char *>(name);
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        if (s[i] < 0x80) {
            out += static_cast<char16_t>(s[i++]);
            continue;
        }
        // The length a well-formed sequence with this lead byte has.
        const size_t length = s[i] >= 0xF0 ? 4 : s[i] >= 0xE0 ? 3 : 2;
        u16 units[2];
        bool malformed = false;
        const size_t count = i + length <= n && s[i] >= 0xC2 && s[i] <= 0xF4
                                 ? decode_utf8(s + i, length, units, 2, malformed)
                                 : 0;
        if (count && !malformed) {
            out.append(as_u16(units), count);
            i += length;
        } else {
            out += static_cast<char16_t>(0xDC00 + s[i++]);
        }
    }
}

std::string name_to_native(const std::u16string &name) {
    std::string out;
    size_t start = 0;
    auto flush = [&](size_t end) {
        out += utf16_to_utf8(as_wide(name.data()) + start, end - start);
    };
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
            name[i + 1] <= 0xDFFF) {
            ++i;  // a pair: one character
        } else if (escaped_byte(c)) {
            flush(i);
            out += static_cast<char>(c - 0xDC00);
            start = i + 1;
        }
    }
    flush(name.size());
    return out;
}

DWORD missing_code(const std::string &path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    struct stat folder{};
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    return ::stat(parent.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)
               ? ERROR_FILE_NOT_FOUND
               : ERROR_PATH_NOT_FOUND;
}

std::u16string windows_path(const std::string &posix) {
    std::u16string text = name_to_utf16(posix);
    for (auto &c : text)
        if (c == u'/') c = u'\\';
    if (!text.empty() && text[0] == u'\\') text.insert(0, u"Z:");
    return text;
}

DWORD copy_out(const std::u16string &text, LPWSTR buffer, DWORD size) {
    const DWORD length = static_cast<DWORD>(text.size());
    if (!buffer || size <= length) return length + 1;
    for (DWORD i = 0; i < length; ++i) buffer[i] = text[i];
    buffer[length] = 0;
    return length;
}

}  // namespace platform
