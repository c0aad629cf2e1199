// The host's printer as two global memory handles, its names, its device
// context and the page measured in pixels and millimetres.
#include "printer/printer_system.h"

#include <quorvel/error.h>
#include <quorvel/printer.h>

#include <cstring>

HGLOBAL g_hDevMode = nullptr;
HGLOBAL g_hDevNames = nullptr;
short g_iOrientation = 0;
short g_iPaperSize = 0;
short g_iPaperLength = 0;
short g_iPaperWidth = 0;
short g_iScale = 0;
short g_iCopies = 0;
short g_iFromPage = 0;
short g_iToPage = 0;
LONG g_lDpiX = 0;
LONG g_lDpiY = 0;
LONG g_lMgnMm = 0;
tagSIZE g_szPaperHard = {};
tagSIZE g_szMgnHard = {};
tagSIZE g_szMgnSoft = {};
tagSIZE g_szPaperSoft = {};
tagDSIZE g_dszPaperHard = {};
tagDSIZE g_dszMgnHard = {};
tagDSIZE g_dszMgnSoft = {};
tagDSIZE g_dszPaperSoft = {};
unsigned short g_sDeviceName[QUORVEL_MAX_TEXT] = {};
unsigned short g_sDriverName[QUORVEL_MAX_TEXT] = {};
unsigned short g_sOutputPort[QUORVEL_MAX_TEXT] = {};
unsigned short g_sOutputDoc[QUORVEL_MAX_TEXT] = {};
unsigned short g_sOutputPage[QUORVEL_MAX_TEXT] = {};

namespace {

constexpr double kInchPerMm = 0.03937007874015748;  // 1 / 25.4
constexpr double kMmPerInch = 25.4;

void copy_text(unsigned short *buffer, const unsigned short *text) {
    size_t units = 0;
    while (text[units] && units < QUORVEL_MAX_TEXT - 1) ++units;
    std::memcpy(buffer, text, units * sizeof *buffer);
    buffer[units] = 0;
}

// One of the names of g_hDevNames (a character offset of DEVNAMES) into
// `buffer`, or `missing` without a printer.
const unsigned short *devnames_text(WORD DEVNAMES::*offset, unsigned short *buffer,
                                    const char16_t *missing) {
    const auto *names = g_hDevNames ? static_cast<const DEVNAMES *>(GlobalLock(g_hDevNames)) : nullptr;
    if (!names) {
        copy_text(buffer, as_exported(missing));
        return buffer;
    }
    copy_text(buffer, reinterpret_cast<const unsigned short *>(names) + names->*offset);
    GlobalUnlock(g_hDevNames);
    return buffer;
}

const WCHAR *devnames_at(const DEVNAMES *names, WORD offset) {
    return reinterpret_cast<const WCHAR *>(names) + offset;
}

// The printer's device context from locked blocks; null when either lock
// fails.
HDC dc_of(HGLOBAL names_handle, HGLOBAL mode_handle) {
    const auto *names = static_cast<const DEVNAMES *>(GlobalLock(names_handle));
    const auto *mode = static_cast<const DEVMODEW *>(GlobalLock(mode_handle));
    HDC dc = nullptr;
    if (names && mode)
        dc = printer::create_dc(devnames_at(names, names->wDriverOffset),
                                devnames_at(names, names->wDeviceOffset), mode);
    if (names) GlobalUnlock(names_handle);
    if (mode) GlobalUnlock(mode_handle);
    return dc;
}

tagDSIZE millimetres(const tagSIZE &pixels) {
    return {pixels.cx * kMmPerInch / g_lDpiX, pixels.cy * kMmPerInch / g_lDpiY};
}

}  // namespace

void Prn_PrinterInit() {
    g_iOrientation = 1;  // DMORIENT_PORTRAIT
    g_iPaperSize = 9;    // DMPAPER_A4
    g_iPaperLength = 2970;
    g_iPaperWidth = 2100;
    g_iScale = 100;
    g_iCopies = 1;
    g_iFromPage = 1;
    g_iToPage = 1;
    g_szPaperHard = g_szMgnHard = g_szMgnSoft = g_szPaperSoft = {0, 0};
    g_dszPaperHard = {210.0, 297.0};
    g_dszMgnHard = {5.0, 5.0};
    g_dszMgnSoft = {0.0, 0.0};
    g_dszPaperSoft = {200.0, 287.0};
}

void Prn_PrinterDestroy() {
    Prn_FreeHandle(g_hDevMode);
    Prn_FreeHandle(g_hDevNames);
    g_hDevMode = g_hDevNames = nullptr;
}

void Prn_GetDefaultPrinter() {
    HGLOBAL mode = nullptr, names = nullptr;
    if (!printer::default_printer(mode, names)) return;
    Prn_FreeHandle(g_hDevMode);
    Prn_FreeHandle(g_hDevNames);
    g_hDevMode = mode;
    g_hDevNames = names;
}

const unsigned short *Prn_PrinterName() {
    return devnames_text(&DEVNAMES::wDeviceOffset, g_sDeviceName, u"プリンタが見つからない...");
}

const unsigned short *Prn_DriverName() {
    return devnames_text(&DEVNAMES::wDriverOffset, g_sDriverName,
                         u"プリンタドライバーが見つからない...");
}

const unsigned short *Prn_OutputPort() {
    return devnames_text(&DEVNAMES::wOutputOffset, g_sOutputPort, u"");
}

HDC Prn_GetPrinterDC() {
    if (!g_hDevMode || !g_hDevNames) return nullptr;
    return dc_of(g_hDevNames, g_hDevMode);
}

void Prn_GetPrinterSize(void *devNames, void *devMode) {
    HGLOBAL names = devNames ? devNames : g_hDevNames;
    HGLOBAL mode = devMode ? devMode : g_hDevMode;
    if (!names || !mode) return;
    HDC dc = dc_of(names, mode);
    if (!dc) return;
    const printer::DeviceCaps caps = printer::device_caps(dc);
    printer::delete_dc(dc);
    // A driver without a resolution gives no page to measure.
    if (caps.dpi_x <= 0 || caps.dpi_y <= 0) return;

    g_lDpiX = caps.dpi_x;
    g_lDpiY = caps.dpi_y;
    g_szMgnHard = {caps.offset_x, caps.offset_y};
    g_szPaperHard = {caps.width, caps.height};
    g_szMgnSoft = {static_cast<LONG>(caps.dpi_x * kInchPerMm), static_cast<LONG>(caps.dpi_y * kInchPerMm)};
    g_szPaperSoft = {caps.horz_res - 2 * g_szMgnSoft.cx, caps.vert_res - 2 * g_szMgnSoft.cy};
    g_dszMgnHard = millimetres(g_szMgnHard);
    g_dszMgnSoft = millimetres(g_szMgnSoft);
    g_dszPaperHard = millimetres(g_szPaperHard);
    g_dszPaperSoft = millimetres(g_szPaperSoft);
    g_lMgnMm = g_szMgnSoft.cx;
}

void Prn_GetPrinterInfo(void *devMode) {
    HGLOBAL handle = devMode ? devMode : g_hDevMode;
    const auto *mode = handle ? static_cast<const DEVMODEW *>(GlobalLock(handle)) : nullptr;
    if (!mode) return;
    g_iOrientation = mode->dmOrientation;
    g_iPaperSize = mode->dmPaperSize;
    g_iPaperLength = mode->dmPaperLength;
    g_iPaperWidth = mode->dmPaperWidth;
    g_iScale = mode->dmScale;
    g_iCopies = mode->dmCopies;
    GlobalUnlock(handle);
}

void *Prn_CopyHandle(void *memory) {
    if (!memory) return nullptr;
    const size_t size = GlobalSize(memory);
    HGLOBAL copy = GlobalAlloc(GHND, size);
    if (!copy) return nullptr;
    const void *from = GlobalLock(memory);
    void *to = GlobalLock(copy);
    if (from && to) std::memcpy(to, from, size);
    if (from) GlobalUnlock(memory);
    if (to) GlobalUnlock(copy);
    if (!from || !to) {
        GlobalFree(copy);
        return nullptr;
    }
    return copy;
}

void Prn_FreeHandle(void *memory) {
    if (!memory) return;
    for (UINT locks = GlobalFlags(memory) & GMEM_LOCKCOUNT; locks > 0; --locks) GlobalUnlock(memory);
    if (GlobalFree(memory)) Err_Message(0);
}
