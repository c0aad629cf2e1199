// EUC-JP through mlang.dll, loaded for each call and freed again.
#include <quorvel/text.h>

#include "platform/win32.h"
#include "platform/utf16.h"

#include <new>

namespace {
using ConvertINetUnicodeToMultiByteFn = HRESULT(WINAPI *)(DWORD *, DWORD, LPCWSTR, INT *,
                                                          LPSTR, INT *);
constexpr DWORD kEucJp = 51932;
}  // namespace

char *Str_UnicodeToEucJP(const unsigned short *text, int &count) {
    count = 0;
    if (!text) return nullptr;
    const size_t units = platform::u16_length(text);
    if (units > 0x3FFFFFF0u) return nullptr;
    HMODULE mlang = LoadLibraryW(L"mlang.dll");
    if (!mlang) return nullptr;
    auto convert = reinterpret_cast<ConvertINetUnicodeToMultiByteFn>(
        reinterpret_cast<void *>(GetProcAddress(mlang, "ConvertINetUnicodeToMultiByte")));
    char *result = nullptr;
    if (convert) {
        INT n = static_cast<INT>(units);
        count = 2 * n + 7;
        result = new (std::nothrow) char[2 * units + 8];
        if (result) {
            result[0] = 0;
            DWORD mode = 0;
            if (convert(&mode, kEucJp, as_wide(text), &n, result, &count) == S_OK &&
                count >= 0 && count <= 2 * static_cast<int>(units) + 7) {
                result[count] = 0;
            } else {
                delete[] result;
                result = nullptr;
            }
        }
        if (!result) count = 0;
    }
    FreeLibrary(mlang);
    return result;
}
