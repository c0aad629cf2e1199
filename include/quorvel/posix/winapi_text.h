/* POSIX platform layer: text calls. */
#ifndef QUORVEL_POSIX_WINAPI_TEXT_H
#define QUORVEL_POSIX_WINAPI_TEXT_H

#include <quorvel/posix/winapi_base.h>

#endif
