// Every day against independent lists of Japanese public holidays:
// Tm_Holiday from 1948-07-20 to 2015-12-31 against tests/data (written by
// scripts/gen-holidays.py from python3-holidays and the Act on National
// Holidays); Tm_HolidayAct to 2050 against the npm package
// @holiday-jp/holiday_jp, which scripts/holiday-jp-data installs into the
// build tree and writes out as a list.
#include <quorvel/calendar.h>

#include "civil.h"
#include "support/data_paths.h"
#include "support/bytes.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Listed {
    int dayClass;
    std::u16string name;
};

std::string key(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// Lines "YYYY-MM-DD<TAB>field<TAB>field...": the fields by date.
std::map<std::string, std::vector<std::string>> read_tsv(const char *path) {
    std::map<std::string, std::vector<std::string>> rows;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string date, field;
        std::getline(fields, date, '\t');
        while (std::getline(fields, field, '\t')) rows[date].push_back(field);
    }
    return rows;
}

// The 1948-2015 list: "named", "substitute" or "citizens", and the name.
std::map<std::string, Listed> read_list() {
    std::map<std::string, Listed> list;
    for (const auto &[date, fields] : read_tsv(QUORVEL_TEST_DATA "/jp-holidays-1948-2015.tsv")) {
        const std::string &kind = fields.at(0);
        const int dayClass = kind == "named" ? 5 : kind == "substitute" ? 4 : kind == "citizens" ? 3 : -1;
        list[date] = {dayClass, test::utf16(fields.at(1))};
    }
    return list;
}

// Where the library's fixed names differ from the law's.
const std::map<std::string, std::u16string> kNameExceptions = {
    // The Act (No. 4 of 1989) names the day "昭和天皇の大喪の礼"; the library
    // stores "昭和天皇～大喪の礼", with U+FF5E FULLWIDTH TILDE for "の".
    {"1989-02-24", u"昭和天皇～大喪の礼"},
};

// Every day from 1948-07-20 to the end of `lastYear` against `expected`; a
// day it does not list is a Saturday (1), a Sunday (2) or ordinary (0), and
// has no name. `library` gives the class and name of a date and weekday.
template <typename Library>
void expect_every_day(const std::map<std::string, Listed> &expected, int lastYear, Library library) {
    int failures = 0, listed = 0;
    const int64_t last = civil::days_from_epoch(lastYear, 12, 31);
    for (int64_t days = civil::days_from_epoch(1948, 7, 20); days <= last && failures < 20; ++days) {
        const civil::Date d = civil::date_from_epoch(days);
        const int wday = civil::weekday(days);
        const std::string date = key(d.year, d.month, d.day);
        Listed want{wday == 6 ? 1 : wday == 0 ? 2 : 0, u""};
        if (expected.count(date)) {
            want = expected.at(date);
            ++listed;
        }
        const Listed got = library(d, wday);
        if (got.dayClass != want.dayClass || got.name != want.name) {
            ++failures;
            ADD_FAILURE() << date << ": library " << got.dayClass << " " << testing::PrintToString(got.name)
                          << ", list " << want.dayClass << " " << testing::PrintToString(want.name);
        }
    }
    EXPECT_EQ(listed, static_cast<int>(expected.size())) << "every listed day was visited";
}

// The weekday of a listed date when it is 6 May from 2007 and a Tuesday or
// Wednesday (the substitute for a Sunday in Golden Week), else -1.
int may_substitute(const std::string &date, int64_t *days = nullptr) {
    int year, month, day;
    std::sscanf(date.c_str(), "%d-%d-%d", &year, &month, &day);
    const int64_t n = civil::days_from_epoch(year, month, day);
    if (days) *days = n;
    const int wday = civil::weekday(n);
    return month == 5 && day == 6 && year >= 2007 && (wday == 2 || wday == 3) ? wday : -1;
}

class HolidayList : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { test_zone::use_japan(); }
};

// Param: true passes the date's midnight at UTC+9 and lets the weekday be
// computed; false passes the weekday and lets mktime find the time.
TEST_P(HolidayList, AgreesWithTheIndependentList) {
    const bool timeGiven = GetParam();
    const std::map<std::string, Listed> list = read_list();
    ASSERT_GT(list.size(), 800u) << "test data missing";
    // A Monday substitute keeps the Sunday holiday's name in the buffer;
    // from 2007 a Tuesday or Wednesday 6 May stores "振替休日" itself.
    std::map<std::string, Listed> expected = list;
    for (auto &[date, listed] : expected) {
        int64_t days;
        if (listed.dayClass == 4 && may_substitute(date, &days) < 0) {
            const civil::Date sunday = civil::date_from_epoch(days - 1);
            listed.name = list.at(key(sunday.year, sunday.month, sunday.day)).name;
        }
    }
    for (const auto &[date, name] : kNameExceptions) expected.at(date).name = name;
    expect_every_day(expected, 2015, [&](const civil::Date &d, int wday) {
        const int time = timeGiven ? civil::japan_midnight(d.year, d.month, d.day) : -1;
        const int given = timeGiven ? -1 : wday;
        const int dayClass = Tm_Holiday(d.year, d.month, d.day, given, time);
        return Listed{dayClass, test::str16(Tm_HolidayStr(d.year, d.month, d.day, given, time))};
    });
}

INSTANTIATE_TEST_SUITE_P(TimeGivenOrComputed, HolidayList, ::testing::Bool());


// The npm list names a substitute "<holiday> 振替休日" and a citizens'
// holiday "休日"; its data begin in 1970, so the 1948-2015 list stands in
// before that.
Listed from_npm(const std::string &name) {
    const std::string substitute = " 振替休日";
    const bool isSubstitute = name.size() > substitute.size() &&
                              name.compare(name.size() - substitute.size(), std::string::npos, substitute) == 0;
    return {isSubstitute ? 4 : name == "休日" ? 3 : 5, test::utf16(name)};
}

// Where the Act's names differ from the npm list's.
const std::map<std::string, std::u16string> kActNames = {
    {"1989-02-24", u"昭和天皇の大喪の礼"},        // the list: "大喪の礼"; as Act No. 4 of 1989 names it
    {"1993-06-09", u"皇太子徳仁親王の結婚の儀"},  // the list: "結婚の儀"; as Act No. 32 of 1993 names it
    {"2019-10-14", u"体育の日"},  // the list: "体育の日（スポーツの日）"; the new name holds from 2020
};

TEST(HolidayAct, AgreesWithTheListsTo2050) {
    std::map<std::string, Listed> expected = read_list();
    for (auto it = expected.begin(); it != expected.end();)
        it = it->first >= "1970" ? expected.erase(it) : std::next(it);
    for (const auto &[date, fields] : read_tsv(QUORVEL_TEST_BUILD_DATA "/holiday_jp.tsv"))
        expected[date] = from_npm(fields.at(0));
    for (const auto &[date, name] : kActNames) expected.at(date).name = name;
    ASSERT_GT(expected.size(), 1500u) << "test data missing";
    // From 2007 a Sunday in Golden Week moves its holiday to 6 May. The list
    // names that day after こどもの日, the day before it, except in 2020; the
    // library names the holiday that fell on the Sunday.
    for (auto &[date, listed] : expected)
        if (const int wday = may_substitute(date); wday >= 0)
            listed.name = wday == 2 ? u"みどりの日 振替休日" : u"憲法記念日 振替休日";
    expect_every_day(expected, 2050, [](const civil::Date &d, int) {
        unsigned short name[TM_HOLIDAY_NAME_SIZE];
        const int dayClass = Tm_HolidayAct(d.year, d.month, d.day, name, TM_HOLIDAY_NAME_SIZE);
        return Listed{dayClass, test::str16(name)};
    });
}

// Past the lists, bad dates, and names cut to the room given.
TEST(HolidayAct, EndsOfTheRangeAndTheNameBuffer) {
    const struct {
        int year, month, day, dayClass;
        const char16_t *name;
    } days[] = {
        {1948, 7, 19, 0, u""},  // a Monday before the Act
        {1948, 1, 1, 0, u""},
        {2150, 3, 21, 5, u"春分の日"},  // the last year of the equinox formula
        {2151, 3, 21, 2, u""},          // a Sunday, and no equinox day known
        {2151, 1, 1, 5, u"元日"},
        {2026, 2, 29, TM_DAY_INVALID, u""},
        {2026, 13, 1, TM_DAY_INVALID, u""},
        {2026, 4, 0, TM_DAY_INVALID, u""},
        {0, 1, 1, TM_DAY_INVALID, u""},
        {10000, 1, 1, TM_DAY_INVALID, u""},
    };
    for (const auto &d : days) {
        SCOPED_TRACE(testing::Message() << d.year << "-" << d.month << "-" << d.day);
        unsigned short name[TM_HOLIDAY_NAME_SIZE] = {'x'};
        EXPECT_EQ(Tm_HolidayAct(d.year, d.month, d.day, name, TM_HOLIDAY_NAME_SIZE), d.dayClass);
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(name)), d.name);
    }
    unsigned short name[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(Tm_HolidayAct(2026, 11, 23, name, 3), 5);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(name)), u"勤労");
    EXPECT_EQ(Tm_HolidayAct(2026, 11, 23, name, 0), 5);  // no room: untouched
    EXPECT_EQ(name[0], u'勤');
    EXPECT_EQ(Tm_HolidayAct(2026, 11, 23, nullptr, 16), 5);
}

}  // namespace
