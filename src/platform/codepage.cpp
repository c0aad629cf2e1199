// MultiByteToWideChar and WideCharToMultiByte over the code pages the
// library meets, and the ANSI code page that the locale selects.
#include "platform/codepage.h"
#include "platform/byte_masks.h"
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

// Code page 932: one byte, or a lead byte and its trail.

// The bytes a window reads: its sixteen, and the trail after them.
constexpr size_t kWindowReach = 17;

// Which lead-range bytes of a window really lead: a run of them starts a
// character (the byte before it ends one, whatever it is) and pairs up
// from there, so its bytes at even offsets lead and those at odd offsets
// trail. Adding each run's first bit clears the runs that start at even
// positions and leaves the others.
inline unsigned leads_of_runs(unsigned range) {
    const unsigned firsts = range & ~(range << 1);
    const unsigned oddRuns = range & (range + (firsts & 0x5555u));
    const unsigned evenRuns = range & ~oddRuns;
    return (evenRuns & 0x5555u) | (oddRuns & 0xAAAAu);
}

// The character at p (its lead flag from the window's masks), no branch:
// both readings are looked up and one chosen.
inline u16 decode_pair_or_single(const u16 *single, const u16 *leads, const unsigned char *p,
                                 unsigned lead) {
    return static_cast<u16>(select(lead, leads[leads[p[0]] + p[1]], single[p[0]]));
}

// The characters starting in the 16 bytes at s (a character boundary),
// found from masks rather than byte by byte. Returns the bytes taken (the
// characters that end in the window) and sets `units`; 0 for a window
// where a lead byte comes before a terminator, which then goes a byte at a
// time. Only when `strict` does it look for pairs with no character,
// which counting alone would not look up otherwise.
template <bool Write>
size_t decode_double_byte_window(const CodePageTable &t, const unsigned char *s, u16 *out,
                                 bool strict, bool &malformed, size_t &units) {
    const Bytes16 bytes(s);
    const unsigned ascii = bytes.ascii();
    if (ascii == 0xFFFF && t.asciiKept) {
        if (Write) bytes.widen(out);
        units = 16;
        return 16;
    }
    const unsigned range = bytes.in(t.leadRanges[0], t.leadRanges[1]) |
                           (t.leadRanges[2] ? bytes.in(t.leadRanges[2], t.leadRanges[3]) : 0);
    const unsigned leads = leads_of_runs(range);
    if ((leads << 1) & bytes.is(0)) return 0;
    const size_t end = leads & 0x8000 ? 15 : 16;
    const unsigned starts = ~(leads << 1) & ((1u << end) - 1);
    units = count_bits(starts);
    if (Write) {
        // Locals: the stores could otherwise alias the table's fields.
        const u16 *single = t.single, *pairs = t.leads;
        for (unsigned left = starts; left; left &= left - 1) {
            const unsigned p = lowest_bit(left);
            *out++ = decode_pair_or_single(single, pairs, s + p, leads >> p & 1);
        }
    }
    if (strict)
        for (unsigned left = leads & starts; left; left &= left - 1) {
            const unsigned char *p = s + lowest_bit(left);
            if (!t.defined(static_cast<u16>(p[0] << 8 | p[1]), t.pair(p[0], p[1]))) malformed = true;
        }
    return end;
}

size_t decode_double_byte(const CodePageTable &t, const unsigned char *s, size_t n, u16 *out,
                          size_t room, bool strict, bool &malformed) {
    BoundedOutput<u16> o{out, room};
    size_t i = 0, byCharacterUntil = 0;
    while (i < n) {
        // Windows while the input lasts and the output has room for one,
        // or has none left at all (then they only count); after a window
        // they cannot take, its bytes go a character at a time.
        if (i >= byCharacterUntil && n - i >= kWindowReach && (o.fits(16) || o.count >= o.room)) {
            size_t units = 0;
            const size_t used =
                o.fits(16) ? decode_double_byte_window<true>(t, s + i, o.out + o.count, strict, malformed, units)
                           : decode_double_byte_window<false>(t, s + i, nullptr, strict, malformed, units);
            if (used) {
                i += used;
                o.count += units;
                continue;
            }
            byCharacterUntil = i + 16;
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

// One or two bytes a unit; the fast loop takes blocks of kBlock units and
// writes both bytes of each unit's form, moving on by one or two, so it
// needs room for one byte past a block's worst case.
constexpr size_t kBlock = 256;

// Eight units that are all ASCII go at once where the code page keeps them.
// Track: whether to look for default characters, which only a caller
// asking for usedDefault needs. The table's fields are copied to locals, as
// the byte stores could otherwise alias them.
template <bool Write, bool Track>
size_t encode_double_byte_block(const CodePageTable &t, const u16 *w, size_t &i, size_t end,
                                unsigned char *out, bool &usedDefault) {
    const auto *table = static_cast<const u16 *>(t.encode);
    const u16 defaultChar = t.defaultChar, transDefaultChar = t.transDefaultChar;
    const bool asciiKept = t.asciiKept;
    size_t o = 0;
    bool defaulted = false;
    for (; i < end; i += 8) {
        if (asciiKept && narrow_ascii8(w + i, Write ? out + o : nullptr)) {
            o += 8;
            continue;
        }
        for (size_t k = i; k < i + 8; ++k) {
            const u16 code = table[w[k]];
            if (Track) defaulted |= (code == defaultChar) & (w[k] != transDefaultChar);
            const bool two = code > 0xFF;
            if (Write) {
                out[o] = static_cast<unsigned char>(two ? code >> 8 : code);
                out[o + 1] = static_cast<unsigned char>(code);
            }
            o += 1 + two;
        }
    }
    usedDefault |= defaulted;
    return o;
}

template <bool Write>
size_t encode_double_byte_block(const CodePageTable &t, const u16 *w, size_t &i, unsigned char *out,
                                bool track, bool &usedDefault) {
    return track ? encode_double_byte_block<Write, true>(t, w, i, i + kBlock, out, usedDefault)
                 : encode_double_byte_block<Write, false>(t, w, i, i + kBlock, out, usedDefault);
}

size_t encode_double_byte(const CodePageTable &t, const u16 *w, size_t n, unsigned char *out,
                          size_t room, bool noBestFit, bool track, bool &usedDefault) {
    const auto *table = static_cast<const u16 *>(t.encode);
    BoundedOutput<unsigned char> o{out, room};
    size_t i = 0;
    while (i < n) {
        if (!noBestFit && n - i >= kBlock) {
            if (!o.room) {
                o.count += encode_double_byte_block<false>(t, w, i, nullptr, track, usedDefault);
                continue;
            }
            if (o.fits(2 * kBlock + 1)) {
                o.count += encode_double_byte_block<true>(t, w, i, o.out + o.count, track, usedDefault);
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

size_t decode(UINT cp, const unsigned char *bytes, size_t n, u16 *out, size_t room, bool strict,
              bool &malformed) {
    switch (cp) {
    case 932: return decode_double_byte(*code_page_table(932), bytes, n, out, room, strict, malformed);
    case 1252: return decode_single_byte(*code_page_table(1252), bytes, n, out, room);
    case 51932: return decode_euc_jp(bytes, n, out, room, malformed);
    default: return decode_utf8(bytes, n, out, room, malformed);
    }
}

size_t encode(UINT cp, const u16 *wide, size_t n, unsigned char *out, size_t room,
              bool noBestFit, bool track, bool &usedDefault) {
    switch (cp) {
    case 932:
        return encode_double_byte(*code_page_table(932), wide, n, out, room, noBestFit, track, usedDefault);
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
                                capacity ? wide : nullptr, static_cast<size_t>(capacity),
                                flags & MB_ERR_INVALID_CHARS, malformed);
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
    const size_t count = encode(cp, wide, n, reinterpret_cast<unsigned char *>(text),
                                capacity ? static_cast<size_t>(capacity) : 0,
                                flags & WC_NO_BEST_FIT_CHARS, usedDefault != nullptr, defaulted);
    if (count > 0x7FFFFFFF || (capacity && count > static_cast<size_t>(capacity))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (usedDefault) *usedDefault = defaulted;
    return static_cast<int>(count);
}
