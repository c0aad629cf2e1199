// Conversions between UTF-16 and the ANSI code page, UTF-8 and EUC-JP.
#include <quorvel/text.h>

#include "platform/win32.h"
#include "platform/utf16.h"

#include <cstring>
#include <new>

namespace {

constexpr uint32_t kZeroTerminated = 0xFFFFFFFFu;

// The system converters take an int length; -1 means zero-terminated.
bool to_system_length(uint32_t length, int &out) {
    if (length == kZeroTerminated) {
        out = -1;
        return true;
    }
    if (length == 0 || length > 0x7FFFFFF0u) return false;
    out = static_cast<int>(length);
    return true;
}

// Room for `perInput` results (units or bytes) for each of `inputs` lets a
// single pass convert, where counting first would take two; 0 for text too
// long for that, which is counted.
int single_pass_room(size_t inputs, size_t perInput) {
    return inputs <= 0x7FFFFFF0u / perInput ? static_cast<int>(inputs * perInput) : 0;
}

}  // namespace

unsigned short *Str_ToUnicode(const char *text, DWORD length) {
    int n;
    if (!text || !to_system_length(length, n)) return nullptr;
    // A byte never makes more than one unit.
    int room = single_pass_room(n == -1 ? std::strlen(text) + 1 : static_cast<size_t>(n), 1);
    if (!room) room = MultiByteToWideChar(CP_THREAD_ACP, 0, text, n, nullptr, 0);
    if (room <= 0) return nullptr;
    auto *result = new (std::nothrow) unsigned short[static_cast<size_t>(room) + 3];
    if (!result) return nullptr;
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, n, as_wide(result), room) <= 0) {
        delete[] result;
        return nullptr;
    }
    return result;
}

char *Str_FromUnicode(const unsigned short *text, DWORD length) {
    int n;
    if (!text || !to_system_length(length, n)) return nullptr;
    // No ANSI code page takes more than three bytes a unit (UTF-8's most).
    int room = single_pass_room(n == -1 ? platform::u16_length(text) + 1 : static_cast<size_t>(n), 3);
    if (!room) room = WideCharToMultiByte(CP_THREAD_ACP, 0, as_wide(text), n, nullptr, 0, nullptr, nullptr);
    if (room <= 0) return nullptr;
    auto *result = new (std::nothrow) char[static_cast<size_t>(room) + 3];
    if (!result) return nullptr;
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, as_wide(text), n, result, room, nullptr, nullptr) <= 0) {
        delete[] result;
        return nullptr;
    }
    return result;
}

char *Str_Utf8ToShiftJis(const char *text) {
    if (!text || !*text) return nullptr;
    const size_t bytes = std::strlen(text);
    if (bytes > 0x7FFFFFF0u) return nullptr;
    const int n = static_cast<int>(bytes);
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, n, nullptr, 0);
    if (units <= 0) return nullptr;
    auto *wide = new (std::nothrow) WCHAR[static_cast<size_t>(units)];
    if (!wide) return nullptr;
    char *result = nullptr;
    if (MultiByteToWideChar(CP_UTF8, 0, text, n, wide, units) == units) {
        const int needed = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
        if (needed > 0) result = new (std::nothrow) char[static_cast<size_t>(needed) + 3]();
        if (result &&
            WideCharToMultiByte(CP_ACP, 0, wide, units, result, needed, nullptr, nullptr) != needed) {
            delete[] result;
            result = nullptr;
        }
    }
    delete[] wide;
    return result;
}

char *Str_UnicodeToUtf8(const unsigned short *text, int &count) {
    count = 0;
    if (!text || !*text) return nullptr;
    const size_t units = platform::u16_length(text);
    if (units > 0x7FFFFFF0u / 3) return nullptr;
    const int n = static_cast<int>(units);
    const int needed = WideCharToMultiByte(CP_UTF8, 0, as_wide(text), n, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return nullptr;
    count = needed;
    auto *result = new (std::nothrow) char[static_cast<size_t>(needed) + 3];
    if (!result) {
        count = 0;
        return nullptr;
    }
    result[0] = 0;
    if (WideCharToMultiByte(CP_UTF8, 0, as_wide(text), n, result, needed, nullptr, nullptr) != needed) {
        delete[] result;
        count = 0;
        return nullptr;
    }
    result[needed] = 0;  // room for it was allocated; callers may treat it as a string
    return result;
}
