// Str_JisToSJis on arbitrary bytes, with exactly the documented room.
#include <quorvel/text.h>

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<char> in(data, data + size);
    in.push_back(0);
    std::vector<char> out(2 * std::strlen(in.data()) + 1);
    Str_JisToSJis(in.data(), out.data());
    return 0;
}
