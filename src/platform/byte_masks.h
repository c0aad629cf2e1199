// Sixteen bytes at a time for the text conversions: which of them fall in a
// range, as a 16-bit mask (bit k for byte k), so that a conversion can find
// its characters' boundaries without a branch per byte. SSE2 where the
// compiler has it (always on x86_64), a plain loop elsewhere.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

class Bytes16 {
public:
    explicit Bytes16(const unsigned char *s) {
#if defined(__SSE2__)
        v_ = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
#else
        std::memcpy(b_, s, 16);
#endif
    }

    // Bytes in [lo, hi].
    unsigned in(unsigned char lo, unsigned char hi) const {
#if defined(__SSE2__)
        // Unsigned: x - lo wraps above hi - lo for bytes outside.
        const __m128i shifted = _mm_sub_epi8(v_, _mm_set1_epi8(static_cast<char>(lo)));
        const __m128i width = _mm_set1_epi8(static_cast<char>(hi - lo));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(shifted, width), shifted)));
#else
        unsigned mask = 0;
        for (int k = 0; k < 16; ++k) mask |= static_cast<unsigned>(b_[k] >= lo && b_[k] <= hi) << k;
        return mask;
#endif
    }

    // Bytes equal to b.
    unsigned is(unsigned char b) const {
#if defined(__SSE2__)
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v_, _mm_set1_epi8(static_cast<char>(b)))));
#else
        return in(b, b);
#endif
    }

    unsigned ascii() const {
#if defined(__SSE2__)
        return ~static_cast<unsigned>(_mm_movemask_epi8(v_)) & 0xFFFF;
#else
        return in(0x00, 0x7F);
#endif
    }

    // Writes the sixteen bytes, all ASCII, as units.
    void widen(unsigned short *out) const {
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(v_, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(v_, zero));
#else
        for (int k = 0; k < 16; ++k) out[k] = b_[k];
#endif
    }

private:
#if defined(__SSE2__)
    __m128i v_;
#else
    unsigned char b_[16];
#endif
};

// Narrows the eight units at w to bytes at out when all are ASCII (and
// only tells whether they are when out is null).
inline bool narrow_ascii8(const unsigned short *w, unsigned char *out) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w));
    const __m128i high = _mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) return false;
    if (out) _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(v, v));
#else
    uint64_t words[2];
    std::memcpy(words, w, 16);
    if ((words[0] | words[1]) & 0xFF80FF80FF80FF80u) return false;
    if (out)
        for (int k = 0; k < 8; ++k) out[k] = static_cast<unsigned char>(w[k]);
#endif
    return true;
}

// Index of the lowest set bit of a nonzero mask.
inline unsigned lowest_bit(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(mask)); }
inline unsigned lowest_bit(uint64_t mask) { return static_cast<unsigned>(__builtin_ctzll(mask)); }

// Set bits of a 16-bit mask (without a library call where the compiler
// may not use the instruction).
inline unsigned count_bits(unsigned mask) {
    mask -= mask >> 1 & 0x5555u;
    mask = (mask & 0x3333u) + (mask >> 2 & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return (mask + (mask >> 8)) & 0x1Fu;
}

// a when `pick`, else b, without a branch: for choices no predictor can
// learn, as between the characters of mixed text.
inline unsigned select(bool pick, unsigned a, unsigned b) {
    const unsigned mask = 0u - static_cast<unsigned>(pick);
    return (a & mask) | (b & ~mask);
}

}  // namespace platform
