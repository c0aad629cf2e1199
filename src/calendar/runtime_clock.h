// The runtime library's localtime and mktime, as the calendar uses them.
#pragma once

#include <cstdint>
#include <ctime>

namespace calendar {

// localtime of a 32-bit Unix time. False when the runtime library cannot
// convert it (the Windows runtime refuses times before 1970).
bool local_time(int32_t time, std::tm &out);

// mktime of a broken-down local time, cut to 32 bits as the interface's
// long is; -1 when mktime fails.
int32_t make_time(std::tm local);

}  // namespace calendar
