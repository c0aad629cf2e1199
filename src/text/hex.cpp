// The hexadecimal form of UTF-16 text, and back.
#include <quorvel/text.h>

#include "platform/utf16.h"

#include <cstdlib>

namespace {

int digit_value(unsigned short c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool is_blank(unsigned short c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// One group read as wcstol(group, 0, 16) reads it with the 32-bit long of
// Windows: blanks, a sign, an optional 0x, digits up to the first other
// character (0 when none), saturating at LONG_MAX / LONG_MIN.
unsigned short parse_group(const unsigned short *group, int length) {
    int i = 0;
    while (i < length && is_blank(group[i])) ++i;
    bool negative = false;
    if (i < length && (group[i] == '+' || group[i] == '-')) negative = group[i++] == '-';
    if (i + 2 < length && group[i] == '0' && (group[i + 1] == 'x' || group[i + 1] == 'X') &&
        digit_value(group[i + 2]) >= 0)
        i += 2;
    uint64_t value = 0;
    for (; i < length && digit_value(group[i]) >= 0; ++i) {
        value = value << 4 | static_cast<unsigned>(digit_value(group[i]));
        if (value > 0xFFFFFFFFu) value = 0x100000000u;  // past any 32-bit long
    }
    int32_t result;
    if (!negative)
        result = value > 0x7FFFFFFFu ? INT32_MAX : static_cast<int32_t>(value);
    else
        result = value > 0x80000000u ? INT32_MIN : static_cast<int32_t>(0 - value);
    return static_cast<unsigned short>(static_cast<uint32_t>(result) & 0xFFFF);
}

}  // namespace

unsigned short *Str_CharTo16(const unsigned short *text) {
    if (!text) return nullptr;
    const size_t n = platform::u16_length(text);
    auto *result = static_cast<unsigned short *>(std::calloc(4 * n + 12, sizeof(unsigned short)));
    if (!result) return nullptr;
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < n; ++i)
        for (int k = 0; k < 4; ++k)
            result[4 * i + k] = static_cast<unsigned short>(kDigits[(text[i] >> (12 - 4 * k)) & 0xF]);
    return result;
}

unsigned short *Str_16ToChar(const unsigned short *text, int digits) {
    if (!text || digits < 1 || digits > 31) return nullptr;
    const size_t n = platform::u16_length(text);
    auto *result = static_cast<unsigned short *>(std::calloc(n + 3, sizeof(unsigned short)));
    if (!result) return nullptr;
    size_t out = 0;
    for (size_t at = 0; at < n; at += static_cast<size_t>(digits)) {
        const size_t left = n - at;
        const int length = left < static_cast<size_t>(digits) ? static_cast<int>(left) : digits;
        result[out++] = parse_group(text + at, length);
    }
    return result;
}
