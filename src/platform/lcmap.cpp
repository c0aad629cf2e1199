// LCMapStringW: case (Windows' own table), kana and width mappings, the
// same for every locale (the Japanese locale's rules), and sort keys from
// ICU's collation.
#include "platform/codepage.h"
#include "platform/win32.h"
#include "platform/utf16.h"

#include <unicode/ucol.h>

#include <memory>
#include <vector>

namespace {

using u16 = unsigned short;

// Full-width forms of U+FF61..U+FF9F, the half-width katakana block. The
// voiced marks widen to the combining marks, as Windows maps them.
constexpr u16 kKanaFull[63] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x3099, 0x309A};
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

// U+FFE0..U+FFE6 narrowed.
constexpr u16 kSignsHalf[7] = {0x00A2, 0x00A3, 0x00AC, 0x00AF, 0x00A6, 0x00A5, 0x20A9};

// Box-drawing, arrows and shapes with half-width forms (U+FFE8..U+FFEE).
u16 half_form_of(u16 c) {
    constexpr u16 kFull[7] = {0x2502, 0x2190, 0x2191, 0x2192, 0x2193, 0x25A0, 0x25CB};
    for (int k = 0; k < 7; ++k)
        if (kFull[k] == c) return static_cast<u16>(0xFFE8 + k);
    return 0;
}

u16 half_kana_of(u16 full) {
    if (full == 0x309B) return kVoiced;
    if (full == 0x309C) return kSemiVoiced;
    for (int k = 0; k < 63; ++k)
        if (kKanaFull[k] == full) return static_cast<u16>(0xFF61 + k);
    return 0;
}

void to_fullwidth(std::vector<u16> &text) {
    std::vector<u16> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const u16 c = text[i];
        if (c == 0x20) {
            out.push_back(0x3000);
        } else if (c >= 0x21 && c <= 0x7E) {
            out.push_back(static_cast<u16>(c + 0xFEE0));
        } else if (c == 0x309B || c == 0x309C) {
            out.push_back(static_cast<u16>(c - 2));
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            u16 full = kKanaFull[c - 0xFF61];
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
            out.push_back(c);
        }
    }
    text.swap(out);
}

void to_halfwidth(std::vector<u16> &text) {
    std::vector<u16> out;
    out.reserve(text.size() * 2);
    for (const u16 c : text) {
        if (c == 0x3000) {
            out.push_back(0x20);
        } else if (c >= 0xFF01 && c <= 0xFF5E && c != 0xFF3C) {  // the full-width backslash stays
            out.push_back(static_cast<u16>(c - 0xFEE0));
        } else if (c == 0x2018 || c == 0x2019 || c == 0x201C || c == 0x201D) {  // curly quotes
            out.push_back(c < 0x201C ? 0x27 : 0x22);
        } else if (u16 form = half_form_of(c)) {
            out.push_back(form);
        } else if (c >= 0xFFE0 && c <= 0xFFE6) {
            out.push_back(kSignsHalf[c - 0xFFE0]);
        } else if (u16 half = half_kana_of(c)) {
            out.push_back(half);
        } else if (c == 0x30F4 || c == 0x30FE) {  // vu, and the voiced iteration mark
            out.push_back(c == 0x30F4 ? 0xFF73 : 0x30FD);
            out.push_back(kVoiced);
        } else if (c >= 0x30AC && c <= 0x30DD && (half = half_kana_of(c - 1)) &&
                   takes_voiced(static_cast<u16>(c - 1))) {
            out.push_back(half);
            out.push_back(kVoiced);
        } else if (c >= 0x30D1 && c <= 0x30DD && (half = half_kana_of(c - 2)) &&
                   takes_semi_voiced(static_cast<u16>(c - 2))) {
            out.push_back(half);
            out.push_back(kSemiVoiced);
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
    const auto *chars = reinterpret_cast<const UChar *>(text);
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
