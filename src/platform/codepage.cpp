// MultiByteToWideChar and WideCharToMultiByte over the code pages the
// library meets, and the ANSI code page that the locale selects.
#include "platform/codepage.h"
#include "platform/codepage_jis.h"
#include "platform/utf16.h"

#include <atomic>
#include <initializer_list>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::atomic<UINT> g_override{0};

UINT locale_code_page() {
    if (const char *forced = std::getenv("QUORVEL_ACP")) {
        const long value = std::strtol(forced, nullptr, 10);
        if (value == 932 || value == 1252 || value == 65001) return static_cast<UINT>(value);
    }
    // The first of these that is set names the locale, as Wine reads it.
    const char *name = nullptr;
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        name = std::getenv(variable);
        if (name && *name) break;
    }
    return name && std::strncmp(name, "ja", 2) == 0 ? 932 : 1252;
}

constexpr u16 kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr u16 kBadPair = 0x30FB;  // 932's default character for a bad pair

// The conversions below, like those of utf16.h, return the units (bytes)
// the whole input needs and write them while they fit, so one function
// serves a call's counting pass and its writing pass.

// ---- bytes to UTF-16 ----

size_t decode_932(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    const Cp932Tables &t = cp932_tables();
    BoundedOutput<u16> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (!jis::is_sjis_lead(b)) {
            o.put(t.single[b]);
            continue;
        }
        // A lead byte at the end, or before a terminator, stands alone.
        if (i + 1 >= n || s[i + 1] == 0) {
            malformed = true;
            o.put(kBadPair);
            continue;
        }
        const u16 c = t.pair[b << 8 | s[++i]];
        if (!c) malformed = true;
        o.put(c ? c : kBadPair);
    }
    return o.count;
}

size_t decode_51932(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    const Cp932Tables &t = cp932_tables();
    BoundedOutput<u16> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            o.put(b);
            continue;
        }
        u16 c = 0;
        if (b == 0x8E && i + 1 < n && jis::is_halfwidth_kana(s[i + 1])) {
            c = t.single[s[++i]];
        } else if (b >= 0xA1 && b <= 0xFE && i + 1 < n && s[i + 1] >= 0xA1 && s[i + 1] <= 0xFE) {
            const unsigned code = jis::jis_to_sjis(b & 0x7F, s[++i] & 0x7F);
            c = code ? t.pair[code] : 0;
        }
        if (!c) malformed = true;
        o.put(c ? c : kBadPair);
    }
    return o.count;
}

size_t decode_1252(const unsigned char *s, size_t n, u16 *out, size_t room, bool &) {
    BoundedOutput<u16> o{out, room};
    for (size_t i = 0; i < n; ++i)
        o.put(s[i] >= 0x80 && s[i] < 0xA0 ? kCp1252High[s[i] - 0x80] : s[i]);
    return o.count;
}

// ---- UTF-16 to bytes ----

// Code pages 932 and 51932: one table lookup per unit, one or two bytes out.
size_t encode_double_byte(const u16 *table, const u16 *w, size_t n, unsigned char *out,
                          size_t room, bool &usedDefault) {
    BoundedOutput<unsigned char> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        const u16 code = table[w[i]];
        if (code == kNoCode) {
            usedDefault = true;
            o.put('?');
        } else if (code < 0x100) {
            o.put(static_cast<unsigned char>(code));
        } else {
            o.put(static_cast<unsigned char>(code >> 8));
            o.put(static_cast<unsigned char>(code & 0xFF));
        }
    }
    return o.count;
}

size_t encode_1252(const u16 *w, size_t n, unsigned char *out, size_t room, bool &usedDefault) {
    BoundedOutput<unsigned char> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        const u16 c = w[i];
        int byte = -1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) byte = c;
        for (int k = 0; k < 32 && byte < 0; ++k)
            if (kCp1252High[k] == c) byte = 0x80 + k;
        if (byte < 0) {
            usedDefault = true;
            byte = '?';
        }
        o.put(static_cast<unsigned char>(byte));
    }
    return o.count;
}

size_t decode(UINT cp, const unsigned char *bytes, size_t n, u16 *out, size_t room,
              bool &malformed) {
    switch (cp) {
    case 932: return decode_932(bytes, n, out, room, malformed);
    case 51932: return decode_51932(bytes, n, out, room, malformed);
    case 1252: return decode_1252(bytes, n, out, room, malformed);
    default: return decode_utf8(bytes, n, out, room, malformed);
    }
}

size_t encode(UINT cp, const u16 *wide, size_t n, unsigned char *out, size_t room,
              bool &usedDefault) {
    switch (cp) {
    case 932: return encode_double_byte(cp932_tables().encode, wide, n, out, room, usedDefault);
    case 51932: return encode_double_byte(cp932_tables().euc, wide, n, out, room, usedDefault);
    case 1252: return encode_1252(wide, n, out, room, usedDefault);
    default: return encode_utf8(wide, n, out, room);
    }
}

bool supported(UINT cp) {
    if (cp == 932 || cp == 51932) return cp932_tables().ready;
    return cp == 1252 || cp == CP_UTF8;
}

}  // namespace

UINT ansi_code_page() {
    const UINT forced = g_override.load();
    if (forced) return forced;
    static const UINT from_locale = locale_code_page();
    return from_locale;
}

UINT resolve_code_page(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_OEMCP)
        return ansi_code_page();
    return codePage;
}

}  // namespace platform

using namespace platform;

UINT quorvel_win32::GetACP(void) { return ansi_code_page(); }
UINT quorvel_win32::GetOEMCP(void) { return ansi_code_page() == 932 ? 932 : 437; }

BOOL quorvel_win32::Quorvel_SetAnsiCodePage(UINT codePage) {
    if (codePage != 0 && codePage != 932 && codePage != 1252 && codePage != CP_UTF8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    g_override.store(codePage);
    return TRUE;
}

BOOL quorvel_win32::IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
    const UINT cp = resolve_code_page(codePage);
    if (cp == 932) return jis::is_sjis_lead(byte);
    if (!supported(cp)) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL quorvel_win32::IsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(CP_ACP, byte); }

LCID quorvel_win32::GetSystemDefaultLCID(void) { return ansi_code_page() == 932 ? 0x0411 : 0x0409; }
LCID quorvel_win32::GetUserDefaultLCID(void) { return GetSystemDefaultLCID(); }

int quorvel_win32::MultiByteToWideChar(UINT codePage, DWORD flags, const char *text, int length,
                                   LPWSTR wide, int capacity) {
    const UINT cp = resolve_code_page(codePage);
    if (!text || length == 0 || length < -1 || capacity < 0 || (capacity > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (!supported(cp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    bool malformed = false;
    const size_t count = decode(cp, reinterpret_cast<const unsigned char *>(text), n,
                                capacity ? as_u16(wide) : nullptr, static_cast<size_t>(capacity),
                                malformed);
    if (malformed && (flags & MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (count > 0x7FFFFFFF || (capacity && count > static_cast<size_t>(capacity))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(count);
}

int quorvel_win32::WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length,
                                   char *text, int capacity, const char *defaultChar,
                                   BOOL *usedDefault) {
    const UINT cp = resolve_code_page(codePage);
    if (!wide || length == 0 || length < -1 || capacity < 0 || (capacity > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) || defaultChar ||
        (cp == CP_UTF8 && (flags || usedDefault))) {
        SetLastError(cp == CP_UTF8 || !defaultChar ? ERROR_INVALID_FLAGS : ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!supported(cp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = length == -1 ? u16_length(wide) + 1 : static_cast<size_t>(length);
    bool defaulted = false;
    const size_t count = encode(cp, as_u16(wide), n, reinterpret_cast<unsigned char *>(text),
                                capacity ? static_cast<size_t>(capacity) : 0, defaulted);
    if (count > 0x7FFFFFFF || (capacity && count > static_cast<size_t>(capacity))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (usedDefault) *usedDefault = defaulted;
    return static_cast<int>(count);
}
