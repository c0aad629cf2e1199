/* Quorvel: the version resource of a module, read once into g_VersionInfo.
 *
 * The host may read the record directly: its fields, their order and sizes
 * are part of the interface. Texts are zero-terminated UTF-16, cut to their
 * field. None of these may be called from two threads at once. */
#ifndef QUORVEL_VERSION_H
#define QUORVEL_VERSION_H

#include <quorvel/base.h>

struct tagVersionInformation {
    unsigned short szModuleFileName[260];
    unsigned short szCompanyName[64];
    unsigned short szLegalCopyright[64];  /* the entry "LegalCopyRight" */
    unsigned short szFileDescription[32];
    unsigned short szFileVersion[32];
    unsigned short szMajorVersion[32];    /* of the fixed file version */
    unsigned short szMinorVersion[32];
    unsigned short szInternalName[32];
    unsigned short szOriginalFileName[32];
    unsigned short szProductName[32];
    unsigned short szProductVersion[32];
    unsigned short szDllVersion[32];      /* "a.b.c.d" of the fixed file version */
    VS_FIXEDFILEINFO fixedInfo;
    DWORD dwTranslation;                  /* language (low word), code page (high word) */
};

/* Zero until Ver_ReadVersion runs. */
QUORVEL_DATA struct tagVersionInformation g_VersionInfo;

/* Reads the version resource of `module` (null: the host's executable) into
 * g_VersionInfo: 1 when everything was read, 0 when the module has no path,
 * no version resource or no fixed part (the fields read so far stay, the
 * module's path always first). */
QUORVEL_API int Ver_ReadVersion(HINSTANCE module);
/* szMajorVersion, szMinorVersion and szDllVersion from fixedInfo; 1. */
QUORVEL_API int ver_GetFixedFileInfo(void);
/* The translation and the eight string entries of a block that
 * GetFileVersionInfoW filled; 1. */
QUORVEL_API int ver_GetDynamicInfo(unsigned char *block);
/* One string entry of the block in the first translation, in a module
 * buffer of 2048 units that the next lookup overwrites; empty when the
 * resource lacks it. */
QUORVEL_API unsigned short *ver_GetDynamicInfo(unsigned char *block, const unsigned short *entry);

/* Fields of g_VersionInfo; none reads the resource again. */
QUORVEL_API unsigned short *Ver_GetAppCopyright(void);
QUORVEL_API unsigned short *Ver_GetDescription(void);
QUORVEL_API unsigned short *Ver_GetAppInternalName(void);
QUORVEL_API unsigned short *Ver_GetAppProductName(void);
QUORVEL_API unsigned short *Ver_GetAppProductVersion(void);
QUORVEL_API unsigned short *Ver_GetAppDllVersion(void);
QUORVEL_API unsigned short *Ver_GetAppModuleFileName(void);

#endif
