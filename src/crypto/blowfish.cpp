// Blowfish: key schedule, single blocks and in-place buffers under the
// shared schedule.
#include "crypto/blowfish.h"
#include "platform/byte_order.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace crypto {
namespace {

using platform::load_le32;
using platform::store_le32;

BWF_CTX shared;
char key_cache[key_cache_size];

// The round function on S-boxes laid out one after another.
inline uint32_t F(const uint32_t *s, uint32_t x) {
    return ((s[x >> 24] + s[256 + ((x >> 16) & 0xFF)]) ^ s[512 + ((x >> 8) & 0xFF)]) +
           s[768 + (x & 0xFF)];
}

// N blocks at a time: one block is a chain of dependent table lookups, so
// independent blocks side by side keep the processor busy.
template <int N>
inline void encrypt_n(const uint32_t *p, const uint32_t *s, uint32_t *left, uint32_t *right) {
    uint32_t l[N], r[N];
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) l[k] = left[k] ^ p[0], r[k] = right[k];
#pragma GCC unroll 16
    for (int i = 1; i <= 16; i += 2) {
#pragma GCC unroll 4
        for (int k = 0; k < N; ++k) r[k] ^= F(s, l[k]) ^ p[i];
#pragma GCC unroll 4
        for (int k = 0; k < N; ++k) l[k] ^= F(s, r[k]) ^ p[i + 1];
    }
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) left[k] = r[k] ^ p[17], right[k] = l[k];
}

template <int N>
inline void decrypt_n(const uint32_t *p, const uint32_t *s, uint32_t *left, uint32_t *right) {
    uint32_t l[N], r[N];
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) l[k] = left[k] ^ p[17], r[k] = right[k];
#pragma GCC unroll 16
    for (int i = 16; i >= 1; i -= 2) {
#pragma GCC unroll 4
        for (int k = 0; k < N; ++k) r[k] ^= F(s, l[k]) ^ p[i];
#pragma GCC unroll 4
        for (int k = 0; k < N; ++k) l[k] ^= F(s, r[k]) ^ p[i - 1];
    }
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) left[k] = r[k] ^ p[0], right[k] = l[k];
}

template <int N, void (*Cipher)(const uint32_t *, const uint32_t *, uint32_t *, uint32_t *)>
inline void blocks_n(const uint32_t *p, const uint32_t *s, unsigned char *data) {
    uint32_t l[N], r[N];
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) l[k] = load_le32(data + 8 * k), r[k] = load_le32(data + 8 * k + 4);
    Cipher(p, s, l, r);
#pragma GCC unroll 4
    for (int k = 0; k < N; ++k) store_le32(data + 8 * k, l[k]), store_le32(data + 8 * k + 4, r[k]);
}

constexpr int kLanes = 4;

template <void (*CipherN)(const uint32_t *, const uint32_t *, uint32_t *, uint32_t *),
          void (*Cipher1)(const uint32_t *, const uint32_t *, uint32_t *, uint32_t *)>
void run_blocks(const BWF_CTX &ctx, unsigned char *data, std::size_t blocks) {
    const uint32_t *p = ctx.P;
    const uint32_t *s = &ctx.S[0][0];
    for (; blocks >= kLanes; blocks -= kLanes, data += 8 * kLanes)
        blocks_n<kLanes, CipherN>(p, s, data);
    for (; blocks; --blocks, data += 8) blocks_n<1, Cipher1>(p, s, data);
}

// Bytes of a zero-terminated wide string, or -1 when that overflows a
// signed 32-bit length.
int32_t wide_text_bytes(const unsigned short *text) {
    std::size_t units = 0;
    while (text[units]) ++units;
    return units <= INT32_MAX / 2 ? static_cast<int32_t>(units * 2) : -1;
}

void schedule(BWF_CTX *ctx, const unsigned char *key, int keyLength) {
    const char *text = reinterpret_cast<const char *>(key);
    if (std::strcmp(text, key_cache) == 0) return;
    // Keys beyond the cache's size are cut short there, so they never
    // compare equal and are scheduled every time.
    std::strncpy(key_cache, text, key_cache_size - 1);
    key_cache[key_cache_size - 1] = 0;

    std::memcpy(ctx->S, blowfish_initial.S, sizeof ctx->S);
    int j = 0;
    for (int i = 0; i < 18; ++i) {
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            word = word << 8 | key[j];
            if (++j >= keyLength) j = 0;
        }
        ctx->P[i] = blowfish_initial.P[i] ^ word;
    }

    uint32_t l = 0, r = 0;
    const uint32_t *s = &ctx->S[0][0];
    for (int i = 0; i < 18; i += 2) {
        encrypt_n<1>(ctx->P, s, &l, &r);
        ctx->P[i] = l;
        ctx->P[i + 1] = r;
    }
    uint32_t *box = &ctx->S[0][0];
    for (int i = 0; i < 4 * 256; i += 2) {
        encrypt_n<1>(ctx->P, s, &l, &r);
        box[i] = l;
        box[i + 1] = r;
    }
}

// The buffer functions: schedule into the shared context, then every block.
int32_t process_buffer(unsigned short *data, const unsigned char *key, int32_t length,
                       void (*cipher)(const BWF_CTX &, unsigned char *, std::size_t)) {
    if (!data || !key) return 0;
    if (length == -1) length = wide_text_bytes(data);
    uint32_t bytes = static_cast<uint32_t>(length);
    uint32_t blocks = bytes / 8 + (bytes % 8 ? 1 : 0);
    schedule(&shared, key, static_cast<int>(std::strlen(reinterpret_cast<const char *>(key))));
    // Other negative lengths, and lengths whose rounded size does not fit
    // the result, are refused rather than read as huge unsigned counts.
    if (blocks == 0 || length < 0 || length > INT32_MAX - 7) return 0;
    cipher(shared, reinterpret_cast<unsigned char *>(data), blocks);
    return static_cast<int32_t>(blocks * 8);
}

}  // namespace

BWF_CTX &shared_context() { return shared; }

void empty_key_cache() { std::memset(key_cache, 0, sizeof key_cache); }

void encrypt_blocks(const BWF_CTX &ctx, unsigned char *data, std::size_t blocks) {
    run_blocks<encrypt_n<kLanes>, encrypt_n<1>>(ctx, data, blocks);
}

void decrypt_blocks(const BWF_CTX &ctx, unsigned char *data, std::size_t blocks) {
    run_blocks<decrypt_n<kLanes>, decrypt_n<1>>(ctx, data, blocks);
}

}  // namespace crypto

void Bwf_InitKey(BWF_CTX *ctx, const unsigned char *key, int keyLength) {
    if (!ctx || !key) return;
    crypto::schedule(ctx, key, keyLength);
}

void Bwf_Encrypt(BWF_CTX *ctx, uint32_t *left, uint32_t *right) {
    if (!ctx || !left || !right) return;
    crypto::encrypt_n<1>(ctx->P, &ctx->S[0][0], left, right);
}

void Bwf_Decrypt(BWF_CTX *ctx, uint32_t *left, uint32_t *right) {
    if (!ctx || !left || !right) return;
    crypto::decrypt_n<1>(ctx->P, &ctx->S[0][0], left, right);
}

int32_t Bwf_Encrypt(unsigned short *data, const unsigned char *key, int32_t length) {
    return crypto::process_buffer(data, key, length, crypto::encrypt_blocks);
}

int32_t Bwf_Decrypt(unsigned short *data, const unsigned char *key, int32_t length) {
    return crypto::process_buffer(data, key, length, crypto::decrypt_blocks);
}

unsigned short *Bwf_Alloc8Byte(const unsigned short *source, int32_t length) {
    if (!source) return nullptr;
    if (length == -1) length = crypto::wide_text_bytes(source);
    if (length < 0 || length > INT32_MAX - 7) return nullptr;
    int32_t size = (length / 8 + (length % 8 ? 1 : 0)) * 8;
    auto *copy = static_cast<unsigned char *>(std::malloc(static_cast<std::size_t>(size) + 2));
    if (!copy) return nullptr;
    std::memset(copy, 0, static_cast<std::size_t>(size) + 2);
    std::memcpy(copy, source, static_cast<std::size_t>(length));
    return reinterpret_cast<unsigned short *>(copy);
}
