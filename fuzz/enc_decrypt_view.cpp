// Enc_DecryptView on mutated containers: no crash, a result of -1 to 255,
// and a name that is either untouched or a terminated plain name.
#include "container_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static fuzz::Sandbox sandbox;
    const std::string container = fuzz::prepare(data, size);
    sandbox.write(reinterpret_cast<const uint8_t *>(container.data()), container.size());
    unsigned short name[QUORVEL_MAX_TEXT];
    std::memset(name, 0xAB, sizeof name);
    const int result = Enc_DecryptView(fuzz::u16(fuzz::kPassword), fuzz::u16(sandbox.container), name);
    if (result < -1 || result > 255) std::abort();
    if (name[0] != 0xABAB) {
        size_t n = 0;
        while (n < QUORVEL_MAX_TEXT && name[n]) ++n;
        if (n == QUORVEL_MAX_TEXT) std::abort();
    }
    sandbox.check_and_clear();
    return 0;
}
