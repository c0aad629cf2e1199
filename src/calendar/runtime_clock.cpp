#include "calendar/runtime_clock.h"

#include "platform/win32.h"

namespace calendar {

bool local_time(int32_t time, std::tm &out) {
    const std::time_t value = time;
    return localtime_s(&out, &value) == 0;
}

int32_t make_time(std::tm local) {
    const std::time_t value = std::mktime(&local);
    // The interface's time is the 32-bit time_t: a moment it cannot hold is
    // one mktime cannot give, so -1.
    return value >= INT32_MIN && value <= INT32_MAX ? static_cast<int32_t>(value) : -1;
}

}  // namespace calendar
