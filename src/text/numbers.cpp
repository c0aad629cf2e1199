// Thousands-separated integers and decimals, into g_szStrWork.
#include <quorvel/text.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>

unsigned short *Str_AddCommaInt(int64_t value) {
    char printed[256];
    const int length = std::snprintf(printed, sizeof printed, "%" PRId64, value);
    // The sign stands before the groups, never inside them.
    const int sign = value < 0 ? 1 : 0;
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

unsigned short *Str_AddCommaReal(double value, int decimals) {
    if (std::isnan(value)) value = 0;
    // Out-of-range values saturate rather than overflow the conversion.
    const double limit = 9.2e18;
    const double clamped = value > limit ? limit : value < -limit ? -limit : value;
    const int64_t whole = static_cast<int64_t>(clamped);
    Str_AddCommaInt(whole);
    if (decimals <= 0) return g_szStrWork;
    if (decimals > 18) decimals = 18;
    size_t at = 0;
    while (g_szStrWork[at]) ++at;
    // A negative value with a zero integer part still shows its sign.
    if (whole == 0 && clamped < 0 && std::trunc(clamped) != clamped) {
        for (size_t i = at + 1; i > 0; --i) g_szStrWork[i] = g_szStrWork[i - 1];
        g_szStrWork[0] = '-';
        ++at;
    }
    double scaled = (clamped - static_cast<double>(whole)) * std::pow(10.0, decimals);
    if (scaled < 0) scaled = -scaled;
    char format[16], printed[64];
    std::snprintf(format, sizeof format, ".%%0%d" PRId64, decimals);
    std::snprintf(printed, sizeof printed, format, static_cast<int64_t>(scaled));
    for (const char *p = printed; *p && at < QUORVEL_MAX_TEXT - 1; ++p)
        g_szStrWork[at++] = static_cast<unsigned short>(*p);
    g_szStrWork[at] = 0;
    return g_szStrWork;
}
