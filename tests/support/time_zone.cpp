#include "support/time_zone.h"

#include "support/win32.h"

#include <cstdlib>
#include <ctime>

namespace test_zone {

#ifdef _WIN32

void use(const char *, const char *crtName) {
    _putenv_s("TZ", crtName);
    _tzset();
}

bool system_zone_is_japan() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD state = GetTimeZoneInformation(&zone);
    return state != TIME_ZONE_ID_DAYLIGHT && state != TIME_ZONE_ID_INVALID && zone.Bias == -540;
}

#else

void use(const char *posixName, const char *) {
    setenv("TZ", posixName, 1);
    tzset();
}

bool system_zone_is_japan() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_gmtoff == 9 * 3600;
}

#endif

}  // namespace test_zone
