/* POSIX platform layer: text calls. Code pages 932 (Shift_JIS as Windows
 * has it, with the NEC and IBM rows), 51932 (EUC-JP), 1252, UTF-8, and the
 * thread/system ANSI code page that the locale selects; the double-byte
 * classes of code page 932; the locale's case, kana and width mappings. */
#ifndef QUORVEL_PLATFORM_WINAPI_TEXT_H
#define QUORVEL_PLATFORM_WINAPI_TEXT_H

#include "base.h"

namespace quorvel_win32 {

#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004
#endif

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400

/* flags 0 or MB_ERR_INVALID_CHARS; length -1 converts the terminator too.
 * Bytes that the code page does not define become its default character
 * (U+30FB for a bad double-byte pair of 932, U+FFFD for UTF-8). */
QUORVEL_WINAPI int MultiByteToWideChar(UINT codePage, DWORD flags, const char *text,
                                       int length, LPWSTR wide, int capacity);
/* flags 0 or WC_NO_BEST_FIT_CHARS (no best-fit forms, as Windows has them).
 * A character the code page cannot hold becomes '?'; defaultChar must be
 * null and usedDefault, when given, tells whether that happened. */
QUORVEL_WINAPI int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide,
                                       int length, char *text, int capacity,
                                       const char *defaultChar, BOOL *usedDefault);

/* The ANSI code page: 932 under a ja_JP locale (LC_ALL, LC_CTYPE, LANG in
 * that order, as Wine reads them), 1252 otherwise. QUORVEL_ACP=<number> in
 * the environment, or Quorvel_SetAnsiCodePage, overrides it. */
QUORVEL_WINAPI UINT GetACP(void);
QUORVEL_WINAPI UINT GetOEMCP(void);
/* Sets the ANSI code page (932, 1252 or 65001); 0 returns to the locale's.
 * Returns FALSE with ERROR_INVALID_PARAMETER for other values. */
QUORVEL_WINAPI BOOL Quorvel_SetAnsiCodePage(UINT codePage);
QUORVEL_WINAPI BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
QUORVEL_WINAPI BOOL IsDBCSLeadByte(BYTE byte);

typedef DWORD LCID;
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
/* 0x0411 (Japanese) when the ANSI code page is 932, 0x0409 otherwise. */
QUORVEL_WINAPI LCID GetSystemDefaultLCID(void);
QUORVEL_WINAPI LCID GetUserDefaultLCID(void);

#define LCMAP_LOWERCASE 0x00000100
#define LCMAP_UPPERCASE 0x00000200
#define LCMAP_SORTKEY 0x00000400
#define LCMAP_BYTEREV 0x00000800
#define LCMAP_HIRAGANA 0x00100000
#define LCMAP_KATAKANA 0x00200000
#define LCMAP_HALFWIDTH 0x00400000
#define LCMAP_FULLWIDTH 0x00800000
/* Case (Unicode simple case mapping), hiragana/katakana, half/full width
 * (a voiced half-width katakana pair becomes one full-width character) and
 * byte reversal; contradictory pairs of flags are refused. LCMAP_SORTKEY,
 * alone: ICU's collation key (Japanese for 0x0411, else the root order),
 * zero-terminated bytes counted in bytes; it orders text as Windows' keys
 * do in the main, but its bytes are not Windows'. capacity 0 asks the
 * needed size. */
QUORVEL_WINAPI int LCMapStringW(LCID locale, DWORD flags, LPCWSTR source, int length,
                                LPWSTR target, int capacity);

/* Removes the units of `set` from both ends of `text`, in place; TRUE when
 * any was removed. */
QUORVEL_WINAPI BOOL StrTrimW(LPWSTR text, LPCWSTR set);

}  // namespace quorvel_win32

#endif
