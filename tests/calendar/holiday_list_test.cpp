// Every day from 1948-07-20 to 2015-12-31 against an independent list of
// Japanese public holidays (tests/data, written by scripts/gen-holidays.py
// from python3-holidays and the Act on National Holidays).
#include <quorvel/calendar.h>

#include "civil.h"
#include "support/bytes.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

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

std::map<std::string, Listed> read_list() {
    std::map<std::string, Listed> list;
    std::ifstream file(QUORVEL_TEST_DATA "/jp-holidays-1948-2015.tsv", std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string date, kind, name;
        std::getline(fields, date, '\t');
        std::getline(fields, kind, '\t');
        std::getline(fields, name);
        const int dayClass = kind == "named" ? 5 : kind == "substitute" ? 4 : kind == "citizens" ? 3 : -1;
        list[date] = {dayClass, test::utf16(name)};
    }
    return list;
}

// Where the library's fixed names differ from the law's.
const std::map<std::string, std::u16string> kNameExceptions = {
    // The Act (No. 4 of 1989) names the day "昭和天皇の大喪の礼"; the library
    // stores "昭和天皇～大喪の礼", with U+FF5E FULLWIDTH TILDE for "の".
    {"1989-02-24", u"昭和天皇～大喪の礼"},
};

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

    int failures = 0, holidays = 0;
    const int64_t last = civil::days_from_epoch(2015, 12, 31);
    for (int64_t days = civil::days_from_epoch(1948, 7, 20); days <= last && failures < 20; ++days) {
        const civil::Date d = civil::date_from_epoch(days);
        const int wday = civil::weekday(days);
        const int time = timeGiven ? civil::japan_midnight(d.year, d.month, d.day) : -1;
        const int dayClass = Tm_Holiday(d.year, d.month, d.day, timeGiven ? -1 : wday, time);
        const std::u16string name(reinterpret_cast<const char16_t *>(
            Tm_HolidayStr(d.year, d.month, d.day, timeGiven ? -1 : wday, time)));

        const std::string date = key(d.year, d.month, d.day);
        const auto listed = list.find(date);
        int expectedClass = wday == 6 ? 1 : wday == 0 ? 2 : 0;
        std::u16string expectedName;
        if (listed != list.end()) {
            ++holidays;
            expectedClass = listed->second.dayClass;
            expectedName = listed->second.name;
            // A Monday substitute keeps the Sunday holiday's name in the
            // buffer; from 2007 a Tuesday or Wednesday 6 May, a substitute
            // for the Sunday before it, stores "振替休日" itself.
            const bool mayRule = d.month == 5 && d.day == 6 && d.year >= 2007 && (wday == 2 || wday == 3);
            if (expectedClass == 4 && !mayRule) {
                const civil::Date sunday = civil::date_from_epoch(days - 1);
                expectedName = list.at(key(sunday.year, sunday.month, sunday.day)).name;
            }
            const auto exception = kNameExceptions.find(date);
            if (exception != kNameExceptions.end()) expectedName = exception->second;
        }
        if (dayClass != expectedClass || name != expectedName) {
            ++failures;
            ADD_FAILURE() << date << ": library " << dayClass << " " << testing::PrintToString(name)
                          << ", list " << expectedClass << " " << testing::PrintToString(expectedName);
        }
    }
    EXPECT_EQ(holidays, static_cast<int>(list.size())) << "every listed day was visited";
}

INSTANTIATE_TEST_SUITE_P(TimeGivenOrComputed, HolidayList, ::testing::Bool());

}  // namespace
