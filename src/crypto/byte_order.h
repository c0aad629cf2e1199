// Little-endian 32-bit words in byte buffers, independent of the host's
// byte order (the ciphers' block layout and MD5's words are both so).
#pragma once

#include <cstdint>

namespace crypto {

inline uint32_t load_le32(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline void store_le32(unsigned char *bytes, uint32_t word) {
    bytes[0] = static_cast<unsigned char>(word);
    bytes[1] = static_cast<unsigned char>(word >> 8);
    bytes[2] = static_cast<unsigned char>(word >> 16);
    bytes[3] = static_cast<unsigned char>(word >> 24);
}

}  // namespace crypto
