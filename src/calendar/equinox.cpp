#include "calendar/precise_double.h"

#include "calendar/equinox.h"

namespace calendar {
namespace {

constexpr int kNoDay = 99;  // never a day of the month

struct EquinoxConstants {
    double before1980;  // 1948 to 1979
    double before2100;  // 1980 to 2099
    double until2150;   // 2100 to 2150
};

int equinox_day(int year, const EquinoxConstants &c) {
    if (year <= 1947 || year > 2150) return kNoDay;
    const double drift = (year - 1980) * 0.242194;
    // Integer quotients truncate toward zero, also below 1983.
    if (year < 1980) return static_cast<int>(drift + c.before1980 - (year - 1983) / 4);
    const int leaps = (year - 1980) / 4;
    if (year < 2100) return static_cast<int>(drift + c.before2100 - leaps);
    return static_cast<int>(drift + c.until2150 - leaps);
}

}  // namespace

int SpringEquinoxDay(int year) { return equinox_day(year, {20.8357, 20.8431, 21.851}); }

int AutumnEquinoxDay(int year) { return equinox_day(year, {23.2588, 23.2488, 24.2488}); }

}  // namespace calendar
