// Environment-variable expansion and un-expansion into g_szCflWork.
#include <quorvel/paths.h>

#include <quorvel/error.h>

#include "platform/win32.h"

#include <cstring>

unsigned short *Cfl_ExpandEnvironmentStrings(const unsigned short *text) {
    if (!text) return nullptr;
    std::memset(g_szCflWork, 0, sizeof g_szCflWork);
    const DWORD needed =
        ExpandEnvironmentStringsW(as_wide(text), as_wide(g_szCflWork), QUORVEL_MAX_TEXT);
    if (needed == 0 || needed > QUORVEL_MAX_TEXT) {
        if (needed > QUORVEL_MAX_TEXT) SetLastError(ERROR_INSUFFICIENT_BUFFER);
        Err_Message(0);
        return const_cast<unsigned short *>(text);
    }
    return g_szCflWork;
}

unsigned short *Cfl_PathUnExpandEnvStrings(const unsigned short *path) {
    if (!path) return nullptr;
    std::memset(g_szCflWork, 0, sizeof g_szCflWork);
    if (!PathUnExpandEnvStringsW(as_wide(path), as_wide(g_szCflWork), QUORVEL_MAX_TEXT)) {
        Err_Message(0);
        return const_cast<unsigned short *>(path);
    }
    return g_szCflWork;
}
