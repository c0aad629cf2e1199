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
    // Keep the low 32 bits, as a 32-bit long receiving a time_t does.
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace calendar
