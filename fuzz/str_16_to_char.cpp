// Str_16ToChar on arbitrary units and widths.
#include <quorvel/text.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    const int digits = data[0] % 34;  // 0, 32 and 33 are refused
    std::vector<unsigned short> text;
    for (size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<unsigned short>(data[i] | data[i + 1] << 8));
    text.push_back(0);
    std::free(Str_16ToChar(text.data(), digits));
    return 0;
}
