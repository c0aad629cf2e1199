// Str_ToUnicode, Str_FromUnicode and Str_UnicodeToEucJP on arbitrary bytes
// and units, under the ANSI code pages 932, 1252 and UTF-8. Neither
// direction may fail on text of at least one unit: bad bytes become the
// code page's default character, unmappable units '?'.
#include <quorvel/text.h>
#include "winapi/winapi.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    static const UINT kCodePages[] = {932, 1252, CP_UTF8};
    Quorvel_SetAnsiCodePage(kCodePages[data[0] % 3]);
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const auto length = static_cast<uint32_t>(size - 1);

    unsigned short *wide = Str_ToUnicode(bytes, length);
    if (!wide) __builtin_trap();
    delete[] wide;

    std::vector<unsigned short> units;
    for (size_t i = 1; i + 1 < size; i += 2) units.push_back(static_cast<unsigned short>(data[i] | data[i + 1] << 8));
    if (!units.empty()) {
        char *narrow = Str_FromUnicode(units.data(), static_cast<uint32_t>(units.size()));
        if (!narrow) __builtin_trap();
        delete[] narrow;
    }
    units.push_back(0);
    int count = 0;
    delete[] Str_UnicodeToEucJP(units.data(), count);
    delete[] Str_UnicodeToUtf8(units.data(), count);
    return 0;
}
