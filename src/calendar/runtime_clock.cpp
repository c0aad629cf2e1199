#include "calendar/runtime_clock.h"

namespace calendar {

bool local_time(int32_t time, std::tm &out) {
    const std::time_t value = time;
#ifdef _WIN32
    return localtime_s(&out, &value) == 0;
#else
    // localtime would re-read TZ; localtime_r need not, so ask for it.
    tzset();
    return localtime_r(&value, &out) != nullptr;
#endif
}

int32_t make_time(std::tm local) {
    const std::time_t value = std::mktime(&local);
    // The interface's time is the 32-bit time_t: a moment it cannot hold is
    // one mktime cannot give, so -1.
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
}

}  // namespace calendar
