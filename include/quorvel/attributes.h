/* Quorvel: file attributes (the Cfl_ attribute calls).
 *
 * Attributes are the system's FILE_ATTRIBUTE_ bits. Each call turns the
 * path into its long form first; a failure is shown through Err_Message(0)
 * when `report` is non-zero. */
#ifndef QUORVEL_ATTRIBUTES_H
#define QUORVEL_ATTRIBUTES_H

#include <quorvel/base.h>

#ifdef __cplusplus
/* Stores the attributes in `attributes` in every case (all bits set on a
 * failure); 1 unless they are all bits set. */
QUORVEL_API int Cfl_GetFileAttr(const unsigned short *path, DWORD &attributes, int report);
/* 1 on success, else 0. */
QUORVEL_API int Cfl_SetFileAttr(const unsigned short *path, DWORD attributes, int report);
/* Clears the read-only attribute, keeping the others; reports failures. 1
 * when both reading and writing the attributes succeeded. */
QUORVEL_API int Cfl_RemoveFileAttrReadOnly(const unsigned short *path);
#endif

#endif
