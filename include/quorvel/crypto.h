/* Quorvel: Blowfish (ECB) and MD5 / HMAC-MD5. */
#ifndef QUORVEL_CRYPTO_H
#define QUORVEL_CRYPTO_H

#include <quorvel/base.h>
#include <quorvel/stream.h> /* the file overloads of Bwf_Encrypt and Bwf_Decrypt */

/* A Blowfish key schedule. */
typedef struct BWF_CTX {
    uint32_t P[18];
    uint32_t S[4][256];
} BWF_CTX;

/* Schedules `key` into `ctx`. When the key text (read up to its first zero
 * byte) equals the last one scheduled, nothing is done: the library keeps
 * one shared schedule and caches its key. Bwf_Destroy empties the cache. */
QUORVEL_API void Bwf_InitKey(BWF_CTX *ctx, const unsigned char *key, int keyLength);

/* One 64-bit block in place; the halves are little-endian words. */
QUORVEL_API void Bwf_Encrypt(BWF_CTX *ctx, uint32_t *left, uint32_t *right);
QUORVEL_API void Bwf_Decrypt(BWF_CTX *ctx, uint32_t *left, uint32_t *right);

/* A buffer in place under a zero-terminated key text, block by block.
 * length is in bytes, -1 for a zero-terminated wide string. The buffer
 * must extend to the next multiple of 8. Returns the bytes processed. */
QUORVEL_API int32_t Bwf_Encrypt(unsigned short *data, const unsigned char *key, int32_t length);
QUORVEL_API int32_t Bwf_Decrypt(unsigned short *data, const unsigned char *key, int32_t length);

/* A zero-padded malloc'd copy, length rounded up to 8 plus two zero bytes;
 * null for a null source. Release with free. */
QUORVEL_API unsigned short *Bwf_Alloc8Byte(const unsigned short *source, int32_t length);

/* 32 lowercase hex digits and a zero byte of the MD5 of a zero-terminated
 * text (output: 33 bytes). */
QUORVEL_API void Md5(const unsigned char *text, unsigned char *output);
/* The 16 raw bytes of HMAC-MD5. */
QUORVEL_API void Md5_HMAC(const unsigned char *text, int textLength,
                          const unsigned char *key, int keyLength,
                          unsigned char *digest);
/* 16 digest bytes as 32 lowercase hex digits and a zero byte. */
QUORVEL_API void Md5_Print(unsigned char *output, const unsigned char *digest);

#endif
