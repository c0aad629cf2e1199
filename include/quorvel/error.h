/* Quorvel: error reports and the host's message box. */
#ifndef QUORVEL_ERROR_H
#define QUORVEL_ERROR_H

#include <quorvel/base.h>

/* Reads the thread's last-error code. 0, or the code equal to noReport,
 * is returned without showing anything; any other code is shown as
 * "[Error:%d] <system text>" in a modal box captioned "Error Message" and
 * returned once the box is closed. */
QUORVEL_API LONG Err_Message(LONG noReport);

/* As Err_Message, but copies the system's text into `text` instead of
 * showing it. The buffer is left untouched when nothing is reported; it
 * must hold the whole text (the system's texts are well under 1024 units;
 * Err_GetMessageN bounds the copy). */
QUORVEL_API LONG Err_GetMessage(unsigned short *text, LONG noReport);

/* Bounded Err_GetMessage: copies at most capacity - 1 units and always
 * terminates when capacity > 0. */
QUORVEL_API LONG Err_GetMessageN(unsigned short *text, LONG capacity, LONG noReport);

/* Sets the caption of Msg_Show boxes; an empty title makes the next
 * Msg_Show take its owner window's caption. */
QUORVEL_API void Msg_SetTitle(const unsigned short *title);

/* A message box owned by `owner`, centred on the mouse cursor and kept
 * inside the cursor's monitor, topmost. Returns the box's answer (IDOK,
 * IDCANCEL, ...) or 0 when it could not be shown. */
QUORVEL_API int Msg_Show(HWND owner, const unsigned short *text, UINT style);

#endif
