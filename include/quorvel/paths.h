/* Quorvel: path strings and predicates (the Cfl_ path layer).
 *
 * Paths are zero-terminated UTF-16 with the backslash as separator. Three
 * module-wide buffers of QUORVEL_MAX_TEXT units hold results; a pointer into
 * one is valid until the next call that uses the same buffer. None of these
 * functions may be called from two threads at once. */
#ifndef QUORVEL_PATHS_H
#define QUORVEL_PATHS_H

#include <quorvel/base.h>
#include <sys/stat.h>

/* The Cfl_ work buffer: long-path forms, expanded and un-expanded texts. */
QUORVEL_DATA unsigned short g_szCflWork[QUORVEL_MAX_TEXT];
/* Drive scratch text and the result of Cfl_GetDriveName. */
QUORVEL_DATA unsigned short g_szCflDrive[QUORVEL_MAX_TEXT];
/* Long-name result of Cfl_GetTempPath (and of the file dialogs). */
QUORVEL_DATA unsigned short g_szCflResult[QUORVEL_MAX_TEXT];

/* Predicates: non-zero for true, 0 for a null path. Each skips a long-path
 * prefix ("\\?\" or "\\?\UNC\") and tests the rest. */
QUORVEL_API int Cfl_IsExist(const unsigned short *path);
QUORVEL_API int Cfl_IsFolder(const unsigned short *path);
QUORVEL_API int Cfl_IsUNC(const unsigned short *path);
QUORVEL_API int Cfl_IsUNCServer(const unsigned short *path);
QUORVEL_API int Cfl_IsNetworkPath(const unsigned short *path);
/* The drive of the path's first three characters is fixed (remote). */
QUORVEL_API int Cfl_IsLocalDrive(const unsigned short *path);
QUORVEL_API int Cfl_IsNetDrive(const unsigned short *path);
/* 1 for an existing folder, drive or share that files can be put in. */
QUORVEL_API int Cfl_IsDriveAndFolder(const unsigned short *path);

/* File status and times; times are seconds since 1970-01-01 UTC, 0 when
 * they cannot be read. */
QUORVEL_API int Cfl_GetFileInfo(const unsigned short *path, struct _stati64 *status);
QUORVEL_API LONG Cfl_GetFileLtTime(const unsigned short *path);
QUORVEL_API LONG Cfl_GetFileCtTime(const unsigned short *path);
QUORVEL_API LONG Cfl_GetFileAsTime(const unsigned short *path);
QUORVEL_API int Cfl_SetFileTime(const unsigned short *path, LONG access, LONG modified);

/* In-place edits: return the argument, null for null. */
QUORVEL_API unsigned short *Cfl_AddBackslash(unsigned short *path);
QUORVEL_API unsigned short *Cfl_RemoveBackslash(unsigned short *path);
QUORVEL_API unsigned short *Cfl_RemoveFileSpec(unsigned short *path);
QUORVEL_API unsigned short *Cfl_StripPath(unsigned short *path);
QUORVEL_API void Cfl_RemoveExtension(unsigned short *path);

/* Points into `path` at the last extension's dot, or at its terminator. */
QUORVEL_API unsigned short *Cfl_GetExtension(const unsigned short *path);
/* Units to skip to reach the ordinary form: 8, 4 or 0; -1 for null. */
QUORVEL_API LONG Cfl_IndexUNCPath(const unsigned short *path);
/* Writes the long-path form of `source` into `target` (which must hold the
 * source, 6 more units and a terminator) and returns `target`. */
QUORVEL_API unsigned short *Cfl_ChangeUNCPath(const unsigned short *source,
                                              unsigned short *target);
/* g_szCflDrive holding the drive part ("C:"), empty when there is none. */
QUORVEL_API unsigned short *Cfl_GetDriveName(const unsigned short *path);

/* Into g_szCflWork; on failure an error report and the argument itself. */
QUORVEL_API unsigned short *Cfl_ExpandEnvironmentStrings(const unsigned short *text);
QUORVEL_API unsigned short *Cfl_PathUnExpandEnvStrings(const unsigned short *path);

/* Folders, written with a trailing backslash into the caller's buffer
 * (QUORVEL_MAX_TEXT units); 1 on success, 0 on failure. */
QUORVEL_API int Cfl_GetTempPath(unsigned short *folder);
QUORVEL_API int Cfl_GetSystemFolder(unsigned short *folder, int csidl);
QUORVEL_API int Cfl_GetMyDocument(unsigned short *folder);
QUORVEL_API int Cfl_GetDesktop(unsigned short *folder);

#endif
