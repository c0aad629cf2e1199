// quorvel holidays [--classic] YEAR: the year's Japanese public holidays,
// one a line, with date, weekday, name and class, in UTF-8: under today's
// law, or with --classic as the library's Tm_Holiday gives them.
#include "command.h"
#include "host_path.h"

#include <quorvel/calendar.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char *class_name(unsigned char dayClass) {
    switch (dayClass) {
    case TM_DAY_CITIZENS: return "citizens' holiday";
    case TM_DAY_SUBSTITUTE: return "substitute holiday";
    default: return "public holiday";
    }
}

int run_holidays(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("holidays", stdout);
    const bool classic = argc == 3 && std::strcmp(argv[1], "--classic") == 0;
    const char *yearText = argc == 2 ? argv[1] : classic ? argv[2] : nullptr;
    char *end = nullptr;
    const long year = yearText ? std::strtol(yearText, &end, 10) : 0;
    if (!yearText || *end != '\0' || year < 1 || year > 9999) return cli::show_usage("holidays", stderr);
    static const char *const weekday[7] = {"日", "月", "火", "水", "木", "金", "土"};
    const int y = static_cast<int>(year);
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= Tm_LastDay(y, month); ++day) {
            unsigned short act[TM_HOLIDAY_NAME_SIZE];
            const unsigned char dayClass = classic ? Tm_Holiday(y, month, day, -1, -1)
                                                   : Tm_HolidayAct(y, month, day, act, TM_HOLIDAY_NAME_SIZE);
            if (dayClass < TM_DAY_CITIZENS || dayClass == TM_DAY_INVALID) continue;
            const unsigned short *name = classic ? Tm_HolidayStr(y, month, day, -1, -1) : act;
            std::printf("%04d-%02d-%02d (%s) %s\t%d %s\n", y, month, day,
                        weekday[Tm_Zeller(y, month, day)], cli::utf8(name).c_str(), dayClass,
                        class_name(dayClass));
        }
    }
    return 0;
}

}  // namespace

QUORVEL_COMMAND("holidays", "[--classic] YEAR  Japanese public holidays of the year (--classic: as Tm_Holiday gives them)",
                run_holidays);
