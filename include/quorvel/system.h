/* Quorvel: facts about the running system, and window fades and
 * transparency. */
#ifndef QUORVEL_SYSTEM_H
#define QUORVEL_SYSTEM_H

#include <quorvel/base.h>
#ifndef _WIN32
#include <quorvel/posix/wintypes_desktop.h>
#endif

/* Filled by Os_init, zero before: the version record (size field 284), the
 * native system information, the edition's product type (0 where the
 * system cannot tell it) and the OS kind:
 * 0 not classified or Win32s, 1 Windows 95, 2 98, 3 Me, 4 NT 3.x, 5 NT 4.0,
 * 6 2000, 7 XP, 8 Server 2003 and XP x64, 9 Vista, 10 Server 2008,
 * 11 Windows 7, 12 Server 2008 R2, 13 Windows 8.
 * On POSIX the record holds the kernel's version, which names no Windows
 * release: the kind is 0 (see docs/posix-model.md). */
QUORVEL_DATA OSVERSIONINFOEXW g_csOsInf;
QUORVEL_DATA SYSTEM_INFO g_csSysInf;
QUORVEL_DATA DWORD g_wOsType;
QUORVEL_DATA DWORD g_wOsKind;

/* Gathers the globals above. A failed system call is shown with
 * Err_Message and leaves the kind as it was. */
QUORVEL_API void Os_init(void);
/* The getters read the globals only. */
QUORVEL_API DWORD Os_GetKind(void);
QUORVEL_API int Os_GetPlatform(void);
QUORVEL_API int Os_GetMajorVer(void);
QUORVEL_API int Os_GetMinorVer(void);
/* On platform 1 (Windows 9x) the low 16 bits only. */
QUORVEL_API int Os_GetBuildNum(void);
/* The service-pack text of g_csOsInf. */
QUORVEL_API const unsigned short *Os_GetCSDVer(void);
/* "x86", "IA64", "x64" or "none", in a module buffer. */
QUORVEL_API const unsigned short *Os_GetArchitecture(void);

/* Window fades through layered windows. Sm_CreateSmoothly (Windows 2000 or
 * later) loads the system's USER32.DLL, makes the hidden window layered,
 * fully transparent, and shows it; the other calls do nothing (and return
 * 0) until then. Sm_DestroySmoothly lets the library go again.
 * Sm_ShowSmoothly fades in (fadeIn non-zero) from 0 up to `level` percent
 * or out from `level` down to 0, `step` percent and `step` milliseconds per
 * level, blocking; a step below 1 does nothing and fade-out levels above
 * 100 are drawn opaque. Sm_SetTransparent passes its arguments to
 * SetLayeredWindowAttributes and returns its result, showing a failure
 * with Err_Message. On POSIX there are no windows: nothing is done and the
 * results are 0. */
QUORVEL_API void Sm_CreateSmoothly(HWND window);
QUORVEL_API void Sm_DestroySmoothly(void);
QUORVEL_API void Sm_ShowSmoothly(HWND window, int fadeIn, int step, int level);
QUORVEL_API int Sm_SetTransparent(HWND window, COLORREF colorKey, unsigned char alpha,
                                  DWORD flags);

#endif
