/* POSIX platform layer: time calls. */
#ifndef QUORVEL_POSIX_WINAPI_TIME_H
#define QUORVEL_POSIX_WINAPI_TIME_H

#include <quorvel/posix/winapi_base.h>

#endif
