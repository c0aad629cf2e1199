// Little-endian words in byte buffers, independent of the host's byte order:
// the container layout, the ciphers' blocks, MD5's words, PE images and
// shortcut files all store them so. ByteView reads them bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

inline uint32_t load_le16(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8;
}

inline uint32_t load_le32(const unsigned char *bytes) {
    return load_le16(bytes) | load_le16(bytes + 2) << 16;
}

inline uint64_t load_le64(const unsigned char *bytes) {
    return load_le32(bytes) | static_cast<uint64_t>(load_le32(bytes + 4)) << 32;
}

inline void store_le32(unsigned char *bytes, uint32_t word) {
    bytes[0] = static_cast<unsigned char>(word);
    bytes[1] = static_cast<unsigned char>(word >> 8);
    bytes[2] = static_cast<unsigned char>(word >> 16);
    bytes[3] = static_cast<unsigned char>(word >> 24);
}

// `n` bytes at `p`; a word that does not lie wholly inside them reads as 0.
struct ByteView {
    const unsigned char *p;
    size_t n;
    bool has(size_t at, size_t count) const { return at <= n && count <= n - at; }
    uint32_t u16(size_t at) const { return has(at, 2) ? load_le16(p + at) : 0; }
    uint32_t u32(size_t at) const { return has(at, 4) ? load_le32(p + at) : 0; }
    uint64_t u64(size_t at) const { return u32(at) | static_cast<uint64_t>(u32(at + 4)) << 32; }
};

}  // namespace platform
