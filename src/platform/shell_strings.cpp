#include "platform/win32.h"

#include <cstring>

BOOL quorvel_win32::StrTrimW(LPWSTR text, LPCWSTR set) {
    if (!text || !set) return FALSE;
    auto in_set = [set](WCHAR unit) {
        for (LPCWSTR p = set; *p; ++p)
            if (*p == unit) return true;
        return false;
    };
    LPWSTR start = text;
    while (*start && in_set(*start)) ++start;
    LPWSTR end = start;
    for (LPWSTR p = start; *p; ++p)
        if (!in_set(*p)) end = p + 1;
    const bool trimmed = start != text || *end;
    const size_t kept = static_cast<size_t>(end - start);
    std::memmove(text, start, kept * sizeof(WCHAR));
    text[kept] = 0;
    return trimmed;
}
