// The tree's one UTF-16 length helper and one UTF-8 codec.
//
// Decoding is strict: overlong forms, encoded surrogates and code points past
// U+10FFFF are ill-formed, and each maximal ill-formed subsequence becomes
// one U+FFFD (Unicode's recommended practice, as Python's "replace" and
// Windows do). Encoding writes an unpaired surrogate as U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace platform {

using u16 = unsigned short;

// Units before the terminator; 0 for null. Header-only, so that the layers
// above (on both builds) count wide text the same way.
template <typename Unit>
inline size_t u16_length(const Unit *text) {
    static_assert(sizeof(Unit) == 2, "UTF-16 units");
    size_t n = 0;
    if (text)
        while (text[n]) ++n;
    return n;
}

// The output of a conversion here or in codepage.cpp: units written while
// they fit in `room`, counted always.
template <typename T>
struct BoundedOutput {
    T *out;
    size_t room;
    size_t count = 0;
    void put(T value) {
        if (count < room) out[count] = value;
        ++count;
    }
    bool fits(size_t more) const { return count <= room && room - count >= more; }
};

// Both conversions return the units (bytes) that the whole input needs and
// write them to `out` only while they fit in `room`, as snprintf does; with
// a room of 0 they only count. `malformed` is set when an ill-formed
// subsequence was replaced.
size_t decode_utf8(const unsigned char *in, size_t n, u16 *out, size_t room, bool &malformed);
size_t encode_utf8(const u16 *in, size_t n, unsigned char *out, size_t room);

std::string utf16_to_utf8(const u16 *text, size_t length);
inline std::string utf16_to_utf8(const u16 *text) {
    return utf16_to_utf8(text, u16_length(text));
}
std::u16string utf8_to_utf16(const std::string &text);

}  // namespace platform
