/* Quorvel: calendar arithmetic, the Japanese public-holiday calendar and
 * conversions between FILETIME, SYSTEMTIME and 32-bit Unix time.
 *
 * Dates are Gregorian for every year. Weekdays are 0 (Sunday) to 6
 * (Saturday). Unix time is a signed 32-bit count of seconds since
 * 1970-01-01 00:00 UTC. */
#ifndef QUORVEL_CALENDAR_H
#define QUORVEL_CALENDAR_H

#include <quorvel/base.h>
#include <time.h>

/* ---- day numbers and calendar arithmetic -------------------------------
 * A day number is the Julian date less half a day: its integer part counts
 * days and its fraction is the time of day (2000-01-01 00:00 is 2451544.0,
 * 06:00 the same day 2451544.25). None of these validates its arguments. */

/* Out-of-range hours, minutes and seconds simply add. */
QUORVEL_API double Tm_Date2Jd(int year, int month, int day, int hour, int minute, int second);

/* The date and time of a day number; tm_yday and tm_isdst are always 0.
 * The time of day is truncated at each step and may lose a second. A day
 * number that is not finite or lies beyond +-2^31 days gives an all-zero
 * struct tm. */
QUORVEL_API struct tm Tm_Jd2Date(double dayNumber);

/* Weekday of a date, 0 (Sunday) to 6 (Saturday). */
QUORVEL_API unsigned char Tm_Zeller(int year, int month, int day);

/* Days in the month; 0 for a month outside 1 to 12. */
QUORVEL_API unsigned char Tm_LastDay(int year, int month);

/* 1 for a leap year, else 0. */
QUORVEL_API unsigned char Tm_LeapYear(int year);

/* ---- Japanese public holidays ------------------------------------------
 * Day classes returned by Tm_Holiday. A named holiday on a Saturday or a
 * Sunday is TM_DAY_HOLIDAY. */
enum {
    TM_DAY_WEEKDAY = 0,
    TM_DAY_SATURDAY = 1,
    TM_DAY_SUNDAY = 2,
    TM_DAY_CITIZENS = 3,   /* "国民の休日" */
    TM_DAY_SUBSTITUTE = 4, /* "振替休日" */
    TM_DAY_HOLIDAY = 5,    /* a named public holiday */
    TM_DAY_INVALID = 255   /* Tm_HolidayAct: no such date */
};

/* The class of the local date of `time`. A time that the runtime library
 * cannot convert gives 0 and an empty name. */
QUORVEL_API unsigned char Tm_Holiday(LONG time);

/* The class of a date. `wday` -1 computes the weekday; `time` is the Unix
 * time of the date's local midnight, or -1 to compute it with mktime. Times
 * before 1948-07-20 00:00 JST have no holidays, times before 1973-04-12 no
 * substitute holidays. Leaves the holiday's name (or an empty string) in
 * the buffer that Tm_HolidayStr returns. Not thread-safe. */
QUORVEL_API unsigned char Tm_Holiday(int year, int month, int day, int wday, int time);

/* Tm_Holiday with the same arguments, then the holiday-name buffer: a
 * zero-terminated UTF-16 name, valid until the next holiday call. */
QUORVEL_API const unsigned short *Tm_HolidayStr(int year, int month, int day, int wday,
                                                int time);

/* ---- Japanese public holidays under today's law (an extension) --------
 * Tm_Holiday keeps the rules of its day: no 山の日, 体育の日 for スポーツの日,
 * a substitute only on a Monday, dates as 32-bit times. Tm_HolidayAct
 * classifies a date under the Public Holidays Act as amended to date, with
 * the special laws of 2019 (the enthronement), 2020 and 2021 (the Olympic
 * moves) and the one-off days of 1959, 1989, 1990 and 1993; from 2007 a
 * Sunday holiday moves to the next day that is no holiday. It works on the
 * date alone, is thread-safe and has no 2038 limit. Dates before 1948-07-20
 * have no holidays; the equinox days are known to 2150, so later years
 * have none.
 *
 * Returns the day class as above, or TM_DAY_INVALID for a date that does
 * not exist or lies outside the years 1 to 9999. When `name` is not null it
 * receives the holiday's name, or an empty string, cut to `nameSize` units
 * with the terminating zero: a named holiday as the Act calls it ("元日",
 * "スポーツの日", ...; "休日（祝日扱い）" for the two enthronement days of
 * 2019), a substitute holiday as "<name of the Sunday's holiday> 振替休日",
 * a citizens' holiday as "休日". 16 units hold every name. */
#define TM_HOLIDAY_NAME_SIZE 16
QUORVEL_API unsigned char Tm_HolidayAct(int year, int month, int day, unsigned short *name,
                                        int nameSize);

/* ---- time representations ----------------------------------------------
 * A SYSTEMTIME here always holds local time. The local conversions go
 * through the system's time zone; a moment the system cannot convert gives
 * an all-zero SYSTEMTIME or FILETIME, or -1 as Unix time. */
QUORVEL_API SYSTEMTIME Tm_FileTimeToSystemTime(FILETIME utc);
QUORVEL_API FILETIME Tm_SystemTimeToFileTime(SYSTEMTIME local);
/* Plain arithmetic in UTC, truncating toward zero, cut to 32 bits. */
QUORVEL_API LONG Tm_FileTimeToUnixTime(const FILETIME &utc);
QUORVEL_API FILETIME Tm_UnixTimeToFileTime(LONG time);
/* Through the runtime library's localtime; milliseconds are 0. */
QUORVEL_API SYSTEMTIME Tm_UnixTimeToSystemTime(LONG time);
/* Through mktime with tm_isdst 0: the local time is read as standard time,
 * so in a zone's summer the result lies one hour after the moment a clock
 * showed. Milliseconds are ignored. */
QUORVEL_API LONG Tm_SystemTimeToUnixTime(SYSTEMTIME local);

#endif
