/* POSIX platform layer: threads calls. */
#ifndef QUORVEL_POSIX_WINAPI_THREADS_H
#define QUORVEL_POSIX_WINAPI_THREADS_H

#include <quorvel/posix/winapi_base.h>

#endif
