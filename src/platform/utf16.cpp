#include "platform/utf16.h"
#include "platform/byte_masks.h"
#include "platform/text16.h"

#include <cassert>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

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

// The byte classes of 16 or 64 bytes that tell UTF-8's short forms apart,
// bit k for byte k.
template <typename Mask>
struct Utf8Classes {
    Mask ascii = 0, cont = 0, lead2 = 0, lead3 = 0, e0 = 0, ed = 0, high = 0;

    void add(const Bytes16 &b, unsigned shift) {
        ascii |= static_cast<Mask>(b.ascii()) << shift;
        cont |= static_cast<Mask>(b.in(0x80, 0xBF)) << shift;
        lead2 |= static_cast<Mask>(b.in(0xC2, 0xDF)) << shift;
        lead3 |= static_cast<Mask>(b.in(0xE0, 0xEF)) << shift;
        e0 |= static_cast<Mask>(b.is(0xE0)) << shift;
        ed |= static_cast<Mask>(b.is(0xED)) << shift;
        high |= static_cast<Mask>(b.in(0xA0, 0xBF)) << shift;
    }
};

// Whether the characters of a stretch of `Bits` bytes (from a character
// boundary) are all ASCII or well-formed two- and three-byte sequences,
// the bulk of text. If so, sets where they start and `end`, the bytes they
// take: a character whose last byte lies past the stretch waits.
template <typename Mask, unsigned Bits>
bool short_forms(const Utf8Classes<Mask> &c, Mask &starts, size_t &end) {
    constexpr Mask top = static_cast<Mask>(1) << (Bits - 1);
    const Mask cut = ((c.lead2 | c.lead3) & top) | (c.lead3 & top >> 1);
    end = cut ? lowest_bit(cut) : Bits;
    const Mask keep = end == Bits ? (top << 1) - 1 : (static_cast<Mask>(1) << end) - 1;
    starts = (c.ascii | c.lead2 | c.lead3) & keep;
    // The continuation bytes that the kept leads call for, and that must be
    // there: past `end` too, where a cut lead would break the last one.
    const Mask expected = ((c.lead2 | c.lead3) & keep) << 1 | (c.lead3 & keep) << 2;
    const Mask covered = keep | expected;
    // After E0 only A0..BF (no overlong forms), after ED only 80..9F (no
    // surrogates).
    const Mask bad = (c.e0 << 1 & ~c.high) | (c.ed << 1 & c.high);
    return ((starts | c.cont) & keep) == keep && (c.cont & covered) == expected && !(bad & covered);
}

// The characters starting in the 16 bytes at s (a character boundary) when
// short_forms holds: masks give their boundaries, so there is no branch
// per character. Returns the bytes taken and sets `units`; returns 0 for a
// window holding anything else, which decode_one then takes a character
// at a time.
template <bool Write>
size_t decode_window(const unsigned char *s, u16 *out, size_t &units) {
    const Bytes16 bytes(s);
    if (bytes.ascii() == 0xFFFF) {
        if (Write) bytes.widen(out);
        units = 16;
        return 16;
    }
    Utf8Classes<unsigned> classes;
    classes.add(bytes, 0);
    unsigned starts;
    size_t end;
    if (!short_forms<unsigned, 16>(classes, starts, end)) return 0;
    units = count_bits(starts);
    if (Write)
        for (unsigned left = starts; left; left &= left - 1) *out++ = decode_short(s + lowest_bit(left));
    return end;
}

#if defined(__x86_64__) || defined(__i386__)
// Where the processor has SSSE3's byte shuffle, 64 bytes at a time: their
// masks check them as a window's do, then each step moves up to four
// characters of the next 12 bytes into 32-bit lanes with one shuffle, which
// the positions of their last bytes select, and forms all four at once.
constexpr size_t kBlockReach = 64 + 16;

// For each 12-bit mask of last bytes: the lengths of its first four
// characters (fewer where the mask ends), as base-4 digits, which index
// the shuffle that puts character k's bytes in lane k, last byte lowest;
// and beside them (<< 8) the bytes they take, so that finding the next
// step is a single load.
struct Utf8Steps {
    uint16_t step[4096];
    alignas(16) unsigned char shuffle[256][16];
    unsigned char chars[256];
};

const Utf8Steps &utf8_steps() {
    static const Utf8Steps *const table = [] {
        auto *t = new Utf8Steps();
        for (unsigned mask = 0; mask < 4096; ++mask) {
            unsigned id = 0, at = 0, chars = 0;
            unsigned char shuffle[16];
            std::memset(shuffle, 0x80, sizeof shuffle);  // 0x80: a zero byte
            for (; chars < 4 && at < 12; ++chars) {
                unsigned length = 1;
                while (length <= 3 && at + length <= 12 && !(mask >> (at + length - 1) & 1)) ++length;
                if (length > 3 || at + length > 12) break;
                for (unsigned k = 0; k < length; ++k)
                    shuffle[4 * chars + k] = static_cast<unsigned char>(at + length - 1 - k);
                id = id * 4 + length;
                at += length;
            }
            t->step[mask] = static_cast<uint16_t>(id | at << 8);
            std::memcpy(t->shuffle[id], shuffle, sizeof shuffle);
            t->chars[id] = static_cast<unsigned char>(chars);
        }
        return t;
    }();
    return *table;
}

bool has_ssse3() {
    // Initialised here too, for a caller that runs before the library's
    // own initialisers would have.
    static const bool yes = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
    return yes;
}

// The 64 bytes at s when short_forms holds; returns the bytes taken and
// sets `units`, or 0. Writes at most 64 units.
__attribute__((target("ssse3"))) size_t decode_block(const unsigned char *s, u16 *out, size_t &units) {
    Utf8Classes<uint64_t> classes;
    for (unsigned k = 0; k < 4; ++k) classes.add(Bytes16(s + 16 * k), 16 * k);
    uint64_t starts;
    size_t end;
    if (!short_forms<uint64_t, 64>(classes, starts, end)) return 0;
    const uint64_t lasts = (starts >> 1 | uint64_t{1} << (end - 1)) & ((uint64_t{1} << (end - 1) << 1) - 1);
    const Utf8Steps &t = utf8_steps();
    // A lane's bytes, last first, give: the last one its low seven bits
    // (six of a continuation byte, whose seventh is clear), the one before
    // its low six (five of a two-byte lead), a three-byte lead its four.
    const __m128i low7 = _mm_set1_epi32(0x7F), middle6 = _mm_set1_epi32(0xFC0), top4 = _mm_set1_epi32(0xF000);
    const __m128i halves = _mm_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
    u16 *o = out;
    for (size_t at = 0; at < end;) {
        const unsigned step = t.step[lasts >> at & 0xFFF], id = step & 0xFF;
        const __m128i lanes = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at)),
                                               _mm_load_si128(reinterpret_cast<const __m128i *>(t.shuffle[id])));
        const __m128i units32 = _mm_or_si128(_mm_and_si128(lanes, low7),
                                             _mm_or_si128(_mm_and_si128(_mm_srli_epi32(lanes, 2), middle6),
                                                          _mm_and_si128(_mm_srli_epi32(lanes, 4), top4)));
        const __m128i packed = _mm_shuffle_epi8(units32, halves);
        if (t.chars[id] == 4) {
            _mm_storel_epi64(reinterpret_cast<__m128i *>(o), packed);
        } else {  // the last step: no writing past its units
            alignas(16) u16 four[8];
            _mm_store_si128(reinterpret_cast<__m128i *>(four), packed);
            std::memcpy(o, four, t.chars[id] * sizeof(u16));
        }
        at += step >> 8;
        o += t.chars[id];
    }
    units = static_cast<size_t>(o - out);
    assert(units <= 64);
    return end;
}
#else
constexpr size_t kBlockReach = SIZE_MAX;
bool has_ssse3() { return false; }
size_t decode_block(const unsigned char *, u16 *, size_t &) { return 0; }
#endif

}  // namespace

size_t decode_utf8(const unsigned char *s, size_t n, u16 *out, size_t room, bool &malformed) {
    BoundedOutput<u16> o{out, out ? room : 0};
    size_t i = 0, byCharacterUntil = 0, byWindowUntil = 0;
    while (i < n) {
        // Blocks while writing with room for one; after a block they
        // cannot take, its bytes go by windows.
        if (i >= byWindowUntil && n - i >= kBlockReach && o.fits(64) && has_ssse3()) {
            size_t units = 0;
            if (const size_t used = decode_block(s + i, o.out + o.count, units)) {
                i += used;
                o.count += units;
                continue;
            }
            byWindowUntil = i + 64;
        }
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
                           as_wide(&out[0]), out.size(), malformed));
    return out;
}

}  // namespace platform
