/* Quorvel: the progress state and the calls that feed and poll it.
 *
 * One progress state per process, at most one progress window at a time.
 * Every call is safe without a window: the calls that need the window do
 * nothing then, while the cancel and pause flags and the counter view work
 * the same with or without one. Texts are zero-terminated UTF-16. */
#ifndef QUORVEL_PROGRESS_H
#define QUORVEL_PROGRESS_H

#include <quorvel/base.h>

/* Starts the progress window on a thread of its own, with its three drawing
 * threads, and returns 1 once it is on screen (topmost, not activated), or
 * 0. Waits up to about 1 s for an earlier window to go. The dialog and bar
 * faces come from the library when there is no owner, else from `instance`
 * or, when that is null, from the owner's module. The user's cancel and
 * pause answers are also written to *cancel and *pause (either may be null)
 * until the window thread ends.
 * On POSIX the window is a few lines on standard error's terminal; Ctrl-C
 * cancels and any other key pauses and resumes. Without a terminal nothing
 * is made and the result is 0. */
QUORVEL_API int Prg_CreateProgress(HWND owner, int *cancel, int *pause, HINSTANCE instance);

/* Sets the title and shows the window normally. */
QUORVEL_API void Prg_OpenProgress(const unsigned short *title);
QUORVEL_API void Prg_HideProgress(void);
/* Hides and ends the window and waits for its drawing threads; always 1.
 * Takes about 300 ms even without a window. */
QUORVEL_API int Prg_CloseProgress(void);
/* 1 while a progress window exists. */
QUORVEL_API int Prg_IsProgress(void);

/* The caption is "<title> - Version <version>", or the title alone while
 * the version is empty. Title up to 255 units, version up to 97; longer
 * texts are cut. Null arguments are ignored. */
QUORVEL_API void Prg_SetTitle(const unsigned short *title);
QUORVEL_API void Prg_SetVersion(const unsigned short *version);
/* Button texts (up to 63 units each); null texts change nothing. */
QUORVEL_API void Prg_SetCancelText(const unsigned short *text);
QUORVEL_API void Prg_SetResumeText(const unsigned short *pauseText,
                                   const unsigned short *resumeText);
QUORVEL_API void Prg_EnableCancelButton(int enable);
QUORVEL_API void Prg_EnableResumeButton(int enable);

/* The file name and the one-line message reach the window as private
 * messages carrying a malloc'd copy. The "2" forms hand over the caller's
 * own malloc'd block when there is a window (the window frees it); without
 * a window the block stays the caller's. */
QUORVEL_API void Prg_SetFileName(const unsigned short *path);
QUORVEL_API void Prg_SetFileName2(unsigned short *path);
QUORVEL_API void Prg_SetMessage(const unsigned short *text);
QUORVEL_API void Prg_SetMessage2(const unsigned short *text);

/* Non-zero: the window shows bare counts and done is not limited to total. */
QUORVEL_API void Prg_ViewCounter(int on);
/* Position reached against total (0: no total). Done is limited to total
 * unless the counter view is on. */
QUORVEL_API void Prg_SetProgress(int64_t done, int64_t total);
/* The second position, drawn over the first (a pass over counted data). */
QUORVEL_API void Prg_SetProgress2(int64_t secondDone);
QUORVEL_API void Prg_SetProgressAdd(int64_t delta);
QUORVEL_API void Prg_SetProgressAdd2(int64_t delta);

/* The cancel flag stays set after the window is gone until it is cleared
 * here or the next window is created. The pause flag is named after
 * resuming. Both are stored as given. */
QUORVEL_API void Prg_SetCancel(int value);
QUORVEL_API void Prg_SetResume(int value);
QUORVEL_API int Prg_IsCancel(void);
QUORVEL_API int Prg_IsResume(void);

/* Dispatches at most one pending message of the window, when called on the
 * window's own thread. */
QUORVEL_API void Prg_PeekMessage(void);
/* 1 while paused and not cancelled, else 0. */
QUORVEL_API int Prg_DoResume(void);
/* Waits in steps of 250 ms while paused and not cancelled, then returns
 * the cancel flag: non-zero means stop. */
QUORVEL_API int Prg_DoCancel(void);
/* A stream progress callback (see Bwf_FuncCall): reports done and the
 * second position against total and returns 1 to go on, or 0 after closing
 * the window when the work is cancelled. */
QUORVEL_API int Prg_ProgressCall(int64_t total, int64_t done, int64_t secondDone);

#endif
