// Str_SJisToJis on arbitrary bytes, with exactly the documented room.
#include <quorvel/text.h>
#include "winapi/winapi.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Quorvel_SetAnsiCodePage(932);
    std::vector<char> in(data, data + size);
    in.push_back(0);
    std::vector<char> out(7 * std::strlen(in.data()) + 1);
    Str_SJisToJis(in.data(), out.data());
    return 0;
}
