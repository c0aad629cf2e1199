// The days of the two equinox holidays, by the formulas the holiday calendar
// uses for 1948 to 2150.
#pragma once

namespace calendar {

// The day in March of the year's spring equinox holiday, or 99 outside
// 1948 to 2150.
int SpringEquinoxDay(int year);

// The day in September of the year's autumn equinox holiday, or 99 outside
// 1948 to 2150.
int AutumnEquinoxDay(int year);

}  // namespace calendar
