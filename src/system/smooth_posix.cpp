// Fades and transparency on POSIX: there are no windows, so the user-
// interface library is never held and every call does nothing, as on a
// system without layered windows.
#include <quorvel/system.h>

void Sm_CreateSmoothly(HWND) {}
void Sm_DestroySmoothly() {}
void Sm_ShowSmoothly(HWND, int, int, int) {}
int Sm_SetTransparent(HWND, COLORREF, unsigned char, DWORD) { return 0; }
