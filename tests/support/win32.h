// The Win32 API for tests: the SDK on Windows, the library's platform
// layer elsewhere, so one test source serves both builds.
#pragma once

#include <quorvel/base.h>
#ifdef _WIN32
#include <shlobj.h>  // DROPFILES, FILEGROUPDESCRIPTORW
#else
#include "winapi/desktop.h"
#include "winapi/winapi.h"
#endif

namespace test {

// Which build this is: the one place the tests tell them apart, so that a
// known difference is marked on the row it concerns.
#ifdef _WIN32
constexpr bool kWindowsBuild = true;
#else
constexpr bool kWindowsBuild = false;
#endif

// Whether the Windows build runs under Wine, for the rows where Wine is
// known to differ from Windows.
inline bool under_wine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

// A short date as Wine's Japanese locale writes it (yyyy/M/d where
// Windows writes yyyy/MM/dd), for the rows marked as that difference.
template <class Text> Text wine_short_date(Text text) {
    for (size_t at = 0; (at = text.find('/', at)) != Text::npos; ++at)
        if (at + 1 < text.size() && text[at + 1] == '0') text.erase(at + 1, 1);
    return text;
}

// The ANSI code page of a Japanese system (932) for a scope: Wine runs the
// Windows tests on one; on POSIX the layer's override stands in for it.
struct JapaneseCodePage {
#ifndef _WIN32
    JapaneseCodePage() { Quorvel_SetAnsiCodePage(932); }
    ~JapaneseCodePage() { Quorvel_SetAnsiCodePage(0); }
#endif
};

}  // namespace test
