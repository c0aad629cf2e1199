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

// The conversions below, like those of utf16.h, return the units (bytes)
// the whole input needs and write them while they fit, so one function
// serves a call's counting pass and its writing pass.

// ---- bytes to UTF-16 ----

// Code page 932: one byte, or a lead byte and its trail. The fast loop
// takes a block s[i..end) with kSlack bytes readable past it (see utf16.h).
template <bool Write>
size_t decode_double_byte_block(const CodePageTable &t, const unsigned char *s, size_t &i,
                                size_t end, u16 *out, bool &malformed) {
    size_t o = 0;
    while (i < end) {
        const unsigned b = s[i];
        if (b < 0x80 && widen_ascii8<Write>(s + i, Write ? out + o : nullptr)) {
            o += 8;
            i += 8;
            continue;
        }
        const u16 offset = t.leads[b];
        u16 c = t.single[b];
        ++i;
        if (offset) {
            // A lead byte before a terminator stands alone.
            const unsigned trail = s[i];
            c = trail ? t.leads[offset + trail] : t.uniDefaultChar;
            if (!trail || !t.defined(static_cast<u16>(b << 8 | trail), c)) malformed = true;
            i += trail != 0;
        }
        if (Write) out[o] = c;
        ++o;
    }
    return o;
}

size_t decode_double_byte(const CodePageTable &t, const unsigned char *s, size_t n, u16 *out,
                          size_t room, bool &malformed) {
    BoundedOutput<u16> o{out, room};
    size_t i = 0;
    while (i < n) {
        if (n - i >= kBlock + kSlack) {
            if (!o.room) {
                o.count += decode_double_byte_block<false>(t, s, i, i + kBlock, nullptr, malformed);
                continue;
            }
            if (o.fits(kBlock + kSlack)) {
                o.count += decode_double_byte_block<true>(t, s, i, i + kBlock, o.out + o.count, malformed);
                continue;
            }
        }
        const unsigned char b = s[i++];
        if (!t.lead(b)) {
            o.put(t.single[b]);
            continue;
        }
        // A lead byte at the end, or before a terminator, stands alone.
        if (i >= n || s[i] == 0) {
            malformed = true;
            o.put(t.uniDefaultChar);
            continue;
        }
        const u16 c = t.pair(b, s[i]);
        if (!t.defined(static_cast<u16>(b << 8 | s[i]), c)) malformed = true;
        o.put(c);
        ++i;
    }
    return o.count;
}

// Code page 51932: ASCII, 0x8E before a kana byte, or a JIS pair with the
// top bits set, read through 932's table.
size_t decode_euc_jp(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    const CodePageTable &t = *code_page_table(932);
    BoundedOutput<u16> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            o.put(b);
            continue;
        }
        u16 c = t.uniDefaultChar;
        bool good = false;
        if (b == 0x8E && i + 1 < n && jis::is_halfwidth_kana(s[i + 1])) {
            c = t.single[s[++i]];
            good = true;
        } else if (b >= 0xA1 && b <= 0xFE && i + 1 < n && s[i + 1] >= 0xA1 && s[i + 1] <= 0xFE) {
            const unsigned code = jis::jis_to_sjis(b & 0x7F, s[++i] & 0x7F);
            c = t.pair(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code));
            good = t.defined(static_cast<u16>(code), c);
        }
        if (!good) malformed = true;
        o.put(good ? c : t.uniDefaultChar);
    }
    return o.count;
}

size_t decode_single_byte(const CodePageTable &t, const unsigned char *s, size_t n, u16 *out,
                          size_t room) {
    BoundedOutput<u16> o{out, room};
    for (size_t i = 0; i < n; ++i) o.put(t.single[s[i]]);
    return o.count;
}

// ---- UTF-16 to bytes ----

// A unit with no form, or (under WC_NO_BEST_FIT_CHARS) only a best-fit
// one, becomes the default character.
template <typename Code>
Code checked_form(const CodePageTable &t, u16 unit, Code code, bool noBestFit, bool &usedDefault) {
    if (code == t.defaultChar && unit != t.transDefaultChar) {
        usedDefault = true;
    } else if (noBestFit && !t.round_trips(unit, code)) {
        usedDefault = true;
        code = static_cast<Code>(t.defaultChar);
    }
    return code;
}

// One or two bytes a unit; the fast loop writes both bytes of each unit's
// form and moves on by one or two, so it needs room for two past its block.
template <bool Write>
size_t encode_double_byte_block(const CodePageTable &t, const u16 *w, size_t &i, size_t end,
                                unsigned char *out, bool &usedDefault) {
    const auto *table = static_cast<const u16 *>(t.encode);
    size_t o = 0;
    for (; i < end; ++i) {
        const u16 code = table[w[i]];
        if (code == t.defaultChar && w[i] != t.transDefaultChar) usedDefault = true;
        const bool two = code > 0xFF;
        if (Write) {
            out[o] = static_cast<unsigned char>(two ? code >> 8 : code);
            out[o + 1] = static_cast<unsigned char>(code);
        }
        o += 1 + two;
    }
    return o;
}

size_t encode_double_byte(const CodePageTable &t, const u16 *w, size_t n, unsigned char *out,
                          size_t room, bool noBestFit, bool &usedDefault) {
    const auto *table = static_cast<const u16 *>(t.encode);
    BoundedOutput<unsigned char> o{out, room};
    size_t i = 0;
    while (i < n) {
        if (!noBestFit && n - i >= kBlock) {
            if (!o.room) {
                o.count += encode_double_byte_block<false>(t, w, i, i + kBlock, nullptr, usedDefault);
                continue;
            }
            if (o.fits(2 * kBlock + kSlack)) {
                o.count += encode_double_byte_block<true>(t, w, i, i + kBlock, o.out + o.count, usedDefault);
                continue;
            }
        }
        const u16 code = checked_form(t, w[i], table[w[i]], noBestFit, usedDefault);
        if (code >= 0x100) o.put(static_cast<unsigned char>(code >> 8));
        o.put(static_cast<unsigned char>(code));
        ++i;
    }
    return o.count;
}

size_t encode_single_byte(const CodePageTable &t, const u16 *w, size_t n, unsigned char *out,
                          size_t room, bool noBestFit, bool &usedDefault) {
    const auto *table = static_cast<const unsigned char *>(t.encode);
    BoundedOutput<unsigned char> o{out, room};
    for (size_t i = 0; i < n; ++i) o.put(checked_form(t, w[i], table[w[i]], noBestFit, usedDefault));
    return o.count;
}

size_t encode_euc_jp(const u16 *w, size_t n, unsigned char *out, size_t room, bool &usedDefault) {
    const u16 *table = euc_jp_encode_table();
    BoundedOutput<unsigned char> o{out, room};
    for (size_t i = 0; i < n; ++i) {
        u16 code = table[w[i]];
        if (code == kNoCode) {
            usedDefault = true;
            code = '?';
        }
        if (code >= 0x100) o.put(static_cast<unsigned char>(code >> 8));
        o.put(static_cast<unsigned char>(code));
    }
    return o.count;
}

size_t decode(UINT cp, const unsigned char *bytes, size_t n, u16 *out, size_t room,
              bool &malformed) {
    switch (cp) {
    case 932: return decode_double_byte(*code_page_table(932), bytes, n, out, room, malformed);
    case 1252: return decode_single_byte(*code_page_table(1252), bytes, n, out, room);
    case 51932: return decode_euc_jp(bytes, n, out, room, malformed);
    default: return decode_utf8(bytes, n, out, room, malformed);
    }
}

size_t encode(UINT cp, const u16 *wide, size_t n, unsigned char *out, size_t room,
              bool noBestFit, bool &usedDefault) {
    switch (cp) {
    case 932:
        return encode_double_byte(*code_page_table(932), wide, n, out, room, noBestFit, usedDefault);
    case 1252:
        return encode_single_byte(*code_page_table(1252), wide, n, out, room, noBestFit, usedDefault);
    case 51932: return encode_euc_jp(wide, n, out, room, usedDefault);
    default: return encode_utf8(wide, n, out, room);
    }
}

bool supported(UINT cp) { return cp == 932 || cp == 1252 || cp == 51932 || cp == CP_UTF8; }

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
    if (cp == 932) return code_page_table(932)->lead(byte);
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
                                capacity ? static_cast<size_t>(capacity) : 0,
                                flags & WC_NO_BEST_FIT_CHARS, defaulted);
    if (count > 0x7FFFFFFF || (capacity && count > static_cast<size_t>(capacity))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (usedDefault) *usedDefault = defaulted;
    return static_cast<int>(count);
}
