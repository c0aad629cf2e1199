// The temporary folder and the shell's special folders.
#include <quorvel/paths.h>

#include "files/special_folder.h"
#include "platform/win32.h"

#include <cstring>

namespace {

void copy_text(unsigned short *target, const unsigned short *source) {
    while ((*target++ = *source++) != 0) {
    }
}

}  // namespace

int Cfl_GetSystemFolder(unsigned short *folder, int csidl) {
    if (!folder) return 0;
    unsigned short path[QUORVEL_MAX_TEXT] = {};
    if (!files::special_folder(csidl, path)) return 0;
    Cfl_AddBackslash(path);
    copy_text(folder, path);
    return 1;
}

int Cfl_GetMyDocument(unsigned short *folder) {
    return folder ? Cfl_GetSystemFolder(folder, CSIDL_PERSONAL) : 0;
}

int Cfl_GetDesktop(unsigned short *folder) {
    return folder ? Cfl_GetSystemFolder(folder, CSIDL_DESKTOP) : 0;
}

int Cfl_GetTempPath(unsigned short *folder) {
    if (!folder) return 0;
    std::memset(g_szCflWork, 0, sizeof g_szCflWork);
    bool found = GetTempPathW(QUORVEL_MAX_TEXT, as_wide(g_szCflWork)) != 0;
    if (found && !Cfl_IsFolder(g_szCflWork)) {
        // The system's answer is no folder: the TEMP variable may name one.
        unsigned short system_answer[QUORVEL_MAX_TEXT];
        copy_text(system_answer, g_szCflWork);
        const DWORD length = GetEnvironmentVariableW(as_wide(u"TEMP"), as_wide(g_szCflWork),
                                                     QUORVEL_MAX_TEXT);
        if (length == 0 || length >= QUORVEL_MAX_TEXT - 1)
            copy_text(g_szCflWork, system_answer);
        else if (!Cfl_IsFolder(g_szCflWork))
            found = false;
        else
            Cfl_AddBackslash(g_szCflWork);  // the variable may have none
    }
    if (found) {
        std::memset(g_szCflResult, 0, sizeof g_szCflResult);
        const DWORD length = GetLongPathNameW(as_wide(g_szCflWork), as_wide(g_szCflResult),
                                              QUORVEL_MAX_TEXT);
        if (length == 0 || length >= QUORVEL_MAX_TEXT) return 0;
        copy_text(folder, g_szCflResult);
        return 1;
    }
    // The fallback: "Temp\" in the Windows folder, neither tested nor made.
    unsigned short windows[QUORVEL_MAX_TEXT] = {};
    if (!Cfl_GetSystemFolder(windows, CSIDL_WINDOWS)) return 0;
    copy_text(folder, windows);
    unsigned short *end = folder;
    while (*end) ++end;
    for (const char16_t *p = u"Temp\\"; *p; ++p) *end++ = *p;
    *end = 0;
    return 1;
}
