// Thousands-separated integers and decimals, into g_szStrWork.
#include <quorvel/text.h>

#include "platform/utf16.h"

#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace {

// Writes printed digits (after an optional minus sign) into g_szStrWork
// with a comma between groups of three. The sign stands before the groups,
// never inside them.
unsigned short *grouped(const char *printed, int length) {
    const int sign = printed[0] == '-' ? 1 : 0;
    const int digits = length - sign;
    const int total = length + (digits - 1) / 3;
    unsigned short *out = g_szStrWork;
    out[total] = 0;
    int from = length - 1, to = total - 1, copied = 0;
    while (from >= sign) {
        out[to--] = static_cast<unsigned short>(printed[from--]);
        if (++copied % 3 == 0 && from >= sign) out[to--] = ',';
    }
    if (sign) out[0] = '-';
    return g_szStrWork;
}

unsigned short *word(const char16_t *text) {
    size_t at = 0;
    for (; text[at]; ++at) g_szStrWork[at] = static_cast<unsigned short>(text[at]);
    g_szStrWork[at] = 0;
    return g_szStrWork;
}

}  // namespace

unsigned short *Str_AddCommaInt(int64_t value) {
    char printed[32];
    return grouped(printed, std::snprintf(printed, sizeof printed, "%" PRId64, value));
}

unsigned short *Str_AddCommaReal(double value, int decimals) {
    if (std::isnan(value)) return word(u"NaN");
    if (std::isinf(value)) return word(value > 0 ? u"∞" : u"-∞");
    // The integer part is printed whole, so values past the 64-bit range
    // keep their digits; within it this is the 64-bit truncation. (No
    // negative zero: the sign of a fraction is added below.)
    const double whole = std::trunc(value) == 0 ? 0.0 : std::trunc(value);
    char printed[1100];
    char *end = std::to_chars(printed, printed + sizeof printed, whole, std::chars_format::fixed, 0).ptr;
    grouped(printed, static_cast<int>(end - printed));
    if (decimals <= 0) return g_szStrWork;
    size_t at = platform::u16_length(g_szStrWork);
    const double fraction = std::fabs(value - whole);  // exact
    // A negative value with a zero integer part still shows its sign.
    if (whole == 0 && value < 0) {
        for (size_t i = at + 1; i > 0; --i) g_szStrWork[i] = g_szStrWork[i - 1];
        g_szStrWork[0] = '-';
        ++at;
    }
    if (decimals <= 18) {
        // The fraction scaled in double and truncated: 1.15 with 2 gives 1.14.
        const auto scaled = static_cast<int64_t>(fraction * std::pow(10.0, decimals));
        end = printed + std::snprintf(printed, sizeof printed, "0.%0*" PRId64, decimals, scaled);
    } else {
        // Past what a 64-bit integer holds: the fraction's exact digits (it
        // has at most 1074), truncated, then zeros.
        end = std::to_chars(printed, printed + sizeof printed, fraction, std::chars_format::fixed, 1074).ptr;
    }
    g_szStrWork[at++] = '.';
    for (const char *p = printed + 2; decimals-- > 0 && at < QUORVEL_MAX_TEXT - 1; ++p)
        g_szStrWork[at++] = p < end ? static_cast<unsigned short>(*p) : '0';
    g_szStrWork[at] = 0;
    return g_szStrWork;
}
