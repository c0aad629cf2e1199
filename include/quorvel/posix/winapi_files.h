/* POSIX platform layer: files calls. */
#ifndef QUORVEL_POSIX_WINAPI_FILES_H
#define QUORVEL_POSIX_WINAPI_FILES_H

#include <quorvel/posix/winapi_base.h>

#endif
