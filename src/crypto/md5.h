// The MD5 core (RFC 1321), for the library's own use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crypto {

// As in the RFC's reference code: the chaining words, the number of bits
// so far (low word first) and the partial input block.
struct Md5Context {
    uint32_t state[4];
    uint32_t count[2];
    unsigned char buffer[64];
};

void md5_init(Md5Context &context);
void md5_update(Md5Context &context, const unsigned char *input, std::size_t length);
// Writes the 16 digest bytes and fills the context with zeros.
void md5_final(unsigned char digest[16], Md5Context &context);

}  // namespace crypto
