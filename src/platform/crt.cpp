#include "platform/win32.h"

#include <malloc.h>

#include <cerrno>

void quorvel_win32::_tzset() { ::tzset(); }

int quorvel_win32::localtime_s(struct tm *local, const time_t *time) {
    if (!local || !time) return EINVAL;
    // localtime_r need not read TZ again; the runtime's localtime_s does.
    ::tzset();
    return ::localtime_r(time, local) ? 0 : EINVAL;
}

size_t quorvel_win32::_msize(void *block) { return ::malloc_usable_size(block); }
