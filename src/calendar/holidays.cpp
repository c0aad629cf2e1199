// The Japanese public-holiday calendar: fixed dates, Mondays of a given
// week, the equinox days, one-off days, and the substitute and citizens'
// holidays, each for the years in which it holds.
#include <quorvel/calendar.h>

#include "calendar/equinox.h"
#include "calendar/runtime_clock.h"

#include <climits>
#include <cstring>

namespace {

// 1948-07-20 00:00 JST, when the holiday law took effect.
constexpr int32_t kHolidaysFrom = -676976400;
// 1973-04-12 00:00 JST, when Sunday holidays began to move to Monday.
constexpr int32_t kSubstitutesFrom = 103388400;
constexpr int32_t kSecondsPerDay = 86400;

unsigned short g_holidayName[QUORVEL_MAX_TEXT];

struct Holiday {
    const char16_t *name;  // null when the date is no holiday
    unsigned char dayClass;
};

constexpr Holiday kNone{nullptr, 0};

Holiday named(const char16_t *name) { return {name, TM_DAY_HOLIDAY}; }

// The k-th week of the month holds days 7(k-1)+1 to 7k.
bool nth_monday(int day, int wday, int week) {
    return wday == 1 && (static_cast<long long>(day) - 1) / 7 == week - 1;
}

Holiday holiday_in_month(int year, int month, int day, int wday) {
    switch (month) {
    case 1:
        if (day == 1) return named(u"元日");
        if (year >= 2000 ? nth_monday(day, wday, 2) : day == 15) return named(u"成人の日");
        break;
    case 2:
        if (day == 11 && year >= 1967) return named(u"建国記念の日");
        if (year == 1989 && day == 24) return named(u"昭和天皇～大喪の礼");
        break;
    case 3:
        if (day == calendar::SpringEquinoxDay(year)) return named(u"春分の日");
        break;
    case 4:
        if (day == 29) {
            if (year >= 2007) return named(u"昭和の日");
            if (year >= 1989) return named(u"みどりの日");
            return named(u"天皇誕生日");
        }
        if (year == 1959 && day == 10) return named(u"皇太子明仁親王の結婚の儀");
        break;
    case 5:
        if (day == 3) return named(u"憲法記念日");
        if (day == 4 && year >= 2007) return named(u"みどりの日");
        // Between two holidays; a Sunday stays Sunday, a Monday is the
        // substitute for 3 May.
        if (day == 4 && year >= 1986 && year <= 2006 && wday >= 2)
            return {u"国民の休日", TM_DAY_CITIZENS};
        if (day == 5) return named(u"こどもの日");
        // From 2007 a Sunday holiday moves to the next free day: 6 May is a
        // Tuesday when 4 May is a Sunday, a Wednesday when 3 May is.
        if (day == 6 && year >= 2007 && (wday == 2 || wday == 3))
            return {u"振替休日", TM_DAY_SUBSTITUTE};
        break;
    case 6:
        if (year == 1993 && day == 9) return named(u"皇太子徳仁親王の結婚の儀");
        break;
    case 7:
        if (year >= 2003 ? nth_monday(day, wday, 3) : (year >= 1996 && day == 20))
            return named(u"海の日");
        break;
    case 9:
        if (day == calendar::AutumnEquinoxDay(year)) return named(u"秋分の日");
        if (year >= 2003 && nth_monday(day, wday, 3)) return named(u"敬老の日");
        // The Tuesday before the equinox lies between it and the third
        // Monday whenever the two are two days apart.
        if (year >= 2003 && wday == 2 && day == calendar::AutumnEquinoxDay(year) - 1)
            return {u"国民の休日", TM_DAY_CITIZENS};
        if (year >= 1966 && year <= 2002 && day == 15) return named(u"敬老の日");
        break;
    case 10:
        if (year >= 2000 ? nth_monday(day, wday, 2) : (year >= 1966 && day == 10))
            return named(u"体育の日");
        break;
    case 11:
        if (day == 3) return named(u"文化の日");
        if (day == 23) return named(u"勤労感謝の日");
        if (year == 1990 && day == 12) return named(u"即位礼正殿の儀");
        break;
    case 12:
        if (day == 23 && year >= 1989) return named(u"天皇誕生日");
        break;
    default:
        break;
    }
    return kNone;
}

void set_name(const char16_t *name) {
    for (size_t i = 0; name[i] && i + 1 < QUORVEL_MAX_TEXT; ++i)
        g_holidayName[i] = static_cast<unsigned short>(name[i]);
}

// The Unix time of the date's local midnight, as mktime gives it.
int32_t local_midnight(int year, int month, int day) {
    const long long tmYear = static_cast<long long>(year) - 1900;
    const long long tmMonth = static_cast<long long>(month) - 1;
    if (tmYear < INT_MIN || tmMonth < INT_MIN) return -1;  // mktime cannot hold it
    std::tm local{};
    local.tm_year = static_cast<int>(tmYear);
    local.tm_mon = static_cast<int>(tmMonth);
    local.tm_mday = day;
    return calendar::make_time(local);
}

}  // namespace

QUORVEL_API unsigned char Tm_Holiday(LONG time) {
    std::tm local{};
    if (!calendar::local_time(time, local)) {
        std::memset(g_holidayName, 0, sizeof g_holidayName);
        return TM_DAY_WEEKDAY;
    }
    return Tm_Holiday(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday, time);
}

QUORVEL_API unsigned char Tm_Holiday(int year, int month, int day, int wday, int time) {
    std::memset(g_holidayName, 0, sizeof g_holidayName);
    if (time == -1) time = local_midnight(year, month, day);
    if (wday == -1) wday = Tm_Zeller(year, month, day);

    const unsigned char weekClass =
        wday == 6 ? TM_DAY_SATURDAY : wday == 0 ? TM_DAY_SUNDAY : TM_DAY_WEEKDAY;
    if (time < kHolidaysFrom) return weekClass;

    if (month >= 1 && month <= 12) {
        const Holiday holiday = holiday_in_month(year, month, day, wday);
        if (holiday.name) {
            set_name(holiday.name);
            return holiday.dayClass;
        }
    }

    // A Monday after a Sunday holiday. The evaluation of Sunday leaves its
    // name in the buffer.
    if (wday != 1 || time < kSubstitutesFrom) return weekClass;
    if (Tm_Holiday(static_cast<int32_t>(time - kSecondsPerDay)) == TM_DAY_HOLIDAY)
        return TM_DAY_SUBSTITUTE;
    return weekClass;
}

QUORVEL_API const unsigned short *Tm_HolidayStr(int year, int month, int day, int wday,
                                                int time) {
    Tm_Holiday(year, month, day, wday, time);
    return g_holidayName;
}
