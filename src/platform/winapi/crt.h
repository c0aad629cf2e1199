/* POSIX platform layer: the runtime library's calls that the library uses
 * beside the system's. */
#ifndef QUORVEL_PLATFORM_WINAPI_CRT_H
#define QUORVEL_PLATFORM_WINAPI_CRT_H

#include <stddef.h>
#include <time.h>

#include "base.h"

namespace quorvel_win32 {

/* The local zone is read again from TZ. */
QUORVEL_WINAPI void _tzset(void);
/* 0, or EINVAL for a null argument or a time that has no local form. */
QUORVEL_WINAPI int localtime_s(struct tm *local, const time_t *time);
/* The usable size of a malloc'd block. */
QUORVEL_WINAPI size_t _msize(void *block);

}  // namespace quorvel_win32

#endif
