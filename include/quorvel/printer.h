/* Quorvel: the host's printer and the page it prints on.
 *
 * The printer is two global memory handles in the form the print dialogs
 * use, g_hDevMode (a DEVMODEW block) and g_hDevNames (a DEVNAMES block),
 * which the host fills from Prn_GetDefaultPrinter or from its own print
 * dialog; the other globals are what the calls below derive from them.
 * Every global is module-wide, without a lock. */
#ifndef QUORVEL_PRINTER_H
#define QUORVEL_PRINTER_H

#include <quorvel/base.h>

/* Width then height, in millimetres. */
typedef struct tagDSIZE {
    double cx;
    double cy;
} tagDSIZE;

QUORVEL_DATA HGLOBAL g_hDevMode;
QUORVEL_DATA HGLOBAL g_hDevNames;

/* Copied from the DEVMODEW by Prn_GetPrinterInfo; A4 portrait after
 * Prn_PrinterInit. Lengths in tenths of a millimetre, the scale in
 * percent. g_iFromPage and g_iToPage are the host's. */
QUORVEL_DATA short g_iOrientation;
QUORVEL_DATA short g_iPaperSize;
QUORVEL_DATA short g_iPaperLength;
QUORVEL_DATA short g_iPaperWidth;
QUORVEL_DATA short g_iScale;
QUORVEL_DATA short g_iCopies;
QUORVEL_DATA short g_iFromPage;
QUORVEL_DATA short g_iToPage;

/* Measured by Prn_GetPrinterSize: pixels per inch, one millimetre in
 * horizontal pixels, and in pixels (sz) and millimetres (dsz) the whole
 * sheet, the unprintable left and top margin, the extra margin of one
 * millimetre and the printable area less that margin on both sides. */
QUORVEL_DATA LONG g_lDpiX;
QUORVEL_DATA LONG g_lDpiY;
QUORVEL_DATA LONG g_lMgnMm;
QUORVEL_DATA tagSIZE g_szPaperHard;
QUORVEL_DATA tagSIZE g_szMgnHard;
QUORVEL_DATA tagSIZE g_szMgnSoft;
QUORVEL_DATA tagSIZE g_szPaperSoft;
QUORVEL_DATA tagDSIZE g_dszPaperHard;
QUORVEL_DATA tagDSIZE g_dszMgnHard;
QUORVEL_DATA tagDSIZE g_dszMgnSoft;
QUORVEL_DATA tagDSIZE g_dszPaperSoft;

/* The last results of the three name calls; the document and page
 * buffers are the host's. */
QUORVEL_DATA unsigned short g_sDeviceName[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_sDriverName[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_sOutputPort[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_sOutputDoc[QUORVEL_MAX_TEXT];
QUORVEL_DATA unsigned short g_sOutputPage[QUORVEL_MAX_TEXT];

/* A4 portrait, 210 x 297 mm with 5 mm hard margins, one copy, pages 1 to
 * 1; the pixel sizes 0. The handles are left alone. */
QUORVEL_API void Prn_PrinterInit(void);
/* Frees both handles and nulls them. */
QUORVEL_API void Prn_PrinterDestroy(void);
/* Replaces the handles with the system's default printer, without a
 * dialog; with no printer nothing changes. On POSIX there is no print
 * spooler: nothing changes. */
QUORVEL_API void Prn_GetDefaultPrinter(void);
/* The device, driver and port names of g_hDevNames, in their g_s buffers;
 * without a printer "プリンタが見つからない...",
 * "プリンタドライバーが見つからない..." and "". */
QUORVEL_API const unsigned short *Prn_PrinterName(void);
QUORVEL_API const unsigned short *Prn_DriverName(void);
QUORVEL_API const unsigned short *Prn_OutputPort(void);
/* A device context of the printer (null without both handles or when the
 * driver makes none); the caller deletes it with DeleteDC. */
QUORVEL_API HDC Prn_GetPrinterDC(void);
/* Measures the page; null handles mean the globals. Without a printer or a
 * device context nothing changes. */
QUORVEL_API void Prn_GetPrinterSize(void *devNames, void *devMode);
/* Copies orientation, paper size, length and width, scale and copies from
 * a DEVMODEW handle (null: g_hDevMode) into the g_i globals. */
QUORVEL_API void Prn_GetPrinterInfo(void *devMode);
/* A new movable, zeroed block of the same size and bytes; null for null or
 * when memory runs out. */
QUORVEL_API void *Prn_CopyHandle(void *memory);
/* Unlocks the block as often as it is locked, then frees it; a failed free
 * is shown with Err_Message. Null: nothing. */
QUORVEL_API void Prn_FreeHandle(void *memory);
/* A print-dialog hook (PRINTDLGW's lpfnPrintHook): centres the dialog on
 * the screen when it starts; always 0, so every message goes on to the
 * dialog's own processing. The dialog calls it as the system calls every
 * hook and window procedure, CALLBACK (__stdcall on i686), so a host stores
 * it there as it is; the library's one export in that convention. */
QUORVEL_API UINT CALLBACK Prn_PrintHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
