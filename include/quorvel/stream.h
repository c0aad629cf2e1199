/* Quorvel: Blowfish over whole files, chunk by chunk, between Fl_ handles.
 *
 * The stream is cut into 8-byte blocks, each enciphered by itself under the
 * library's shared schedule (see Bwf_InitKey); the last block is completed
 * with zero bytes, so n plain bytes become n rounded up to 8. Only one
 * stream function may run at a time. */
#ifndef QUORVEL_STREAM_H
#define QUORVEL_STREAM_H

#include <quorvel/base.h>

/* Progress callback: (total, done, second done). 1 goes on; any other value
 * stops the stream function, which returns that value. Prg_ProgressCall is
 * one. */
typedef int (*BWF_PROGRESS)(int64_t total, int64_t done, int64_t secondDone);

#ifdef __cplusplus
/* Registers the callback for the next stream function only; always 1. */
QUORVEL_API int Bwf_FuncCall(BWF_PROGRESS callback);

/* Allocates the two chunk buffers. The chunk size follows `figure` in
 * bytes (0: half the machine's physical memory): above 8 MiB 8 MiB chunks,
 * 5 to 8 MiB 4 MiB, 3 to 4 MiB 2 MiB, 1 to 2 MiB the figure itself (keep
 * it a multiple of 8), below that 1 MiB. 1 when both were allocated, else
 * 0 with everything released. The stream functions call it when needed. */
QUORVEL_API int Bwf_Init(int64_t figure);

/* Loads the 4096-byte key block (bytes 4096 to 8191 of the file stand in
 * for it, replaced by the first 4096 decrypted 20 times under `key` when
 * both halves were read). 1 when the file gave both halves, else 0. */
QUORVEL_API int Bwf_ReadKey(const unsigned short *path, const unsigned char *key);

/* Releases the buffers and the key block and forgets the scheduled key. */
QUORVEL_API void Bwf_Destroy(void);

/* Each reads from the input's current position. Results: 1 done (also when
 * the input ended early, or its size could not be read and it counts as
 * ended at once), 0 on a failure, or the callback's stopping value.
 * A failure or a stop leaves the chunks written before it in place.
 *
 * Encrypt: the whole input from its position on; `total` is only passed to
 * the callback. Decrypt: n plain bytes, consuming n rounded up to 8 bytes
 * of input. Verify: decrypts n bytes and compares them with `original`;
 * 0 on the first differing chunk. The callback is called at each MiB and
 * after each chunk. */
QUORVEL_API int Bwf_Encrypt(void *input, void *output, const unsigned char *key, int64_t total);
QUORVEL_API int Bwf_Decrypt(void *input, void *output, const unsigned char *key, int64_t n);
QUORVEL_API int Bwf_Verify(void *enciphered, void *original, const unsigned char *key, int64_t n);
#endif

#endif
