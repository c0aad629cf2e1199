// Japanese public holidays under the Public Holidays Act (国民の祝日に関する法律,
// Act No. 178 of 1948) as amended to date, with the special laws for single
// days. Unlike Tm_Holiday this works on the date alone: no time value, no
// shared buffer, no 2038 limit.
#include <quorvel/calendar.h>

#include "calendar/equinox.h"

#include <initializer_list>

namespace {

struct Date {
    int year, month, day;
};

bool on_or_after(const Date &d, int year, int month, int day) {
    if (d.year != year) return d.year > year;
    if (d.month != month) return d.month > month;
    return d.day >= day;
}

Date previous(Date d) {
    if (--d.day >= 1) return d;
    if (--d.month < 1) {
        d.month = 12;
        --d.year;
    }
    d.day = Tm_LastDay(d.year, d.month);
    return d;
}

Date next(Date d) {
    if (++d.day <= Tm_LastDay(d.year, d.month)) return d;
    d.day = 1;
    if (++d.month > 12) {
        d.month = 1;
        ++d.year;
    }
    return d;
}

// The national holiday (国民の祝日, or a day a special law made one) on the
// date, or null. Dates before the Act took effect are never one.
const char16_t *national_holiday(const Date &date) {
    if (!on_or_after(date, 1948, 7, 20)) return nullptr;
    const int y = date.year, d = date.day;
    const int wday = Tm_Zeller(y, date.month, d);
    // Happy Monday days: the k-th Monday holds day 7(k-1)+1 to 7k.
    const auto monday = [&](int week) { return wday == 1 && (d - 1) / 7 == week - 1; };
    switch (date.month) {
    case 1:
        if (d == 1) return u"元日";
        if (y >= 2000 ? monday(2) : d == 15) return u"成人の日";
        break;
    case 2:
        if (d == 11 && y >= 1967) return u"建国記念の日";
        if (d == 23 && y >= 2020) return u"天皇誕生日";
        if (y == 1989 && d == 24) return u"昭和天皇の大喪の礼";
        break;
    case 3:
        if (d == calendar::SpringEquinoxDay(y)) return u"春分の日";
        break;
    case 4:
        if (d == 29) return y >= 2007 ? u"昭和の日" : y >= 1989 ? u"みどりの日" : u"天皇誕生日";
        if (y == 1959 && d == 10) return u"皇太子明仁親王の結婚の儀";
        break;
    case 5:
        if (d == 3) return u"憲法記念日";
        if (d == 4 && y >= 2007) return u"みどりの日";
        if (d == 5) return u"こどもの日";
        // The enthronement: a national holiday for one year by special law.
        if (y == 2019 && d == 1) return u"休日（祝日扱い）";
        break;
    case 6:
        if (y == 1993 && d == 9) return u"皇太子徳仁親王の結婚の儀";
        break;
    case 7:
        // The Olympic years moved 海の日 and スポーツの日 beside the opening.
        if (y == 2020 ? d == 23 : y == 2021 ? d == 22 : y >= 2003 ? monday(3) : y >= 1996 && d == 20)
            return u"海の日";
        if ((y == 2020 && d == 24) || (y == 2021 && d == 23)) return u"スポーツの日";
        break;
    case 8:
        if (y == 2020 ? d == 10 : y == 2021 ? d == 8 : y >= 2016 && d == 11) return u"山の日";
        break;
    case 9:
        if (d == calendar::AutumnEquinoxDay(y)) return u"秋分の日";
        if (y >= 2003 ? monday(3) : y >= 1966 && d == 15) return u"敬老の日";
        break;
    case 10:
        if (y >= 2022 && monday(2)) return u"スポーツの日";
        if (y >= 2000 && y <= 2019 ? monday(2) : y >= 1966 && y < 2000 && d == 10) return u"体育の日";
        if (y == 2019 && d == 22) return u"休日（祝日扱い）";  // 即位礼正殿の儀
        break;
    case 11:
        if (d == 3) return u"文化の日";
        if (d == 23) return u"勤労感謝の日";
        if (y == 1990 && d == 12) return u"即位礼正殿の儀";
        break;
    case 12:
        if (d == 23 && y >= 1989 && y <= 2018) return u"天皇誕生日";
        break;
    default:
        break;
    }
    return nullptr;
}

// The Sunday holiday that the date stands in for, or null. From 1973-04-12
// a Sunday holiday moved to the Monday; from 2007 it moves to the first
// later day that is no national holiday itself.
const char16_t *substituted_holiday(const Date &date, int wday) {
    if (!on_or_after(date, 1973, 4, 12)) return nullptr;
    if (!on_or_after(date, 2007, 1, 1)) {
        const Date sunday = previous(date);
        return wday == 1 ? national_holiday(sunday) : nullptr;
    }
    // A run of holidays back to a Sunday: at most a week long.
    Date day = date;
    for (int back = 1; back <= 7; ++back) {
        day = previous(day);
        const char16_t *name = national_holiday(day);
        if (!name) return nullptr;
        if ((wday - back) % 7 == 0) return name;
    }
    return nullptr;
}

// A day between two national holidays, from 1985-12-27; before 2007 not on
// a Sunday.
bool citizens_holiday(const Date &date, int wday) {
    if (!on_or_after(date, 1985, 12, 27)) return false;
    if (wday == 0 && !on_or_after(date, 2007, 1, 1)) return false;
    return national_holiday(previous(date)) && national_holiday(next(date));
}

void copy_name(unsigned short *out, int size, const char16_t *first, const char16_t *second) {
    if (!out || size <= 0) return;
    int n = 0;
    for (const char16_t *part : {first, second})
        for (; part && *part && n + 1 < size; ++part) out[n++] = static_cast<unsigned short>(*part);
    out[n] = 0;
}

}  // namespace

QUORVEL_API unsigned char Tm_HolidayAct(int year, int month, int day, unsigned short *name,
                                        int nameSize) {
    copy_name(name, nameSize, nullptr, nullptr);
    if (year < 1 || year > 9999 || day < 1 || day > Tm_LastDay(year, month))
        return TM_DAY_INVALID;
    const Date date{year, month, day};
    const int wday = Tm_Zeller(year, month, day);
    if (const char16_t *holiday = national_holiday(date)) {
        copy_name(name, nameSize, holiday, nullptr);
        return TM_DAY_HOLIDAY;
    }
    if (const char16_t *sunday = substituted_holiday(date, wday)) {
        copy_name(name, nameSize, sunday, u" 振替休日");
        return TM_DAY_SUBSTITUTE;
    }
    if (citizens_holiday(date, wday)) {
        copy_name(name, nameSize, u"休日", nullptr);
        return TM_DAY_CITIZENS;
    }
    return wday == 6 ? TM_DAY_SATURDAY : wday == 0 ? TM_DAY_SUNDAY : TM_DAY_WEEKDAY;
}
