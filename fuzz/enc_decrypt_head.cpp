// Enc_DecryptHead on mutated containers, restoring into a sandbox folder:
// no crash, and nothing written outside the output folder.
#include "container_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static fuzz::Sandbox sandbox;
    const std::string container = fuzz::prepare(data, size);
    sandbox.write(reinterpret_cast<const uint8_t *>(container.data()), container.size());
    Enc_DecryptHead(fuzz::u16(fuzz::kPassword), fuzz::u16(sandbox.container),
                    fuzz::u16(sandbox.output));
    sandbox.check_and_clear();
    return 0;
}
