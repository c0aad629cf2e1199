#include "crypto/stream_state.h"

#include "crypto/blowfish.h"
#include "platform/win32.h"

#include <cstdlib>

namespace crypto {

StreamState &stream_state() {
    static StreamState state;
    return state;
}

std::size_t chunk_buffer_bytes(uint32_t chunk_size) {
    return (std::size_t{chunk_size} + 7) / 8 * 8 + 8;
}

namespace {

// Half the machine's physical memory; 0 (the smallest chunks) when the
// system does not say.
int64_t half_of_physical_memory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return static_cast<int64_t>(status.ullTotalPhys / 2);
}

uint32_t chunk_size_for(int64_t figure) {
    const int64_t mib = figure / 1024 / 1024;
    if (mib > 8) return 8 * kMiB;
    if (mib >= 5) return 4 * kMiB;
    if (mib >= 3) return 2 * kMiB;
    if (mib >= 1) return static_cast<uint32_t>(figure);
    return kMiB;
}

}  // namespace
}  // namespace crypto

int Bwf_FuncCall(BWF_PROGRESS callback) {
    crypto::stream_state().callback = callback;
    return 1;
}

int Bwf_Init(int64_t figure) {
    auto &s = crypto::stream_state();
    if (figure == 0) figure = crypto::half_of_physical_memory();
    // Buffers of an earlier size go first, so that they always match it.
    std::free(s.input);
    std::free(s.compare);
    s.chunk_size = crypto::chunk_size_for(figure);
    const std::size_t bytes = crypto::chunk_buffer_bytes(s.chunk_size);
    s.input = static_cast<unsigned char *>(std::malloc(bytes));
    s.compare = static_cast<unsigned char *>(std::malloc(bytes));
    if (!s.input || !s.compare) {
        Bwf_Destroy();
        return 0;
    }
    return 1;
}

void Bwf_Destroy(void) {
    auto &s = crypto::stream_state();
    crypto::empty_key_cache();
    std::free(s.key_block);
    std::free(s.input);
    std::free(s.compare);
    s.key_block = s.input = s.compare = nullptr;
}
