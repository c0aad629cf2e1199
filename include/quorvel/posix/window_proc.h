/* Quorvel on POSIX: where the library's window messages go.
 *
 * There are no windows. A host that wants the drop target's notifications
 * stands a window in: any distinct non-null handle with a procedure of its
 * own, which the library's SendMessageW then calls on the sending thread.
 * Messages to any other handle are lost, as to a window that does not
 * exist (ERROR_INVALID_WINDOW_HANDLE). */
#ifndef QUORVEL_POSIX_WINDOW_PROC_H
#define QUORVEL_POSIX_WINDOW_PROC_H

#include <quorvel/base.h>

#ifndef _WIN32

typedef LRESULT (*QuorvelWindowProc)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Gives `window` its procedure; a null procedure forgets the window. */
#ifdef __cplusplus
extern "C"
#endif
__attribute__((visibility("default"))) void
Quorvel_SetWindowProc(HWND window, QuorvelWindowProc procedure);

#endif
#endif
