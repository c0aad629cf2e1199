// The runtime library's localtime and mktime, as the calendar uses them.
#pragma once

#include <cstdint>
#include <ctime>

namespace calendar {

// localtime of a 32-bit Unix time. False when the runtime library cannot
// convert it (the Windows runtime refuses times before 1970).
bool local_time(int32_t time, std::tm &out);

// mktime of a broken-down local time as a 32-bit time; -1 when mktime
// fails or its result does not fit in 32 bits.
int32_t make_time(std::tm local);

}  // namespace calendar
