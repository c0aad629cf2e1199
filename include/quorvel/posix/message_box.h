/* Quorvel on POSIX: where the library's message boxes go.
 *
 * Without a desktop a box is written to standard error as "caption: text".
 * A box with a choice is asked on the terminal when standard input and
 * standard error are one; otherwise it is answered with its default button.
 * A host may take the boxes over instead. */
#ifndef QUORVEL_POSIX_MESSAGE_BOX_H
#define QUORVEL_POSIX_MESSAGE_BOX_H

#include <quorvel/base.h>

#ifndef _WIN32

/* Receives each box (type is MessageBox's style) and returns the answer,
 * an ID* value such as 1 (IDOK) or 6 (IDYES). */
typedef int (*QuorvelMessageBoxHandler)(void *context, HWND owner, LPCWSTR text,
                                        LPCWSTR caption, UINT type);

/* Installs a handler (null restores the standard-error form) and returns
 * the previous one. */
#ifdef __cplusplus
extern "C"
#endif
__attribute__((visibility("default"))) QuorvelMessageBoxHandler
Quorvel_SetMessageBoxHandler(QuorvelMessageBoxHandler handler, void *context);

#endif
#endif
