/* POSIX platform layer: time calls. */
#ifndef QUORVEL_PLATFORM_WINAPI_TIME_H
#define QUORVEL_PLATFORM_WINAPI_TIME_H

#include "base.h"

namespace quorvel_win32 {

/* A FILETIME counts 100 ns intervals since 1601-01-01 00:00; a SYSTEMTIME
 * holds years 1601 to 30827. Both fail with ERROR_INVALID_PARAMETER outside
 * that range (a FILETIME above 0x7FFFFFFFFFFFFFFF, a SYSTEMTIME field out of
 * range or a day the month does not have); wDayOfWeek is ignored on input
 * and filled on output. */
QUORVEL_WINAPI BOOL FileTimeToSystemTime(const FILETIME *time, SYSTEMTIME *systemTime);
QUORVEL_WINAPI BOOL SystemTimeToFileTime(const SYSTEMTIME *systemTime, FILETIME *time);

/* As on Windows, these apply the time zone's offset in force now (daylight
 * saving included), whatever moment the file time holds. The zone is the
 * C library's local zone (TZ). */
QUORVEL_WINAPI BOOL FileTimeToLocalFileTime(const FILETIME *utc, FILETIME *local);
QUORVEL_WINAPI BOOL LocalFileTimeToFileTime(const FILETIME *local, FILETIME *utc);

}  // namespace quorvel_win32

#endif
