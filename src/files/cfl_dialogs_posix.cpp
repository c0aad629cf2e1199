// The open, save and folder dialogs where there is no desktop to show them
// on: each answers as a user who cancels, with an empty result buffer.
#include <quorvel/links.h>
#include <quorvel/paths.h>

#include <cstring>

unsigned short *Cfl_SelectedFile(HWND, const unsigned short *, const unsigned short *,
                                 const unsigned short *, const unsigned short *, int, LONG) {
    std::memset(g_szCflResult, 0, sizeof g_szCflResult);
    return nullptr;
}

unsigned short *Cfl_SavedFile(HWND, const unsigned short *, const unsigned short *,
                              const unsigned short *, const unsigned short *, int, LONG) {
    std::memset(g_szCflResult, 0, sizeof g_szCflResult);
    return nullptr;
}

unsigned short *Cfl_SelectedFolder(HWND, const unsigned short *, const unsigned short *, LONG) {
    std::memset(g_szCflResult, 0, sizeof g_szCflResult);
    return nullptr;
}
