// Bwf_Encrypt, Bwf_Decrypt and Bwf_Verify over Fl_ handles: whole chunks are
// read, enciphered in place and written with one call each, with a progress
// call at every MiB enciphered and after every chunk.
#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/stream.h>

#include "crypto/blowfish.h"
#include "crypto/stream_state.h"
#include "platform/win32.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

using crypto::kMiB;
using crypto::stream_state;

namespace {

constexpr uint32_t kFromCurrent = 1;

uint32_t whole_blocks(uint32_t bytes) { return (bytes + 7) / 8 * 8; }

// Writes `count` bytes. A write that succeeds short of them found no room:
// Wine writes what fits on a full disk and reports no error.
bool write_whole(void *output, const unsigned char *data, uint32_t count) {
    const uint32_t written = Fl_Write(output, data, count);
    if (written == count) return true;
    if (written != FL_FAILED) SetLastError(ERROR_DISK_FULL);
    return false;
}

// What is still pending, written and emptied.
bool write_pending(void *output, std::string &pending) {
    const bool whole = write_whole(output, reinterpret_cast<const unsigned char *>(pending.data()),
                                   static_cast<uint32_t>(pending.size()));
    pending.clear();
    return whole;
}

// Writes `count` bytes after those still pending: a small piece with them
// in one call (a small file's container is one write), a large one after
// them, never copied.
bool write_after(void *output, std::string &pending, const unsigned char *data, uint32_t count) {
    constexpr uint32_t kJoinedBytes = 64 * 1024;
    if (!pending.empty() && count <= kJoinedBytes) {
        pending.append(reinterpret_cast<const char *>(data), count);
        return write_pending(output, pending);
    }
    if (!pending.empty() && !write_pending(output, pending)) return false;
    return write_whole(output, data, count);
}

// Reads up to `want` bytes of the input: those the caller held first, then
// the file's. FL_FAILED when the file cannot be read.
uint32_t read_input(void *input, unsigned char *buffer, uint32_t want, const unsigned char *&held,
                    uint32_t &held_bytes) {
    const uint32_t from_held = std::min(want, held_bytes);
    if (from_held) std::memcpy(buffer, held, from_held);
    held += from_held;
    held_bytes -= from_held;
    if (from_held == want) return want;
    const uint32_t got = Fl_Read(input, buffer + from_held, want - from_held);
    return got == FL_FAILED ? FL_FAILED : from_held + got;
}

// One stream function's count of bytes done and its progress calls.
struct Run {
    BWF_PROGRESS callback;
    int64_t total;       // first argument of every call
    int64_t input_size;  // second argument of the in-chunk calls of a verify
    bool verifying;
    int64_t done = 0;
    uint32_t since_report = 0;

    // The call made at each MiB: (total, done, 0), or for a verify
    // (n, input size, done).
    int report_mib() const {
        if (!callback) return 1;
        return verifying ? callback(total, input_size, done) : callback(total, done, 0);
    }
};

// Enciphers `bytes` (whole blocks) in place, reporting each MiB. 1, or the
// callback's stopping value.
int cipher_chunk(Run &run, unsigned char *data, uint32_t bytes, bool encrypt) {
    const BWF_CTX &ctx = crypto::shared_context();
    for (uint32_t offset = 0; offset < bytes;) {
        const uint32_t step = std::min(bytes - offset, kMiB - run.since_report);
        if (encrypt) {
            crypto::encrypt_blocks(ctx, data + offset, step / 8);
        } else {
            crypto::decrypt_blocks(ctx, data + offset, step / 8);
        }
        offset += step;
        run.done += step;
        run.since_report += step;
        if (run.since_report == kMiB) {
            run.since_report = 0;
            if (int result = run.report_mib(); result != 1) return result;
        }
    }
    return 1;
}

// The start the three share. False: fail with 0 before any work, keeping
// the callback registered. Otherwise the registration is used up here.
bool start(int64_t init_figure, void *input, void *other, const unsigned char *key,
           Run &run, const crypto::InputAt *known) {
    auto &s = stream_state();
    if ((!s.input || !s.compare) && !Bwf_Init(init_figure)) return false;
    if (!input || !other || !key) return false;
    run.callback = std::exchange(s.callback, nullptr);
    // A size that cannot be read is -1: no position lies below it, so the
    // stream ends at once with 1 (Fl_FileSize has shown the error).
    run.input_size = known ? known->size : Fl_FileSize(input);
    Bwf_InitKey(&crypto::shared_context(), key,
                static_cast<int>(std::strlen(reinterpret_cast<const char *>(key))));
    return true;
}

// The zero bytes that complete the last block of a read. Only the bytes
// between the data read and the next block end are ever used, so only they
// are cleared.
void zero_tail(unsigned char *buffer, uint32_t got) {
    std::memset(buffer + got, 0, whole_blocks(got) - got);
}

int64_t position(void *input, const crypto::InputAt *known) {
    return known ? known->position : Fl_Seek(input, 0, kFromCurrent);
}

// Decrypts n bytes; writes them to `other`, or compares them with it.
int decrypt(void *input, void *other, const unsigned char *key, int64_t n, bool verifying,
            const crypto::InputAt *known) {
    Run run{nullptr, n, 0, verifying};
    if (!start(verifying ? 4 * kMiB : 0, input, other, key, run, known)) return 0;
    auto &s = stream_state();

    int64_t at = position(input, known);
    const unsigned char *held = known ? known->held : nullptr;
    uint32_t held_bytes = known ? known->held_bytes : 0;
    for (int64_t remaining = n; remaining > 0;) {
        if (at >= run.input_size) return 1;
        const uint32_t want =
            whole_blocks(static_cast<uint32_t>(std::min<int64_t>(s.chunk_size, remaining)));
        const uint32_t got = read_input(input, s.input, want, held, held_bytes);
        if (got == FL_FAILED) return 0;
        if (got == 0) return 1;
        at += got;
        zero_tail(s.input, got);
        remaining -= want;

        const uint32_t bytes = whole_blocks(std::min(want, whole_blocks(got)));
        if (int result = cipher_chunk(run, s.input, bytes, false); result != 1) return result;
        // The zero padding of the last block is not part of the plain text.
        uint32_t count = bytes;
        if (n > 0 && run.done > n) count -= static_cast<uint32_t>(run.done - n);

        if (!verifying) {
            if (!write_whole(other, s.input, count)) return 0;
            if (run.callback) {
                if (int result = run.callback(n, run.done, 0); result != 1) return result;
            }
            continue;
        }
        // Bytes missing from the original read as zeros.
        const uint32_t compared = Fl_Read(other, s.compare, count);
        if (compared == FL_FAILED) return 0;
        std::memset(s.compare + compared, 0, count - compared);
        const bool differs = std::memcmp(s.input, s.compare, count) != 0;
        if (run.callback) {
            if (int result = run.callback(n, run.input_size, run.done); result != 1) return result;
        }
        if (differs) return 0;
    }
    return 1;
}

int encrypt(void *input, void *output, const unsigned char *key, int64_t total,
            const crypto::InputAt *known, std::string pending = {}) {
    Run run{nullptr, total, 0, false};
    if (!start(0, input, output, key, run, known)) return 0;
    auto &s = stream_state();

    // Reads stop at the size the input had at the start, so that the last
    // read is not followed by one that finds the end.
    for (int64_t at = position(input, known); at < run.input_size;) {
        const uint32_t want =
            static_cast<uint32_t>(std::min<int64_t>(s.chunk_size, run.input_size - at));
        const uint32_t got = Fl_Read(input, s.input, want);
        if (got == FL_FAILED) return 0;
        if (got == 0) {
            // A container's entry already holds the size: a body cut short
            // by a file shrinking while it is read would not match it.
            if (!known) return 1;
            SetLastError(ERROR_HANDLE_EOF);
            return 0;
        }
        at += got;
        assert(whole_blocks(got) <= crypto::chunk_buffer_bytes(s.chunk_size));  // the padding fits
        zero_tail(s.input, got);
        const uint32_t rounded = whole_blocks(got);
        const uint32_t bytes = whole_blocks(std::min(s.chunk_size, rounded));
        if (int result = cipher_chunk(run, s.input, bytes, true); result != 1) return result;
        if (!write_after(output, pending, s.input, rounded)) return 0;
        if (run.callback) {
            if (int result = run.callback(total, run.done, 0); result != 1) return result;
        }
    }
    // An empty body: what was pending goes alone.
    return pending.empty() || write_pending(output, pending) ? 1 : 0;
}

}  // namespace

int crypto::encrypt_stream(void *input, void *output, const unsigned char *key, int64_t total,
                           const InputAt &known, const std::string &prefix) {
    return encrypt(input, output, key, total, &known, prefix);
}

int crypto::decrypt_stream(void *input, void *output, const unsigned char *key, int64_t n,
                           const InputAt &known) {
    return decrypt(input, output, key, n, false, &known);
}

int Bwf_Encrypt(void *input, void *output, const unsigned char *key, int64_t total) {
    return encrypt(input, output, key, total, nullptr);
}

int Bwf_Decrypt(void *input, void *output, const unsigned char *key, int64_t n) {
    return decrypt(input, output, key, n, false, nullptr);
}

int Bwf_Verify(void *enciphered, void *original, const unsigned char *key, int64_t n) {
    return decrypt(enciphered, original, key, n, true, nullptr);
}
