// The file streamer's process-wide state: the chunk size and its two
// buffers, the key block, and the callback registered for the next stream.
#pragma once

#include <quorvel/stream.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace crypto {

constexpr uint32_t kMiB = 1024 * 1024;
constexpr std::size_t kKeyBlockBytes = 4096;

struct StreamState {
    uint32_t chunk_size = 0;
    unsigned char *input = nullptr;    // data read, enciphered in place
    unsigned char *compare = nullptr;  // the original, read by Bwf_Verify
    unsigned char *key_block = nullptr;
    BWF_PROGRESS callback = nullptr;
};

StreamState &stream_state();

// The bytes each chunk buffer holds: the chunk rounded up to whole blocks,
// and one block more, so that a partial last block never runs past it.
std::size_t chunk_buffer_bytes(uint32_t chunk_size);

// Bwf_Encrypt and Bwf_Decrypt for a caller that has just taken the input's
// size and position (the container writer and reader): the stream does not
// ask for them again. `held` are the input's next bytes, which the caller
// has read already (the reader reads a container's start at once); the
// file stands after them.
struct InputAt {
    int64_t size;
    int64_t position;
    const unsigned char *held = nullptr;
    uint32_t held_bytes = 0;
};
// `prefix` goes to the output before the body, with its first piece in one
// write (the writer's entry fields).
int encrypt_stream(void *input, void *output, const unsigned char *key, int64_t total,
                   const InputAt &known, const std::string &prefix);
int decrypt_stream(void *input, void *output, const unsigned char *key, int64_t n,
                   const InputAt &known);

}  // namespace crypto
