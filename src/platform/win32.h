// The library's view of the Win32 API: the Windows SDK on Windows, the
// platform layer's own implementation elsewhere. This is the one place that
// tells the builds apart by a macro; everything else that differs lives in
// files named *_win.cpp and *_posix.cpp, which the build picks.
#pragma once

#include <quorvel/base.h>

#include "platform/text16.h"
#ifdef _WIN32
#include <io.h>  // the runtime library's file listing
#include <shlobj.h>
#include <shlwapi.h>
#include <sys/utime.h>
#else
#include "platform/winapi/winapi.h"
#endif
