#include "platform/utf16.h"

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

// ASCII and well-formed two- and three-byte sequences, the bulk of text,
// over the block s[i..end), with kSlack bytes readable past it: no bounds
// checks, and when writing, room for the block's worst case at `out`.
template <bool Write>
size_t decode_block(const unsigned char *s, size_t &i, size_t end, u16 *out, bool &malformed) {
    size_t o = 0;
    while (i < end) {
        const unsigned b = s[i];
        if (b < 0x80) {
            if (widen_ascii8<Write>(s + i, Write ? out + o : nullptr)) {
                o += 8;
                i += 8;
                continue;
            }
            if (Write) out[o] = static_cast<u16>(b);
            ++o;
            ++i;
            continue;
        }
        const unsigned b1 = s[i + 1];
        if ((b & 0xF0) == 0xE0) {
            const unsigned b2 = s[i + 2];
            const unsigned c = (b & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
            if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && c >= 0x800 && (c & 0xF800) != 0xD800) {
                if (Write) out[o] = static_cast<u16>(c);
                ++o;
                i += 3;
                continue;
            }
        } else if (b >= 0xC2 && b <= 0xDF && (b1 & 0xC0) == 0x80) {
            if (Write) out[o] = static_cast<u16>((b & 0x1F) << 6 | (b1 & 0x3F));
            ++o;
            i += 2;
            continue;
        }
        BoundedOutput<u16> rest{Write ? out + o : nullptr, Write ? SIZE_MAX : 0};
        decode_one(s, end + kSlack, i, rest, malformed);
        o += rest.count;
    }
    return o;
}

}  // namespace

size_t decode_utf8(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    BoundedOutput<u16> o{out, out ? room : 0};
    size_t i = 0;
    while (i < n) {
        if (n - i >= kBlock + kSlack) {
            if (!o.room) {
                o.count += decode_block<false>(s, i, i + kBlock, nullptr, malformed);
                continue;
            }
            if (o.fits(kBlock + kSlack)) {
                o.count += decode_block<true>(s, i, i + kBlock, o.out + o.count, malformed);
                continue;
            }
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
