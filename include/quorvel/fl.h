/* Quorvel: file handles (the Fl_ family).
 *
 * A handle is the system's file handle as an untyped pointer; null stands
 * for no file everywhere. Byte counts are unsigned 32-bit with all ones
 * (FL_FAILED) for a failure; positions and sizes are signed 64-bit with -1
 * for a failure. Failed system calls are shown through Err_Message(0),
 * except by Fl_Seek, and by Fl_Open when `report` is 0. */
#ifndef QUORVEL_FL_H
#define QUORVEL_FL_H

#include <quorvel/base.h>

enum _FL_MODE {
    FL_READ = 0,   /* read, others may read, the file must exist */
    FL_CREATE = 1, /* read and write, exclusive, a new empty file */
    FL_WRITE = 2,  /* read and write, exclusive, created if missing, never cut */
    FL_UPDATE = 3, /* read and write, exclusive, the file must exist */
    FL_FOLDER = 4  /* a folder (or file), read and write, for its times */
};

#define FL_FAILED 0xFFFFFFFFu

/* The longest string Fl_Read (string) accepts, in UTF-16 units: the buffer
 * must hold this many units and a terminator (QUORVEL_MAX_TEXT in all). A
 * stored count above it gives FL_FAILED with the buffer untouched. */
#define FL_MAX_STRING (QUORVEL_MAX_TEXT - 1)

#ifdef __cplusplus
QUORVEL_API void *Fl_Open(const unsigned short *path, _FL_MODE mode, int report);
QUORVEL_API int Fl_Close(void *file);

QUORVEL_API uint32_t Fl_Read(void *file, void *buffer, uint32_t count);
QUORVEL_API uint32_t Fl_Write(void *file, const void *buffer, uint32_t count);

/* Length-prefixed string: a little-endian 32-bit count N of UTF-16 units,
 * then the 2N bytes, no terminator. Both return 2N, or FL_FAILED. Fl_Read
 * leaves the buffer zero-terminated. */
QUORVEL_API uint32_t Fl_Read(void *file, unsigned short *buffer);
QUORVEL_API uint32_t Fl_Write(void *file, const unsigned short *text);

/* method: 0 from the start, 1 from the current position, 2 from the end. */
QUORVEL_API int64_t Fl_Seek(void *file, int64_t distance, uint32_t method);
QUORVEL_API int64_t Fl_FileSize(void *file);

/* Each time pointer may be null to skip it. 1 on success, else 0. */
QUORVEL_API int Fl_GetFileTime(void *file, FILETIME *creation, FILETIME *access,
                               FILETIME *write);
QUORVEL_API int Fl_SetFileTime(void *file, const FILETIME *creation,
                               const FILETIME *access, const FILETIME *write);
#endif

#endif
