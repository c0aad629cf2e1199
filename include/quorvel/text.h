/* Quorvel: text conversion between UTF-16, the ANSI code page, UTF-8,
 * Shift_JIS, JIS and EUC-JP; width and kana mapping; in-place string
 * editing, CSV splitting and thousands separators.
 *
 * Buffers returned by Str_ToUnicode, Str_FromUnicode, Str_Utf8ToShiftJis,
 * Str_UnicodeToUtf8 and Str_UnicodeToEucJP are released with delete[];
 * those of Str_CharTo16, Str_16ToChar and the CSV fields with free(). */
#ifndef QUORVEL_TEXT_H
#define QUORVEL_TEXT_H

#include <quorvel/base.h>

/* Result buffer of Str_ConvStr, Str_AddCommaInt and Str_AddCommaReal: valid
 * until the next call of any of the three; not safe from two threads. */
QUORVEL_DATA unsigned short g_szStrWork[QUORVEL_MAX_TEXT];

/* ---- conversions ---------------------------------------------------- */

/* Thread ANSI code page -> UTF-16. length counts bytes; 0xFFFFFFFF takes a
 * zero-terminated text and converts its terminator too. With an explicit
 * length the result holds exactly the converted units, unterminated.
 * Null on failure. */
QUORVEL_API unsigned short *Str_ToUnicode(const char *text, DWORD length);
/* UTF-16 -> thread ANSI code page, as Str_ToUnicode (length in units). */
QUORVEL_API char *Str_FromUnicode(const unsigned short *text, DWORD length);
/* Zero-terminated UTF-8 -> zero-terminated system ANSI code page text;
 * null for empty input or on failure. */
QUORVEL_API char *Str_Utf8ToShiftJis(const char *text);
/* Zero-terminated UTF-16 -> count bytes of UTF-8 (a zero follows them);
 * null with count 0 for empty input or on failure. */
QUORVEL_API char *Str_UnicodeToUtf8(const unsigned short *text, int &count);
/* Zero-terminated UTF-16 -> count bytes of EUC-JP (code page 51932; a
 * zero follows them); null on failure. */
QUORVEL_API char *Str_UnicodeToEucJP(const unsigned short *text, int &count);

/* Shift_JIS -> 7-bit JIS (ESC $ B double-byte runs, ESC ( I half-width
 * katakana runs, each closed by ESC ( B; CR LF becomes LF). The caller's
 * jis buffer must hold 7 * strlen(sjis) + 1 bytes. A pair without a JIS
 * form (IBM and user-defined rows) becomes the geta mark 0x22 0x2E. */
QUORVEL_API void Str_SJisToJis(const char *sjis, char *jis);
/* 7-bit JIS -> Shift_JIS (a lone LF becomes CR LF). The caller's sjis
 * buffer must hold 2 * strlen(jis) + 1 bytes. A pair outside JIS X 0208's
 * byte range becomes the geta mark 0x81 0xAC. */
QUORVEL_API void Str_JisToSJis(const char *jis, char *sjis);

/* Each unit as four lowercase hexadecimal digits ("AB" -> "00410042"),
 * zero-terminated, allocated here and released with free(). */
QUORVEL_API unsigned short *Str_CharTo16(const unsigned short *text);
/* Groups of `digits` (1..31) hexadecimal characters -> one unit each (low
 * 16 bits); a short last group counts too. Null for a bad width. The
 * caller gives only a zero-terminated text: the zero-terminated result
 * (one unit per group) is allocated here and released with free(). */
QUORVEL_API unsigned short *Str_16ToChar(const unsigned short *text, int digits);

/* Maps the text with the system locale's LCMapStringW into g_szStrWork.
 * Mode bits: 0x01 hiragana, 0x02 katakana, 0x04 half width, 0x08 full
 * width, 0x10 lower case, 0x20 upper case, 0x40 sort key, 0x80 byte
 * reversal. A failed mapping leaves g_szStrWork as it was. The result is
 * cut to QUORVEL_MAX_TEXT - 1 units. */
QUORVEL_API unsigned short *Str_ConvStr(const unsigned short *text, unsigned char mode);

/* ---- in-place editing ----------------------------------------------- */
/* Each returns the text it was given. set may be null: space, ideographic
 * space, CR, LF, TAB. */

QUORVEL_API unsigned short *Str_Trim(unsigned short *text, const unsigned short *set);
QUORVEL_API unsigned short *Str_TrimLeft(unsigned short *text, const unsigned short *set);
QUORVEL_API unsigned short *Str_TrimRight(unsigned short *text, const unsigned short *set);
QUORVEL_API unsigned short *Str_DeleteChar(unsigned short *text, unsigned short character);
QUORVEL_API unsigned short *Str_ReplaceChar(unsigned short *text, unsigned short from,
                                            unsigned short to);
/* Replaces every non-overlapping occurrence, left to right. The result is
 * cut at twice the original length (the room the function works in);
 * the buffer must hold 2 * length + 1 units. */
QUORVEL_API unsigned short *Str_ReplaceStr(unsigned short *text, const unsigned short *search,
                                           const unsigned short *replacement);

/* ---- numbers (results in g_szStrWork) ------------------------------- */

/* 1234567 -> "1,234,567"; -1024 -> "-1,024" (the sign is never grouped). */
QUORVEL_API unsigned short *Str_AddCommaInt(int64_t value);
/* Truncated integer part with commas, then a point and `decimals` digits
 * of the fraction, truncated ("1,234.567"); a negative value that is not
 * an integer keeps its minus sign even when its integer part is 0. Up to 18
 * decimals the fraction is scaled in double (1.15 with 2 gives "1.14"),
 * beyond that its exact binary value gives the digits. Integer parts past
 * the 64-bit range are written in full; infinities give "∞" and "-∞", NaN
 * gives "NaN", without decimals. */
QUORVEL_API unsigned short *Str_AddCommaReal(double value, int decimals);

/* ---- CSV ------------------------------------------------------------ */

/* Fills fields[0..count) with malloc blocks of `units` units each. */
QUORVEL_API void Str_CSVAlloc(unsigned short **fields, int count, int units);
QUORVEL_API void Str_CSVFree(unsigned short **fields, int count);
/* Splits one line (edited in place; cut at its last LF) into at most
 * `maximum` fields, growing field buffers with realloc as needed. Returns
 * the number of fields stored; an unterminated quoted field is not
 * stored. The line must be a writable zero-terminated text (it never
 * grows); `fields` must hold `maximum` pointers, each a malloc block of
 * any size (or null), which may be replaced by a larger block. */
QUORVEL_API int Str_CSVAnalyze(unsigned short *line, unsigned short **fields, int maximum,
                               unsigned short separator, unsigned short quote);

#endif
