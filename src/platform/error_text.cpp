// FormatMessageW for system message codes: the texts of Wine's message
// tables in English and Japanese (generated at build time from Debian's
// libwine), so both builds show the same text for a code on the same system.
#include "platform/win32.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct SystemMessage {
    DWORD code;
    const char16_t *text;
};

#include "message_tables.inc"

constexpr DWORD kLangNeutral = 0x00;
constexpr DWORD kLangEnglish = 0x09;
constexpr DWORD kLangJapanese = 0x11;
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;
constexpr DWORD ERROR_RESOURCE_LANG_NOT_FOUND = 1815;

template <size_t N>
const char16_t *find_in(const SystemMessage (&table)[N], DWORD code) {
    const SystemMessage *end = table + N;
    const SystemMessage *found = std::lower_bound(
        table, end, code, [](const SystemMessage &entry, DWORD c) { return entry.code < c; });
    return found != end && found->code == code ? found->text : nullptr;
}

// The text for `code` in the language `languageId` asks for: a neutral
// language means the user's, and English is the last resort, as on Windows.
// Sets the last error and returns null when there is none.
const char16_t *find_text(DWORD code, DWORD languageId) {
    DWORD primary = languageId & 0x3FF;
    const bool neutral = primary == kLangNeutral;
    if (neutral) primary = GetUserDefaultLCID() & 0x3FF;
    if (primary != kLangEnglish && primary != kLangJapanese) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return nullptr;
    }
    const char16_t *text = primary == kLangJapanese ? find_in(kJapaneseMessages, code)
                                                    : find_in(kEnglishMessages, code);
    if (!text && neutral) text = find_in(kEnglishMessages, code);
    if (!text) SetLastError(ERROR_MR_MID_NOT_FOUND);
    return text;
}

}  // namespace

HLOCAL quorvel_win32::LocalAlloc(UINT flags, size_t bytes) {
    void *memory = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                           : std::malloc(bytes ? bytes : 1);
    if (!memory) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return memory;
}

HLOCAL quorvel_win32::LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

DWORD quorvel_win32::FormatMessageW(DWORD flags, const void *, DWORD messageId, DWORD languageId,
                                    LPWSTR buffer, DWORD size, va_list *) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t *text = find_text(messageId, languageId);
    if (!text) return 0;
    // Inserts are not formatted here: a text that has some needs the caller
    // to ignore them.
    const size_t length = std::char_traits<char16_t>::length(text);
    if (!(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && std::find(text, text + length, u'%') != text + length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WCHAR *target;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        target = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
        if (!target) return 0;
        *reinterpret_cast<WCHAR **>(buffer) = target;
    } else {
        if (!buffer || size <= length) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        target = buffer;
    }
    std::memcpy(target, text, length * sizeof(WCHAR));
    target[length] = 0;
    return static_cast<DWORD>(length);
}
