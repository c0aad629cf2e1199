// MultiByteToWideChar and WideCharToMultiByte over the code pages the
// library meets, and the ANSI code page that the locale selects.
#include "platform/codepage.h"
#include "text/jis.h"

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
constexpr u16 kReplacement = 0xFFFD;

// Where a conversion's units or bytes go. The first pass of a call with no
// buffer only counts them; the second writes them, stopping at the room it
// was given. The conversions are templates over the two, so that neither
// pass tests for the other's case once per unit.
template <typename T>
struct CountSink {
    int count = 0;
    static constexpr bool overflow = false;
    void put(T) { ++count; }
};

template <typename T>
struct WriteSink {
    T *out;
    int capacity;
    int count = 0;
    bool overflow = false;
    void put(T value) {
        if (count >= capacity) {
            overflow = true;
            return;
        }
        out[count++] = value;
    }
};

// ---- bytes to UTF-16 ----

// Returns false on an invalid sequence when `strict`.
template <typename Sink>
bool decode_932(const unsigned char *s, int n, Sink &sink, bool strict) {
    const Cp932Tables &t = cp932_tables();
    for (int i = 0; i < n && !sink.overflow; ++i) {
        const unsigned char b = s[i];
        if (!jis::is_sjis_lead(b)) {
            sink.put(t.single[b]);
            continue;
        }
        // A lead byte at the end, or before a terminator, stands alone.
        if (i + 1 >= n || s[i + 1] == 0) {
            if (strict) return false;
            sink.put(kBadPair);
            continue;
        }
        const u16 c = t.pair[b << 8 | s[i + 1]];
        if (!c && strict) return false;
        sink.put(c ? c : kBadPair);
        ++i;
    }
    return true;
}

template <typename Sink>
bool decode_51932(const unsigned char *s, int n, Sink &sink, bool strict) {
    const Cp932Tables &t = cp932_tables();
    for (int i = 0; i < n && !sink.overflow; ++i) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            sink.put(b);
            continue;
        }
        u16 c = 0;
        if (b == 0x8E && i + 1 < n && jis::is_halfwidth_kana(s[i + 1])) {
            c = t.single[s[++i]];
        } else if (b >= 0xA1 && b <= 0xFE && i + 1 < n && s[i + 1] >= 0xA1 && s[i + 1] <= 0xFE) {
            const unsigned code = jis::jis_to_sjis(b & 0x7F, s[++i] & 0x7F);
            c = code ? t.pair[code] : 0;
        }
        if (!c && strict) return false;
        sink.put(c ? c : kBadPair);
    }
    return true;
}

template <typename Sink>
bool decode_1252(const unsigned char *s, int n, Sink &sink, bool) {
    for (int i = 0; i < n && !sink.overflow; ++i)
        sink.put(s[i] >= 0x80 && s[i] < 0xA0 ? kCp1252High[s[i] - 0x80] : s[i]);
    return true;
}

// Each maximal ill-formed subsequence becomes one U+FFFD.
template <typename Sink>
bool decode_utf8(const unsigned char *s, int n, Sink &sink, bool strict) {
    int i = 0;
    while (i < n && !sink.overflow) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            sink.put(b);
            ++i;
            continue;
        }
        // The common well-formed sequences first: two bytes, and three bytes
        // whose second byte may be any continuation (all but E0 and ED).
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            sink.put(static_cast<u16>((b & 0x1F) << 6 | (s[i + 1] & 0x3F)));
            i += 2;
            continue;
        }
        if (b >= 0xE1 && b <= 0xEF && b != 0xED && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 &&
            (s[i + 2] & 0xC0) == 0x80) {
            sink.put(static_cast<u16>((b & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F)));
            i += 3;
            continue;
        }
        int extra;
        unsigned lo = 0x80, hi = 0xBF;
        char32_t c;
        if (b >= 0xC2 && b <= 0xDF) { extra = 1; c = b & 0x1F; }
        else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2; c = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3; c = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            if (strict) return false;
            sink.put(kReplacement);
            ++i;
            continue;
        }
        int k = 1;
        for (; k <= extra && i + k < n; ++k) {
            const unsigned char t = s[i + k];
            if (t < lo || t > hi) break;
            lo = 0x80;
            hi = 0xBF;
            c = c << 6 | (t & 0x3F);
        }
        if (k <= extra) {
            if (strict) return false;
            sink.put(kReplacement);
            i += k;
            continue;
        }
        i += k;
        if (c >= 0x10000) {
            c -= 0x10000;
            sink.put(static_cast<u16>(0xD800 + (c >> 10)));
            sink.put(static_cast<u16>(0xDC00 + (c & 0x3FF)));
        } else {
            sink.put(static_cast<u16>(c));
        }
    }
    return true;
}

// ---- UTF-16 to bytes ----

// Code pages 932 and 51932: one table lookup per unit, one or two bytes out.
template <typename Sink>
void encode_double_byte(const u16 *table, const u16 *w, int n, Sink &sink, bool &usedDefault) {
    for (int i = 0; i < n && !sink.overflow; ++i) {
        const u16 code = table[w[i]];
        if (code == kNoCode) {
            usedDefault = true;
            sink.put('?');
        } else if (code < 0x100) {
            sink.put(static_cast<char>(code));
        } else {
            sink.put(static_cast<char>(code >> 8));
            sink.put(static_cast<char>(code & 0xFF));
        }
    }
}

template <typename Sink>
void encode_1252(const u16 *w, int n, Sink &sink, bool &usedDefault) {
    for (int i = 0; i < n && !sink.overflow; ++i) {
        const u16 c = w[i];
        int byte = -1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) byte = c;
        for (int k = 0; k < 32 && byte < 0; ++k)
            if (kCp1252High[k] == c) byte = 0x80 + k;
        if (byte < 0) {
            usedDefault = true;
            byte = '?';
        }
        sink.put(static_cast<char>(byte));
    }
}

template <typename Sink>
void encode_utf8(const u16 *w, int n, Sink &sink, bool &) {
    for (int i = 0; i < n && !sink.overflow; ++i) {
        char32_t c = w[i];
        if (c < 0x80) {
            sink.put(static_cast<char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (w[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;  // an unpaired surrogate
        }
        if (c < 0x800) {
            sink.put(static_cast<char>(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            sink.put(static_cast<char>(0xE0 | (c >> 12)));
            sink.put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        } else {
            sink.put(static_cast<char>(0xF0 | (c >> 18)));
            sink.put(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            sink.put(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        }
        sink.put(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

template <typename Sink>
bool decode(UINT cp, const unsigned char *bytes, int n, Sink &sink, bool strict) {
    switch (cp) {
    case 932: return decode_932(bytes, n, sink, strict);
    case 51932: return decode_51932(bytes, n, sink, strict);
    case 1252: return decode_1252(bytes, n, sink, strict);
    default: return decode_utf8(bytes, n, sink, strict);
    }
}

template <typename Sink>
void encode(UINT cp, const u16 *wide, int n, Sink &sink, bool &usedDefault) {
    switch (cp) {
    case 932: encode_double_byte(cp932_tables().encode, wide, n, sink, usedDefault); break;
    case 51932: encode_double_byte(cp932_tables().euc, wide, n, sink, usedDefault); break;
    case 1252: encode_1252(wide, n, sink, usedDefault); break;
    default: encode_utf8(wide, n, sink, usedDefault); break;
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
    const int n = length == -1 ? static_cast<int>(std::strlen(text)) + 1 : length;
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    const bool strict = flags & MB_ERR_INVALID_CHARS;
    bool ok, overflow = false;
    int count;
    if (capacity) {
        WriteSink<u16> sink{wide, capacity};
        ok = decode(cp, bytes, n, sink, strict);
        overflow = sink.overflow;
        count = sink.count;
    } else {
        CountSink<u16> sink;
        ok = decode(cp, bytes, n, sink, strict);
        count = sink.count;
    }
    if (!ok) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (overflow) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return count;
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
    int n = length;
    if (n == -1) {
        n = 0;
        while (wide[n]) ++n;
        ++n;
    }
    bool defaulted = false, overflow = false;
    int count;
    if (capacity) {
        WriteSink<char> sink{text, capacity};
        encode(cp, wide, n, sink, defaulted);
        overflow = sink.overflow;
        count = sink.count;
    } else {
        CountSink<char> sink;
        encode(cp, wide, n, sink, defaulted);
        count = sink.count;
    }
    if (overflow) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (usedDefault) *usedDefault = defaulted;
    return count;
}
