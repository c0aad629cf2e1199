// EUC-JP without mlang.dll: the platform layer's code page 51932.
#include <quorvel/text.h>

#include "platform/win32.h"
#include "platform/utf16.h"

#include <new>

char *Str_UnicodeToEucJP(const unsigned short *text, int &count) {
    count = 0;
    if (!text) return nullptr;
    const size_t units = platform::u16_length(text);
    if (units > 0x3FFFFFF0u) return nullptr;
    const int n = static_cast<int>(units);
    count = 2 * n + 7;
    auto *result = new (std::nothrow) char[2 * units + 8];
    if (!result) {
        count = 0;
        return nullptr;
    }
    result[0] = 0;
    if (n == 0) {
        count = 0;
        return result;
    }
    const int written =
        WideCharToMultiByte(51932, 0, as_wide(text), n, result, count, nullptr, nullptr);
    if (written <= 0) {
        delete[] result;
        count = 0;
        return nullptr;
    }
    count = written;
    result[written] = 0;
    return result;
}
