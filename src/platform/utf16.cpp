#include "platform/utf16.h"
#include "platform/byte_masks.h"

#include <cstdint>

namespace platform {
namespace {

constexpr u16 kReplacement = 0xFFFD;

// One character that is not ASCII at s[i], i < n, however ill-formed.
void decode_one(const unsigned char *s, size_t n, size_t &i, BoundedOutput<u16> &o, bool &malformed) {
    const unsigned char b = s[i];
    // The allowed range of the second byte narrows after E0, ED, F0 and
    // F4: that is what rules out overlong forms, surrogates and code
    // points past U+10FFFF.
    int extra;
    unsigned lo = 0x80, hi = 0xBF;
    char32_t c;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2;
        c = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3;
        c = b & 0x07;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        malformed = true;
        o.put(kReplacement);
        ++i;
        return;
    }
    int k = 1;
    for (; k <= extra && i + k < n; ++k) {
        const unsigned char t = s[i + k];
        if (t < lo || t > hi) break;
        lo = 0x80;
        hi = 0xBF;
        c = c << 6 | (t & 0x3F);
    }
    i += k;
    if (k <= extra) {
        malformed = true;
        o.put(kReplacement);
    } else if (c >= 0x10000) {
        c -= 0x10000;
        o.put(static_cast<u16>(0xD800 + (c >> 10)));
        o.put(static_cast<u16>(0xDC00 + (c & 0x3FF)));
    } else {
        o.put(static_cast<u16>(c));
    }
}

// The bytes a window reads: its sixteen, and two past them for the third
// byte of a character at its end.
constexpr size_t kWindowReach = 18;

// A character that decode_window found well-formed: ASCII, or two or
// three bytes. No branch: the three forms are computed and one chosen.
inline u16 decode_short(const unsigned char *p) {
    const unsigned b0 = p[0], b1 = p[1] & 0x3Fu, b2 = p[2] & 0x3Fu;
    const unsigned two = (b0 & 0x1Fu) << 6 | b1, three = (b0 & 0x0Fu) << 12 | b1 << 6 | b2;
    return static_cast<u16>(select(b0 < 0x80, b0, select(b0 < 0xE0, two, three)));
}

// The characters starting in the 16 bytes at s (a character boundary) when
// all are ASCII or well-formed two- and three-byte sequences, the bulk of
// text: masks of the byte classes give their boundaries and check their
// form, so there is no branch per character. Returns the bytes taken (the
// characters that end in the window) and sets `units`; returns 0 for a
// window holding anything else, which decode_one then takes a character
// at a time.
template <bool Write>
size_t decode_window(const unsigned char *s, u16 *out, size_t &units) {
    const Bytes16 bytes(s);
    const unsigned ascii = bytes.ascii();
    if (ascii == 0xFFFF) {
        if (Write) bytes.widen(out);
        units = 16;
        return 16;
    }
    const unsigned cont = bytes.in(0x80, 0xBF), lead2 = bytes.in(0xC2, 0xDF), lead3 = bytes.in(0xE0, 0xEF);
    // A character whose last byte lies past the window waits for the next.
    const unsigned cut = ((lead2 | lead3) & 0x8000) | (lead3 & 0x4000);
    const size_t end = cut ? lowest_bit(cut) : 16;
    const unsigned keep = (1u << end) - 1;
    const unsigned starts = (ascii | lead2 | lead3) & keep;
    // The continuation bytes that the kept leads call for, and that must be
    // there: past `end` too, where a cut lead would break the last one.
    const unsigned expected = ((lead2 | lead3) & keep) << 1 | (lead3 & keep) << 2;
    const unsigned covered = keep | expected;
    // After E0 only A0..BF (no overlong forms), after ED only 80..9F (no
    // surrogates).
    const unsigned high = bytes.in(0xA0, 0xBF);
    const unsigned bad = (bytes.in(0xE0, 0xE0) << 1 & ~high) | (bytes.in(0xED, 0xED) << 1 & high);
    if (((starts | cont) & keep) != keep || (cont & covered) != expected || (bad & covered)) return 0;
    units = count_bits(starts);
    if (Write)
        for (unsigned left = starts; left; left &= left - 1) *out++ = decode_short(s + lowest_bit(left));
    return end;
}

}  // namespace

size_t decode_utf8(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    BoundedOutput<u16> o{out, out ? room : 0};
    size_t i = 0, byCharacterUntil = 0;
    while (i < n) {
        // Windows while the input lasts and the output has room for one,
        // or has none left at all (then they only count); after a window
        // they cannot take, its bytes go a character at a time.
        if (i >= byCharacterUntil && n - i >= kWindowReach && (o.fits(16) || o.count >= o.room)) {
            size_t units = 0;
            const size_t used = o.fits(16) ? decode_window<true>(s + i, o.out + o.count, units)
                                           : decode_window<false>(s + i, nullptr, units);
            if (used) {
                i += used;
                o.count += units;
                continue;
            }
            byCharacterUntil = i + 16;
        }
        if (s[i] < 0x80)
            o.put(s[i++]);
        else
            decode_one(s, n, i, o, malformed);
    }
    return o.count;
}

size_t encode_utf8(const u16 *w, size_t n, unsigned char *out, size_t room) {
    BoundedOutput<unsigned char> o{out, out ? room : 0};
    for (size_t i = 0; i < n; ++i) {
        char32_t c = w[i];
        if (c < 0x80) {
            o.put(static_cast<unsigned char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (w[++i] - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = kReplacement;
        if (c < 0x800) {
            o.put(static_cast<unsigned char>(0xC0 | c >> 6));
        } else if (c < 0x10000) {
            o.put(static_cast<unsigned char>(0xE0 | c >> 12));
            o.put(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
        } else {
            o.put(static_cast<unsigned char>(0xF0 | c >> 18));
            o.put(static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F)));
            o.put(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
        }
        o.put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
    return o.count;
}

std::string utf16_to_utf8(const u16 *text, size_t length) {
    std::string out(3 * length, '\0');
    out.resize(encode_utf8(text, length, reinterpret_cast<unsigned char *>(&out[0]), out.size()));
    return out;
}

std::u16string utf8_to_utf16(const std::string &text) {
    std::u16string out(text.size(), u'\0');
    bool malformed = false;
    out.resize(decode_utf8(reinterpret_cast<const unsigned char *>(text.data()), text.size(),
                           reinterpret_cast<u16 *>(&out[0]), out.size(), malformed));
    return out;
}

}  // namespace platform
