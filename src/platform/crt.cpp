#include "platform/win32.h"

#include <malloc.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

std::mutex zone_lock;
bool zone_read = false, zone_named = false;
std::string zone_seen;  // TZ at the last tzset

// tzset when TZ differs from what the last one read: without TZ, tzset
// reads the system's zone file on every call, a cost per container.
void tzset_if_changed(bool always) {
    const char *zone = std::getenv("TZ");
    std::lock_guard<std::mutex> lock(zone_lock);
    if (!always && zone_read && zone_named == (zone != nullptr) && (!zone || zone_seen == zone))
        return;
    ::tzset();
    zone_read = true;
    zone_named = zone != nullptr;
    zone_seen = zone ? zone : "";
}

}  // namespace

void quorvel_win32::_tzset() { tzset_if_changed(true); }

int quorvel_win32::localtime_s(struct tm *local, const time_t *time) {
    if (!local || !time) return EINVAL;
    // localtime_r need not read TZ again; the runtime's localtime_s does.
    tzset_if_changed(false);
    return ::localtime_r(time, local) ? 0 : EINVAL;
}

size_t quorvel_win32::_msize(void *block) { return ::malloc_usable_size(block); }
