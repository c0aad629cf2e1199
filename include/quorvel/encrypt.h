/* Quorvel: password encryption of files and folder trees into containers
 * (".cpt"), hidden folder names (".cpf") and the logs "_Enc.log" and
 * "_Dec.log".
 *
 * A container is a header (format version 4, cipher type, a 96-byte key
 * block, a 32-bit key time) and entries (level, kind, attributes, the
 * enciphered name, size, creation and last-write times, the enciphered
 * body), all little-endian, Blowfish over 8-byte blocks. The body key is
 * the MD5 hex of the password's ANSI form with a salt, followed by the key
 * time as local "YYYYMMDDhhmmss": a container opens only where its key time
 * converts to the same local time.
 *
 * Everything runs on the caller's thread; options, callbacks, the log and
 * the cipher state are process-wide: one run at a time. Buffers returned
 * here are malloc'd and released with free. Results: 1 done (or skipped),
 * 0 failure, wrong password or cancel, any other value a stop value of the
 * progress callback. */
#ifndef QUORVEL_ENCRYPT_H
#define QUORVEL_ENCRYPT_H

#include <quorvel/base.h>
#include <quorvel/sequence.h>

/* ---- options, read at the moment of use (0 at load unless said) ------- */

QUORVEL_DATA unsigned char g_cEncryptType;   /* cipher of new containers: 0 Blowfish, the only one */
QUORVEL_DATA unsigned char g_cOutFolder;     /* 0 beside the source, 1 g_szDesktop, 2 g_szMyDocument, 3 g_szWrkDir */
QUORVEL_DATA unsigned char g_cOutName;       /* 0 name + ".cpt", 1 key time + counter, 2 MD5 of the name */
QUORVEL_DATA unsigned char g_cSubFolder;     /* descend into sub-folders */
QUORVEL_DATA unsigned char g_cSystemFolder;  /* include items with the system attribute */
QUORVEL_DATA unsigned char g_cEncFolder;     /* hide folder names, and restore them */
QUORVEL_DATA unsigned char g_cOnlyFolder;    /* folders only: single files are skipped */
QUORVEL_DATA unsigned char g_cVerify;        /* read each body back after writing it */
QUORVEL_DATA unsigned char g_cHideFile;      /* include items with the hidden attribute */
QUORVEL_DATA unsigned char g_cOutputLog;     /* write "_Enc.log" / "_Dec.log" */
QUORVEL_DATA unsigned char g_cExistFolder;   /* restore into "dpt_" + name when the folder exists */
QUORVEL_DATA unsigned char g_cDeleteOrg;     /* kept for hosts; the library never reads it */
QUORVEL_DATA unsigned char g_cSkipError;     /* 1 at load: a failed (not cancelled) file counts as done */

/* Intermediate paths of the drivers and the listing. */
QUORVEL_DATA unsigned short g_szEncWork[QUORVEL_MAX_TEXT];

/* ---- host callbacks, kept until replaced (null switches one off) ------ */

/* Start and result: (flag or result, path, path, the host's tag). With a
 * result of 0 the thread's last error says why (GetLastError): the
 * system's code, ERROR_FILENAME_EXCED_RANGE for a path past the library's
 * 2048 units, ERROR_INVALID_NAME for a name no Windows file may have,
 * ERROR_CANCELLED, ERROR_CRC for a body that did not verify,
 * ERROR_INVALID_PASSWORD, ERROR_CANT_ACCESS_FILE for a link where a
 * restored entry goes. */
typedef void (*ENC_FUNC_START)(unsigned char flag, const unsigned short *path,
                               const unsigned short *other, int tag);
typedef void (*ENC_FUNC_RESULT)(unsigned char result, const unsigned short *path,
                                const unsigned short *other, int tag);
/* Logging and verification: (result, path, path, size; -1 for a folder). */
typedef void (*ENC_FUNC_LOGGING)(unsigned char result, const unsigned short *path,
                                 const unsigned short *other, int64_t size);
typedef void (*ENC_FUNC_VERIFY)(unsigned char result, const unsigned short *path,
                                const unsigned short *other, int64_t size);

#ifdef __cplusplus
/* Each returns 1. */
QUORVEL_API int Enc_FuncCallStart(ENC_FUNC_START callback);
QUORVEL_API int Enc_FuncCallResult(ENC_FUNC_RESULT callback);
QUORVEL_API int Enc_FuncCallLogging(ENC_FUNC_LOGGING callback);
QUORVEL_API int Enc_FuncCallVerify(ENC_FUNC_VERIFY callback);

/* ---- keys and the container header ----------------------------------- */

/* The 46-unit body key text (salted digest and local key time), null for
 * a null or empty password or a key time localtime cannot convert.
 * cipherType is not used. */
QUORVEL_API unsigned short *Enc_CreateKey(const unsigned short *password, LONG keyTime,
                                          unsigned char cipherType);
/* The 96-byte key block: the body key text enciphered under the MD5 hex of
 * the password. Null as Enc_CreateKey. */
QUORVEL_API unsigned short *Enc_EncryptKey(const unsigned short *password, LONG keyTime,
                                           unsigned char cipherType);
/* A container's key block deciphered under the password (the body key text
 * when the password is right); cipherType receives the stored type (format
 * 4 and up). Null for an empty password, a missing or short container. */
QUORVEL_API unsigned short *Enc_DecryptKey(const unsigned short *password,
                                           const unsigned short *container,
                                           unsigned char &cipherType);
/* -1: no such container or an empty password; 0: a wrong password or a
 * container that cannot be opened; else the format version, with the first
 * stored name in `name` (QUORVEL_MAX_TEXT units) when it could be read and
 * is a plain file name. */
QUORVEL_API int Enc_DecryptView(const unsigned short *password, const unsigned short *container,
                                unsigned short *name);

/* ---- folder names ---------------------------------------------------- */

/* A name (no path) as text of "_", digits, ASCII letters and "+", and back
 * (without ".cpf"); a light scrambling keyed by one byte of the password,
 * not a cipher. Null when either argument is null or empty. */
QUORVEL_API unsigned short *Enc_EncryptFolder(const unsigned short *name,
                                              const unsigned short *password);
QUORVEL_API unsigned short *Enc_DecryptFolder(const unsigned short *text,
                                              const unsigned short *password);

/* ---- one container --------------------------------------------------- */

/* Writes the original into a new container (header and one entry). Types
 * other than 0 in g_cEncryptType, paths past the library's limit and names
 * a Windows file cannot have are refused with 0 before anything is written;
 * a container that fails or is cancelled later is removed. */
QUORVEL_API int Enc_EncryptHead(const unsigned short *password, const unsigned short *original,
                                const unsigned short *container, LONG keyTime);
/* The entry of `original` at the container's position, under the ANSI body
 * key. */
QUORVEL_API int Enc_EncryptBody(void *container, const unsigned char *bodyKey,
                                const unsigned short *original,
                                const unsigned short *containerPath, unsigned char level,
                                unsigned char cipherType);
/* Restores every entry into `outputFolder` (ending with a backslash); the
 * password is not checked here. Stops with 0 at the first entry that is
 * short, names anything but a plain file name, climbs or jumps levels out
 * of order, claims more bytes than the container holds, or would be
 * written where a link (or a read-only file) already is: nothing is ever
 * written outside the output folder. */
QUORVEL_API int Enc_DecryptHead(const unsigned short *password, const unsigned short *container,
                                const unsigned short *outputFolder);
/* One entry: `folder` (4096 units) and `depth` carry the reader's place
 * from entry to entry. */
QUORVEL_API int Enc_DecryptBody(void *container, const unsigned short *bodyKeyText,
                                const unsigned short *containerPath, unsigned short *folder,
                                unsigned char &depth, unsigned char version,
                                unsigned char cipherType);

/* ---- drivers --------------------------------------------------------- */

/* A file or a folder tree (the folder's path gets a trailing backslash in
 * the caller's buffer, which receives a renamed folder's new path and must
 * hold QUORVEL_MAX_TEXT units). All files of one call share the key time. */
QUORVEL_API int Enc_Encrypt(HWND window, unsigned short *path, const unsigned short *password,
                            LONG keyTime, int tag);
/* One folder (with its backslash) into `outputParent` (with its backslash). */
QUORVEL_API int Enc_EncryptSub(const unsigned short *password, unsigned short *folder,
                               const unsigned short *outputParent, LONG keyTime, int tag);
/* A container, or a folder tree of them, after the password check. */
QUORVEL_API int Enc_Decrypt(HWND window, unsigned short *path, const unsigned short *password,
                            int tag);
/* Bare names of a folder's entries (malloc'd, released with free): folders
 * when g_cSubFolder is set, files (containers, or all but containers) unless
 * g_cOnlyFolder is set; hidden and system items as the options say (a
 * folder that is itself excluded lists as empty). 1, or 0 when the folder
 * is empty text, cannot be read or the user cancels. */
QUORVEL_API int Enc_ListSubFolder(const unsigned short *folder, tagSEQ *folders, tagSEQ *files,
                                  int containersWanted);
#endif

#endif
