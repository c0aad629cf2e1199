// The Win32 API for tests: the SDK on Windows, the library's platform
// layer elsewhere, so one test source serves both builds.
#pragma once

#include <quorvel/base.h>
#ifndef _WIN32
#include <quorvel/posix/winapi.h>
#endif
