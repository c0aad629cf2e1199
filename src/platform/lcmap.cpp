// LCMapStringW: case (Windows' own table), kana and width mappings, the
// same for every locale (the Japanese locale's rules), and sort keys from
// ICU's collation.
#include "platform/codepage.h"
#include "platform/win32.h"
#include "platform/utf16.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/unorm2.h>

#include <memory>
#include <vector>

namespace {

using u16 = unsigned short;

// The width pairs of Unicode's decomposition data, as ICU holds them: a
// <wide> form (U+3000, U+FF01..U+FF60, U+FFE0..U+FFE6) narrows to its
// decomposition and a <narrow> form (U+FF61..U+FFEE) widens to its own.
// Windows keeps the yen sign of 932 (the backslash) out of both.
struct WidthPairs {
    u16 full[0x10000] = {};
    u16 half[0x10000] = {};
};

const WidthPairs &width_pairs() {
    static const WidthPairs *pairs = [] {
        auto *built = new WidthPairs;
        UErrorCode status = U_ZERO_ERROR;
        const UNormalizer2 *nfkd = unorm2_getNFKDInstance(&status);
        for (UChar32 c = 0; c < 0x10000 && U_SUCCESS(status); ++c) {
            const int type = u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE);
            if (type != U_DT_WIDE && type != U_DT_NARROW) continue;
            UChar target[4];
            if (unorm2_getRawDecomposition(nfkd, c, target, 4, &status) != 1 || target[0] == 0x5C)
                continue;
            const u16 form = static_cast<u16>(c), plain = target[0];
            if (type == U_DT_WIDE) {
                built->half[form] = plain;
                built->full[plain] = form;
            } else {
                built->full[form] = plain;
                built->half[plain] = form;
            }
        }
        return built;
    }();
    return *pairs;
}

constexpr u16 kVoiced = 0xFF9E, kSemiVoiced = 0xFF9F;

// Katakana that take a voiced mark (+1) or, for the ha row, a semi-voiced
// mark (+2) in their full-width form.
bool takes_voiced(u16 full) {
    return (full >= 0x30AB && full <= 0x30C8 && full != 0x30C3) ||
           (full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0) || full == 0x30A6;
}
bool takes_semi_voiced(u16 full) {
    return full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0;
}
u16 voiced_of(u16 full) { return full == 0x30A6 ? 0x30F4 : static_cast<u16>(full + 1); }

// The plain letter of a voiced katakana that has no half-width form of its
// own, with the half-width mark to follow it in `mark`; 0 for any other unit.
u16 unvoiced_katakana(u16 c, u16 &mark) {
    mark = kVoiced;
    if (c >= 0x30AC && c <= 0x30DD) {
        if (takes_voiced(static_cast<u16>(c - 1))) return static_cast<u16>(c - 1);
        mark = kSemiVoiced;
        if (takes_semi_voiced(static_cast<u16>(c - 2))) return static_cast<u16>(c - 2);
        return 0;
    }
    if (c == 0x30F4) return 0x30A6;                             // vu
    if (c >= 0x30F7 && c <= 0x30FA) return static_cast<u16>(c - 8);  // va, vi, ve, vo
    if (c == 0x30FE) return 0x30FD;                             // the voiced iteration mark
    return 0;
}

void to_fullwidth(std::vector<u16> &text) {
    const WidthPairs &pairs = width_pairs();
    std::vector<u16> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const u16 c = text[i];
        if (c == 0x309B || c == 0x309C) {  // the spacing marks as the combining ones
            out.push_back(static_cast<u16>(c - 2));
        } else if (c >= 0xFF66 && c <= 0xFF9D) {  // half-width katakana take a following mark
            u16 full = pairs.full[c];
            const u16 next = i + 1 < text.size() ? text[i + 1] : 0;
            if (next == kVoiced && takes_voiced(full)) {
                full = voiced_of(full);
                ++i;
            } else if (next == kSemiVoiced && takes_semi_voiced(full)) {
                full = static_cast<u16>(full + 2);
                ++i;
            }
            out.push_back(full);
        } else {
            out.push_back(pairs.full[c] ? pairs.full[c] : c);
        }
    }
    text.swap(out);
}

void to_halfwidth(std::vector<u16> &text) {
    const WidthPairs &pairs = width_pairs();
    std::vector<u16> out;
    out.reserve(text.size() * 2);
    for (const u16 c : text) {
        u16 mark = 0;
        if (c == 0x2018 || c == 0x2019 || c == 0x201C || c == 0x201D) {  // curly quotes
            out.push_back(c < 0x201C ? 0x27 : 0x22);
        } else if (c == 0x309B || c == 0x309C) {
            out.push_back(c == 0x309B ? kVoiced : kSemiVoiced);
        } else if (pairs.half[c]) {
            out.push_back(pairs.half[c]);
        } else if (const u16 plain = unvoiced_katakana(c, mark)) {
            out.push_back(pairs.half[plain] ? pairs.half[plain] : plain);
            out.push_back(mark);
        } else {
            out.push_back(c);
        }
    }
    text.swap(out);
}

void map_kana(std::vector<u16> &text, bool toHiragana) {
    for (u16 &c : text) {
        if (toHiragana && ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE))
            c = static_cast<u16>(c - 0x60);
        else if (!toHiragana && ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E))
            c = static_cast<u16>(c + 0x60);
    }
}

void map_case(std::vector<u16> &text, bool lower) {
    for (u16 &c : text) c = platform::map_case(c, lower);
}

// A sort key in ICU's collation for the locale: Japanese for 0x0411 (or a
// default that is Japanese), the root order (CLDR) for any other. Bytes,
// zero-terminated, to be compared as bytes; the count includes the zero.
int sort_key(LCID locale, const u16 *text, size_t units, LPWSTR target, int capacity) {
    if (locale == LOCALE_SYSTEM_DEFAULT || locale == LOCALE_USER_DEFAULT || locale == 0)
        locale = GetSystemDefaultLCID();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, void (*)(UCollator *)> collator(
        ucol_open(locale == 0x0411 ? "ja" : "", &status), ucol_close);
    if (U_FAILURE(status)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const auto *chars = as_u16(text);
    const int32_t length = static_cast<int32_t>(units);
    const int needed = ucol_getSortKey(collator.get(), chars, length, nullptr, 0);
    if (!capacity) return needed;
    if (needed > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    ucol_getSortKey(collator.get(), chars, length, reinterpret_cast<uint8_t *>(target), capacity);
    return needed;
}

}  // namespace

int quorvel_win32::LCMapStringW(LCID locale, DWORD flags, LPCWSTR source, int length,
                            LPWSTR target, int capacity) {
    constexpr DWORD known = LCMAP_LOWERCASE | LCMAP_UPPERCASE | LCMAP_BYTEREV |
                            LCMAP_HIRAGANA | LCMAP_KATAKANA | LCMAP_HALFWIDTH | LCMAP_FULLWIDTH;
    if (!source || length == 0 || length < -1 || capacity < 0 || (capacity && !target) ||
        (target && target == source)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags == LCMAP_SORTKEY) {
        const size_t n = length == -1 ? platform::u16_length(source) : static_cast<size_t>(length);
        return sort_key(locale, source, n, target, capacity);
    }
    auto both = [flags](DWORD a, DWORD b) { return (flags & a) && (flags & b); };
    if (!flags || (flags & ~known) || both(LCMAP_LOWERCASE, LCMAP_UPPERCASE) ||
        both(LCMAP_HIRAGANA, LCMAP_KATAKANA) || both(LCMAP_HALFWIDTH, LCMAP_FULLWIDTH)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const size_t n = length == -1 ? platform::u16_length(source) + 1 : static_cast<size_t>(length);
    std::vector<u16> text(source, source + n);
    // Full width first, so half-width katakana reach the kana mapping.
    if (flags & LCMAP_FULLWIDTH) to_fullwidth(text);
    if (flags & (LCMAP_HIRAGANA | LCMAP_KATAKANA)) map_kana(text, flags & LCMAP_HIRAGANA);
    if (flags & LCMAP_HALFWIDTH) to_halfwidth(text);
    if (flags & (LCMAP_LOWERCASE | LCMAP_UPPERCASE)) map_case(text, flags & LCMAP_LOWERCASE);
    if (flags & LCMAP_BYTEREV)
        for (u16 &c : text) c = static_cast<u16>(c << 8 | c >> 8);

    const int needed = static_cast<int>(text.size());
    if (!capacity) return needed;
    if (needed > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(text.begin(), text.end(), target);
    return needed;
}
