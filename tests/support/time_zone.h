// Pins the time zone that the runtime library's localtime and mktime use,
// for the calling process, on both platforms.
#pragma once

namespace test_zone {

// posixName is an Olson name for the C library's TZ; crtName a TZ string in
// the Windows runtime's own form ("JST-9", "EST5EDT"), which cannot read
// Olson names: given TZ=Asia/Tokyo it would run on UTC.
void use(const char *posixName, const char *crtName);

inline void use_japan() { use("Asia/Tokyo", "JST-9"); }

// Whether the system's own zone, which FileTimeToLocalFileTime uses, is
// UTC+9 without daylight saving now. Natively it follows TZ.
bool system_zone_is_japan();

}  // namespace test_zone
