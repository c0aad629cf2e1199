// Tests on paths. Each skips a long-path prefix first.
#include <quorvel/paths.h>

#include "platform/win32.h"


#include <cstring>

namespace {

LPCWSTR ordinary_form(const unsigned short *path) {
    return as_wide(path + Cfl_IndexUNCPath(path));
}

// The drive type of the path's first three units, set aside in g_szCflDrive.
UINT drive_type(const unsigned short *path) {
    const unsigned short *rest = path + Cfl_IndexUNCPath(path);
    std::memset(g_szCflDrive, 0, sizeof g_szCflDrive);
    for (int i = 0; i < 3 && rest[i]; ++i) g_szCflDrive[i] = rest[i];
    return GetDriveTypeW(as_wide(g_szCflDrive));
}

}  // namespace

int Cfl_IsExist(const unsigned short *path) {
    return path && PathFileExistsW(ordinary_form(path)) ? 1 : 0;
}

int Cfl_IsFolder(const unsigned short *path) {
    return path && PathIsDirectoryW(ordinary_form(path)) > 0 ? 1 : 0;
}

int Cfl_IsUNC(const unsigned short *path) {
    return path && PathIsUNCW(ordinary_form(path)) ? 1 : 0;
}

int Cfl_IsUNCServer(const unsigned short *path) {
    return path && PathIsUNCServerShareW(ordinary_form(path)) ? 1 : 0;
}

int Cfl_IsNetworkPath(const unsigned short *path) {
    return path && PathIsNetworkPathW(ordinary_form(path)) ? 1 : 0;
}

int Cfl_IsLocalDrive(const unsigned short *path) {
    return path && drive_type(path) == DRIVE_FIXED ? 1 : 0;
}

int Cfl_IsNetDrive(const unsigned short *path) {
    return path && drive_type(path) == DRIVE_REMOTE ? 1 : 0;
}

int Cfl_IsDriveAndFolder(const unsigned short *path) {
    if (!Cfl_IsExist(path)) return 0;
    struct _stati64 status;
    std::memset(&status, 0, sizeof status);
    if (Cfl_GetFileInfo(path, &status) && (status.st_mode & 0x8000)) return 0;
    return Cfl_IsFolder(path) || Cfl_IsLocalDrive(path) || Cfl_IsUNC(path) ||
                   Cfl_IsNetworkPath(path)
               ? 1
               : 0;
}
