/* The Win32 calls that Quorvel's POSIX platform layer supplies to the
 * library, its tools and tests; hosts never see them. Each behaves as the library
 * expects the Windows call to behave; see docs/posix-model.md for how files,
 * paths, code pages and the rest map onto POSIX. */
#ifndef QUORVEL_PLATFORM_WINAPI_H
#define QUORVEL_PLATFORM_WINAPI_H

#include "base.h"
#include "crt.h"
#include "files.h"
#include "fileops.h"
#include "folders.h"
#include "text.h"
#include "time.h"
#include "threads.h"
#include "version.h"
#include "com.h"

using namespace quorvel_win32;

#endif
