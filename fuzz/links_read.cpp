// Cfl_ReadLinkFile and Cfl_ReadUrlFile on any bytes: no read outside the
// file, and every text handed out terminated inside a buffer of exactly the
// size given (1 to 64 units, from the input's size, so that short buffers
// are met with the same shortcut).
#include "input_file.h"

#include <quorvel/links.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

void check_terminated(const std::vector<unsigned short> &buffer) {
    if (std::find(buffer.begin(), buffer.end(), 0) == buffer.end()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const fuzz::InputFile input("input.lnk");
    const unsigned short *path = input.write(data, size);
    const int room = 1 + static_cast<int>(size % 64);
    std::vector<unsigned short> target(room, 0xFFFF), arguments(room, 0xFFFF), folder(room, 0xFFFF);
    int show = 0;
    if (Cfl_ReadLinkFile(path, target.data(), room, arguments.data(), room, folder.data(), room,
                         &show)) {
        for (const auto *buffer : {&target, &arguments, &folder}) check_terminated(*buffer);
    }
    std::vector<unsigned short> url(QUORVEL_MAX_TEXT, 0xFFFF);
    if (Cfl_ReadUrlFile(path, url.data()) && url[0] != 0xFFFF) check_terminated(url);
    return 0;
}
