// The library's view of the Win32 API: the Windows SDK on Windows, the
// platform layer's own implementation elsewhere. This is the one place that
// tells the builds apart by a macro; everything else that differs lives in
// files named *_win.cpp and *_posix.cpp, which the build picks.
#pragma once

#include <quorvel/base.h>
#ifdef _WIN32
#include <io.h>  // the runtime library's file listing
#include <shlobj.h>
#include <shlwapi.h>
#include <sys/utime.h>
#else
#include "platform/winapi/winapi.h"
#endif

// The interface's wide characters are unsigned short; the SDK's WCHAR is
// wchar_t on MinGW. These casts sit at each call into the system.
inline const WCHAR *as_wide(const unsigned short *text) {
    return reinterpret_cast<const WCHAR *>(text);
}
inline WCHAR *as_wide(unsigned short *text) {
    return reinterpret_cast<WCHAR *>(text);
}
inline const unsigned short *as_u16(const WCHAR *text) {
    return reinterpret_cast<const unsigned short *>(text);
}
inline unsigned short *as_u16(WCHAR *text) {
    return reinterpret_cast<unsigned short *>(text);
}

// A u"..." literal as the system's wide text.
inline const WCHAR *wide(const char16_t *text) {
    return reinterpret_cast<const WCHAR *>(text);
}
