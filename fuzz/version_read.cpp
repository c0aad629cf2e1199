// The version calls on any file (PE or ELF images, mutated): the block they
// hand out, whole or cut short by a buffer of half its size (odd input
// sizes), is walked by VerQueryValueW and ver_GetDynamicInfo without a read
// outside it, and every value found lies inside it.
#include "input_file.h"

#include <quorvel/version.h>
#include "winapi/winapi.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const fuzz::InputFile input("input.dll");
    const WCHAR *path = input.write(data, size);
    DWORD ignored = 0;
    const DWORD length = GetFileVersionInfoSizeW(path, &ignored);
    if (!length) return 0;
    const DWORD room = size & 1 ? length / 2 + 1 : length;
    std::vector<unsigned char> block(room);
    if (!GetFileVersionInfoW(path, 0, room, block.data())) return 0;
    const unsigned char *end = block.data() + block.size();
    for (const char16_t *query : {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo"}) {
        void *value = nullptr;
        UINT units = 0;
        if (!VerQueryValueW(block.data(), reinterpret_cast<const WCHAR *>(query), &value, &units))
            continue;
        const unsigned char *found = static_cast<const unsigned char *>(value);
        if (found < block.data() || found > end || units > static_cast<size_t>(end - found))
            std::abort();
    }
    ver_GetDynamicInfo(block.data());
    return 0;
}
