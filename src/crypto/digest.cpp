// The exported digest functions: MD5 of a text as hex digits, HMAC-MD5
// (RFC 2104) and the hex printing of a digest.
#include <quorvel/crypto.h>

#include "crypto/md5.h"

#include <cstring>

void Md5(const unsigned char *text, unsigned char *output) {
    if (!output) return;
    if (!text) {  // nothing to hash: an empty result, not a digest
        output[0] = 0;
        return;
    }
    unsigned char digest[16];
    crypto::Md5Context context;
    crypto::md5_init(context);
    // Hash up to the terminator while looking for it, a piece at a time,
    // so that a long text is read from memory once.
    const char *piece = reinterpret_cast<const char *>(text);
    for (;;) {
        std::size_t length = strnlen(piece, 4096);
        crypto::md5_update(context, reinterpret_cast<const unsigned char *>(piece), length);
        if (length < 4096) break;
        piece += 4096;
    }
    crypto::md5_final(digest, context);
    Md5_Print(output, digest);
}

void Md5_HMAC(const unsigned char *text, int textLength, const unsigned char *key, int keyLength,
              unsigned char *digest) {
    if (!digest) return;
    // Negative lengths or missing bytes: an all-zero result rather than a
    // digest of something the caller did not mean.
    if (textLength < 0 || keyLength < 0 || (!text && textLength) || (!key && keyLength)) {
        std::memset(digest, 0, 16);
        return;
    }
    unsigned char hashed_key[16];
    if (keyLength > 64) {
        crypto::Md5Context context;
        crypto::md5_init(context);
        crypto::md5_update(context, key, static_cast<std::size_t>(keyLength));
        crypto::md5_final(hashed_key, context);
        key = hashed_key;
        keyLength = 16;
    }

    unsigned char inner_pad[64] = {}, outer_pad[64] = {};
    if (keyLength) {
        std::memcpy(inner_pad, key, static_cast<std::size_t>(keyLength));
        std::memcpy(outer_pad, key, static_cast<std::size_t>(keyLength));
    }
    for (int i = 0; i < 64; ++i) {
        inner_pad[i] ^= 0x36;
        outer_pad[i] ^= 0x5C;
    }

    crypto::Md5Context context;
    crypto::md5_init(context);
    crypto::md5_update(context, inner_pad, 64);
    crypto::md5_update(context, text, static_cast<std::size_t>(textLength));
    crypto::md5_final(digest, context);

    crypto::md5_init(context);
    crypto::md5_update(context, outer_pad, 64);
    crypto::md5_update(context, digest, 16);
    crypto::md5_final(digest, context);
}

void Md5_Print(unsigned char *output, const unsigned char *digest) {
    if (!output) return;
    if (!digest) {
        output[0] = 0;
        return;
    }
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        output[2 * i] = static_cast<unsigned char>(hex[digest[i] >> 4]);
        output[2 * i + 1] = static_cast<unsigned char>(hex[digest[i] & 0xF]);
    }
    output[32] = 0;
}
