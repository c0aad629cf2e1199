// The process environment with Windows' %NAME% syntax. Names match without
// regard to case, as on Windows; an exact match wins.
#include "platform/ascii.h"
#include "platform/native_path.h"
#include "platform/text16.h"
#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

extern char **environ;

namespace {

bool lookup(const std::string &name, std::string &value) {
    if (name.empty() || name.find('=') != std::string::npos) return false;
    if (const char *exact = std::getenv(name.c_str())) {
        value = exact;
        return true;
    }
    for (char **entry = environ; entry && *entry; ++entry) {
        const char *equals = std::strchr(*entry, '=');
        if (equals && static_cast<size_t>(equals - *entry) == name.size() &&
            strncasecmp(*entry, name.c_str(), name.size()) == 0) {
            value = equals + 1;
            return true;
        }
    }
    return false;
}

std::string narrow(const std::u16string &text) {
    return platform::utf16_to_utf8(as_wide(text.data()),
                                   text.size());
}

std::u16string widen(const std::string &text) { return platform::utf8_to_utf16(text); }

}  // namespace

DWORD quorvel_win32::GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    std::string value;
    if (!name || !lookup(narrow(u16_string(name)), value)) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::u16string wide_value = widen(value);
    // An empty value is found, yet its length 0 reads as a failure: clear
    // the last error so the caller can tell.
    if (wide_value.empty()) SetLastError(ERROR_SUCCESS);
    return platform::copy_out(wide_value, buffer, size);
}

DWORD quorvel_win32::ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR buffer, DWORD size) {
    if (!source) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string text = u16_string(source);
    std::u16string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find(u'%', at);
        const size_t close = open == std::u16string::npos ? open : text.find(u'%', open + 1);
        if (close == std::u16string::npos) {
            out.append(text, at, std::u16string::npos);
            break;
        }
        out.append(text, at, open - at);
        std::string value;
        if (lookup(narrow(text.substr(open + 1, close - open - 1)), value)) {
            out += widen(value);
            at = close + 1;
        } else {
            // An unknown name stays as written, both '%' with it, and the
            // scan goes on after it (as Windows: "50% of %X%" keeps "%X%").
            out.append(text, open, close - open + 1);
            at = close + 1;
        }
    }
    const DWORD needed = static_cast<DWORD>(out.size()) + 1;
    if (buffer && size >= needed) {
        for (size_t i = 0; i < out.size(); ++i) buffer[i] = out[i];
        buffer[out.size()] = 0;
    }
    return needed;
}

BOOL quorvel_win32::PathUnExpandEnvStringsW(LPCWSTR path, LPWSTR buffer, UINT size) {
    static const char *const kNames[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                         "TMPDIR", "HOME"};
    if (!path || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string text = u16_string(path);
    const char *best = nullptr;
    size_t best_length = 0;
    for (const char *name : kNames) {
        std::string value;
        if (!lookup(name, value) || value.size() < 2 || value[0] != '/') continue;
        std::u16string folder = platform::windows_path(value);
        while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
        const size_t n = folder.size();
        if (n <= best_length || text.size() < n) continue;
        if (text.size() > n && text[n] != u'\\') continue;
        bool same = true;
        for (size_t i = 0; i < n && same; ++i) {
            same = platform::ascii_lower(text[i]) == platform::ascii_lower(folder[i]);
        }
        if (same) {
            best = name;
            best_length = n;
        }
    }
    if (!best) return FALSE;
    const std::u16string result = u"%" + widen(best) + u"%" + text.substr(best_length);
    if (result.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    platform::copy_out(result, buffer, size);
    return TRUE;
}
