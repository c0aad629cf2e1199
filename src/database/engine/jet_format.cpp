// Format(value, pattern) for numbers and dates, as Visual Basic formats
// them: number patterns of 0 # . , % with up to four sections
// (positive;negative;zero;null), date patterns of y q m d w h n s and
// AM/PM, the named formats, quoted and \-escaped literals. Numbers round
// halves away from zero, on their 15 significant digits.
#include "database/engine/jet_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace dbengine {
namespace {

using Text = std::u16string;

Text ascii(const std::string &s) { return Text(s.begin(), s.end()); }

bool same(const Text &a, const char *b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (to_lower(a[i]) != static_cast<char16_t>(to_lower(static_cast<unsigned char>(b[i])))) return false;
    return true;
}

// |value| rounded to `decimals` places: the whole digits and the fraction.
void fixed(double value, int decimals, std::string *whole, std::string *fraction) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits = std::string(1, buffer[0]) + std::string(buffer + 2, 14);
    int point = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
    if (point < 1) digits.insert(0, static_cast<size_t>(1 - point), '0'), point = 1;
    const size_t keep = static_cast<size_t>(point + decimals);
    if (keep < digits.size()) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        for (size_t i = keep; up && i-- > 0;) {
            if (digits[i] == '9') {
                digits[i] = '0';
                if (i == 0) digits.insert(0, "1"), ++point;
            } else {
                ++digits[i];
                break;
            }
        }
    } else {
        digits.append(keep - digits.size(), '0');
    }
    *whole = digits.substr(0, static_cast<size_t>(point));
    *fraction = digits.substr(static_cast<size_t>(point));
    const size_t first = whole->find_first_not_of('0');
    whole->erase(0, first == std::string::npos ? whole->size() : first);
}

// Splits a pattern at the `;` outside quotes.
std::vector<Text> sections(const Text &pattern) {
    std::vector<Text> out(1);
    bool quoted = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '"') quoted = !quoted;
        if (pattern[i] == '\\' && i + 1 < pattern.size()) out.back() += pattern[i++];
        if (pattern[i] == ';' && !quoted) out.emplace_back();
        else out.back() += pattern[i];
    }
    return out;
}

Text format_number(double value, const Text &pattern) {
    std::vector<Text> parts = sections(pattern);
    Text section = parts[0];
    bool sign = value < 0;
    if (value < 0 && parts.size() > 1 && !parts[1].empty()) section = parts[1], sign = false;
    if (value == 0 && parts.size() > 2 && !parts[2].empty()) section = parts[2];
    // The placeholders: integer ones before the point, decimal ones after.
    Text before, after;
    int min_whole = 0, decimals = 0, min_decimals = 0;
    bool point = false, group = false, percent = false;
    size_t first = Text::npos, last = 0;
    for (size_t i = 0; i < section.size(); ++i) {
        const char16_t ch = section[i];
        if (ch == '"') {
            while (++i < section.size() && section[i] != '"') {
            }
            continue;
        }
        if (ch == '\\') {
            ++i;
            continue;
        }
        if (ch == '%') percent = true;
        if (ch == '0' || ch == '#' || (ch == '.' && !point)) {
            if (first == Text::npos) first = i;
            last = i;
        }
        if (ch == '.') point = point || first != Text::npos;
        if ((ch == '0' || ch == '#') && point) {
            ++decimals;
            if (ch == '0') min_decimals = decimals;
        } else if (ch == '0') {
            ++min_whole;
        } else if (ch == ',' && first != Text::npos && !point) {
            group = true;
        }
    }
    if (percent) value *= 100;
    if (!std::isfinite(value)) return u"";
    std::string whole, fraction;
    fixed(value, decimals, &whole, &fraction);
    if (whole.empty() && fraction.find_first_not_of('0') == std::string::npos) sign = sign && false;
    while (static_cast<int>(fraction.size()) > min_decimals && fraction.back() == '0') fraction.pop_back();
    if (static_cast<int>(whole.size()) < min_whole) whole.insert(0, static_cast<size_t>(min_whole) - whole.size(), '0');
    if (group)
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<size_t>(i), ",");
    Text number = ascii(whole) + (point ? u"." + ascii(fraction) : u"");
    // The literals around the placeholders stay where they are.
    Text out = sign ? u"-" : u"";
    for (size_t i = 0; i < section.size(); ++i) {
        const char16_t ch = section[i];
        if (i == first) out += number;
        if (first != Text::npos && i >= first && i <= last) continue;
        if (ch == '"') {
            while (++i < section.size() && section[i] != '"') out += section[i];
        } else if (ch == '\\') {
            if (++i < section.size()) out += section[i];
        } else if (ch != ',') {
            out += ch;
        }
    }
    return out;
}

const char *const kMonths[] = {"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"};
const char *const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

Text two(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return ascii(buffer);
}
Text plain(long long n) { return ascii(std::to_string(n)); }

Text format_date(double date, const Text &pattern) {
    Civil f;
    if (!split_date(date, &f)) return u"";
    const long long days = static_cast<long long>(std::floor(date_seconds(date) / 86400));
    const int week_day = static_cast<int>(((days - 1) % 7 + 7) % 7);  // 0: Sunday
    const long long jan1 = static_cast<long long>(std::floor(date_seconds(make_date(f.year, 1, 1, 0)) / 86400));
    const long long day_of_year = days - jan1 + 1;
    Text out;
    bool after_hour = false;
    for (size_t i = 0; i < pattern.size();) {
        size_t run = 1;
        const char16_t ch = static_cast<char16_t>(to_lower(pattern[i]));
        while (i + run < pattern.size() && to_lower(pattern[i + run]) == ch) ++run;
        const Text rest = pattern.substr(i);
        if (ch == '"') {
            size_t end = pattern.find(u'"', i + 1);
            if (end == Text::npos) end = pattern.size();
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (ch == '\\') {
            if (i + 1 < pattern.size()) out += pattern[i + 1];
            i += 2;
            continue;
        }
        if (same(rest.substr(0, 5), "am/pm") || same(rest.substr(0, 3), "a/p")) {
            const size_t length = same(rest.substr(0, 5), "am/pm") ? 5 : 3;
            const bool pm = f.hour >= 12;
            out += length == 5 ? rest.substr(pm ? 3 : 0, 2) : rest.substr(pm ? 2 : 0, 1);
            i += length;
            continue;
        }
        const bool twelve = pattern.size() > 0 && (Text(pattern).find(u"AM/PM") != Text::npos ||
                                                  Text(pattern).find(u"am/pm") != Text::npos ||
                                                  Text(pattern).find(u"A/P") != Text::npos ||
                                                  Text(pattern).find(u"a/p") != Text::npos);
        const int hour = twelve ? (f.hour % 12 == 0 ? 12 : f.hour % 12) : f.hour;
        switch (ch) {
        case 'y':
            if (run >= 3) out += plain(f.year), run = std::min<size_t>(run, 4);
            else if (run == 2) out += two(f.year % 100);
            else out += plain(day_of_year);
            break;
        case 'q': out += plain((f.month - 1) / 3 + 1), run = 1; break;
        case 'm':
            if (after_hour && run <= 2) out += run == 2 ? two(f.minute) : plain(f.minute);
            else if (run >= 4) out += ascii(kMonths[f.month - 1]), run = 4;
            else if (run == 3) out += ascii(std::string(kMonths[f.month - 1], 3));
            else out += run == 2 ? two(f.month) : plain(f.month);
            break;
        case 'd':
            if (run >= 4) out += ascii(kDays[week_day]), run = 4;
            else if (run == 3) out += ascii(std::string(kDays[week_day], 3));
            else out += run == 2 ? two(f.day) : plain(f.day);
            break;
        case 'w':
            if (run >= 2) out += plain((day_of_year - 1 + ((jan1 - 1) % 7 + 7) % 7) / 7 + 1), run = 2;
            else out += plain(week_day + 1);
            break;
        case 'h': run = std::min<size_t>(run, 2), out += run == 2 ? two(hour) : plain(hour); break;
        case 'n': run = std::min<size_t>(run, 2), out += run == 2 ? two(f.minute) : plain(f.minute); break;
        case 's': run = std::min<size_t>(run, 2), out += run == 2 ? two(f.second) : plain(f.second); break;
        default: out += pattern.substr(i, run); break;
        }
        if (ch == 'h') after_hour = true;
        else if (ch != ':' && ch != ' ' && ch != '.') after_hour = false;
        i += run;
    }
    return out;
}

bool is_date_pattern(const Text &pattern) {
    bool quoted = false, letters = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t ch = pattern[i];
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == '\\') {
            ++i;
            continue;
        }
        if (ch == '0' || ch == '#') return false;
        const char16_t lower = static_cast<char16_t>(to_lower(ch));
        letters = letters || lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 'n' ||
                  lower == 's' || lower == 'q' || lower == 'w';
    }
    return letters;
}

}  // namespace

Text format_value(sqlite3_value *value, const Text &pattern) {
    static const struct {
        const char *name, *pattern;
    } named[] = {
        {"Fixed", "0.00"}, {"Standard", "#,##0.00"}, {"Percent", "0.00%"}, {"Short Date", "yyyy/mm/dd"},
        {"Long Date", "yyyy\"\xE5\xB9\xB4\"m\"\xE6\x9C\x88\"d\"\xE6\x97\xA5\""}, {"Short Time", "hh:nn"},
        {"Medium Time", "hh:nn AM/PM"}, {"Long Time", "h:nn:ss"},
    };
    double number;
    const bool numeric = arg_number(value, &number);
    if (same(pattern, "General Number")) return value_text(value);
    for (const char *pair : {"Yes/No", "True/False", "On/Off"}) {
        if (same(pattern, pair) && numeric) {
            const std::string text(pair);
            const size_t slash = text.find('/');
            return ascii(number != 0 ? text.substr(0, slash) : text.substr(slash + 1));
        }
    }
    Text effective = pattern;
    for (const auto &n : named) {
        if (same(pattern, n.name)) {
            // The pattern is UTF-8 (the long date's 年月日).
            effective.clear();
            for (const unsigned char *p = reinterpret_cast<const unsigned char *>(n.pattern); *p;) {
                char32_t c = *p++;
                if (c >= 0xE0) c = ((c & 0x0F) << 12) | ((p[0] & 0x3F) << 6) | (p[1] & 0x3F), p += 2;
                effective += static_cast<char16_t>(c);
            }
        }
    }
    double date;
    if (is_date_pattern(effective)) {
        if (arg_date(value, &date)) return format_date(date, effective);
        return value_text(value);
    }
    if (same(pattern, "General Date")) return value_text(value);
    if (!numeric) return value_text(value);
    return format_number(number, effective);
}

}  // namespace dbengine
