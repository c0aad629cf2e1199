// The locale's case, kana and width mappings, and the shared result buffer.
#include <quorvel/text.h>

#include "platform/win32.h"

#include <cstdlib>

unsigned short g_szStrWork[QUORVEL_MAX_TEXT];

unsigned short *Str_ConvStr(const unsigned short *text, unsigned char mode) {
    if (!text) return g_szStrWork;
    // Low nibble: kana and width flags (0x00100000 up); high nibble: case,
    // sort key and byte reversal (0x100 up).
    const DWORD flags = static_cast<DWORD>(mode & 0x0F) << 20 | static_cast<DWORD>(mode & 0xF0) << 4;
    const LCID locale = GetSystemDefaultLCID();
    const int needed = LCMapStringW(locale, flags, as_wide(text), -1, nullptr, 0);
    if (needed <= 0) return g_szStrWork;
    // A sort key counts bytes; room for that many units covers it.
    auto *mapped = static_cast<WCHAR *>(std::calloc(static_cast<size_t>(needed) + 1, sizeof(WCHAR)));
    if (!mapped) return g_szStrWork;
    if (LCMapStringW(locale, flags, as_wide(text), -1, mapped, needed) > 0) {
        int i = 0;
        for (; i < QUORVEL_MAX_TEXT - 1 && i < needed && mapped[i]; ++i) g_szStrWork[i] = mapped[i];
        g_szStrWork[i] = 0;
    }
    std::free(mapped);
    return g_szStrWork;
}
