/* The Win32 calls that Quorvel's POSIX platform layer supplies, for hosts
 * and tests on platforms without <windows.h>. Each behaves as the library
 * expects the Windows call to behave; see docs/posix-model.md for how files,
 * paths, code pages and the rest map onto POSIX. */
#ifndef QUORVEL_POSIX_WINAPI_H
#define QUORVEL_POSIX_WINAPI_H

#ifndef _WIN32
#include <quorvel/posix/winapi_base.h>
#include <quorvel/posix/winapi_files.h>
#include <quorvel/posix/winapi_fileops.h>
#include <quorvel/posix/winapi_folders.h>
#include <quorvel/posix/winapi_text.h>
#include <quorvel/posix/winapi_time.h>
#include <quorvel/posix/winapi_threads.h>
#endif

#endif
