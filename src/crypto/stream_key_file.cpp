// Bwf_ReadKey: the key block from a key file of at least 8192 bytes.
#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/stream.h>

#include "crypto/stream_state.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kDecryptRounds = 20;
constexpr uint32_t kHalf = crypto::kKeyBlockBytes;

}  // namespace

int Bwf_ReadKey(const unsigned short *path, const unsigned char *key) {
    if (!path || !path[0] || !key || !key[0]) return 0;
    void *file = Fl_Open(path, FL_READ, 0);
    if (!file) return 0;

    auto &s = crypto::stream_state();
    auto *work = static_cast<unsigned char *>(std::malloc(kHalf));
    if (!s.key_block) s.key_block = static_cast<unsigned char *>(std::malloc(kHalf));
    const bool read = work && s.key_block && Fl_Read(file, work, kHalf) == kHalf &&
                      Fl_Read(file, s.key_block, kHalf) == kHalf;
    Fl_Close(file);

    if (read) {
        for (int i = 0; i < kDecryptRounds; ++i)
            Bwf_Decrypt(reinterpret_cast<unsigned short *>(work), key, static_cast<int32_t>(kHalf));
        std::memcpy(s.key_block, work, kHalf);
    }
    std::free(work);
    return read ? 1 : 0;
}
