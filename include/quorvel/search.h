/* Quorvel: file search, folder analysis and sizes (the Cfl_ calls that look
 * at files without changing them).
 *
 * Sizes are signed 64-bit byte counts, -1 when they cannot be read. A
 * failure is shown through Err_Message(0) where a `report` flag is set. */
#ifndef QUORVEL_SEARCH_H
#define QUORVEL_SEARCH_H

#include <quorvel/base.h>
#include <quorvel/sequence.h>

/* One search result. Allocated zero-filled by the search, owned by the
 * list's holder and released only by Cfl_FileSearchFree. */
struct tagFINDFILE {
    unsigned int attrib;      /* _A_SUBDIR 0x10, _A_HIDDEN 0x02, ... */
    LONG time_create;         /* seconds since 1970-01-01 UTC */
    LONG time_access;
    LONG time_write;
    int64_t size;
    unsigned short *pszFullPath; /* folder, backslash, name: malloc'd */
    unsigned short *pszExtra;    /* null from the search; freed with free() */
};

#ifdef __cplusplus
/* Appends every entry of `folder` matching `pattern`, depth-first, to
 * `list` (records of tagFINDFILE). Hidden and system entries are skipped;
 * folders too unless `includeFolders` is non-zero, in which case each
 * matching folder is listed before its own entries ("." and ".." are not
 * kept). 1 when an entry was met, 0 when none was or the folder cannot be
 * listed (the list unchanged). */
QUORVEL_API int Cfl_FileSearch(const unsigned short *folder, const unsigned short *pattern,
                               tagSEQ &list, int includeFolders);
/* Frees every record of the list and its strings, and empties it. */
QUORVEL_API void Cfl_FileSearchFree(tagSEQ &list);

/* Adds the files, folders and bytes of `folder` (of its whole tree when
 * `recursive`) to the three counters, which it never resets. With
 * `compressed`, compressed and sparse files count the bytes they occupy.
 * 1 on success, 0 when a folder cannot be listed. The process's current
 * folder changes during the call. */
QUORVEL_API int Cfl_FolderAnalyze(const unsigned short *folder, LONG &files, LONG &folders,
                                  int64_t &bytes, int compressed, int recursive, int report);

QUORVEL_API int64_t Cfl_GetFileSize(const unsigned short *path, int report);
/* Total bytes, and bytes free for the caller, of the drive of `path`. */
QUORVEL_API int64_t Cfl_GetDispTotalSpace(const unsigned short *path, int report);
QUORVEL_API int64_t Cfl_GetDispFreeSpace(const unsigned short *path, int report);

/* The size as text in g_szCflWork: mode 0 picks B, KB, MB, GB or TB by
 * size ("1.00 MB", "999 MB", "0.97 GB"), modes 1 to 5 force B, KB, MB, GB,
 * TB (two decimals but for B). Numbers are truncated, never rounded. A mode
 * above 5 leaves g_szCflWork as it is. */
QUORVEL_API unsigned short *Cfl_DispByteSize(int64_t size, unsigned char mode);

/* XOR of the seed, the little-endian 32-bit words of the data and a last
 * word of the 1 to 3 remaining bytes taken most significant first. */
QUORVEL_API DWORD Cfl_CheckSum(const void *data, unsigned int length, DWORD seed);
#endif

#endif
