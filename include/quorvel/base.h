/* Quorvel: types and export rules shared by every public header.
 *
 * Integer widths are those of the 32-bit Windows interface on every
 * platform: a "long" of the interface is LONG (long on Windows, int32_t
 * elsewhere), an "unsigned long" DWORD; wide characters are 16-bit unsigned
 * units (unsigned short) holding UTF-16.
 *
 * On Windows the Win32 types come from <windows.h>; elsewhere a minimal,
 * layout-compatible set is declared in <quorvel/posix/wintypes.h>. */
#ifndef QUORVEL_BASE_H
#define QUORVEL_BASE_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#  include <windows.h>
#else
#  include <quorvel/posix/wintypes.h>
#endif

#if defined(_WIN32)
#  if defined(QUORVEL_BUILDING)
#    define QUORVEL_API __declspec(dllexport)
#  else
#    define QUORVEL_API __declspec(dllimport)
#  endif
#else
#  define QUORVEL_API __attribute__((visibility("default")))
#endif

/* Exported globals are C names, so a host can look them up by name. */
#ifdef __cplusplus
#  define QUORVEL_DATA extern "C" QUORVEL_API
#else
#  define QUORVEL_DATA extern QUORVEL_API
#endif

/* The library's text and path buffers hold this many UTF-16 units. */
#define QUORVEL_MAX_TEXT 2048

#endif
