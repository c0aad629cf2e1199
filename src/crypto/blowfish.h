// Blowfish inside the library: the one schedule that the buffer and file
// functions share, its key cache, and whole-buffer block loops.
#pragma once

#include <quorvel/crypto.h>

#include <cstddef>

namespace crypto {

// The published initial subkeys and S-boxes (the hex digits of pi).
extern const BWF_CTX blowfish_initial;

// The library's own schedule, all zero until a key is scheduled into it.
BWF_CTX &shared_context();

// Size of the key cache: the text of the key scheduled last, terminator
// included.
constexpr std::size_t key_cache_size = 2048;

// Forgets the key scheduled last, so that the next scheduling always runs.
void empty_key_cache();

// Encrypts or decrypts `blocks` 8-byte blocks in place, each by itself
// (electronic codebook); each half of a block is a little-endian word.
void encrypt_blocks(const BWF_CTX &ctx, unsigned char *data, std::size_t blocks);
void decrypt_blocks(const BWF_CTX &ctx, unsigned char *data, std::size_t blocks);

}  // namespace crypto
