// The printer's system side on Windows: the print dialog's return-default
// form, GDI device contexts and the dialog hook.
#include "printer/printer_system.h"

#include <quorvel/printer.h>

#include <commdlg.h>

namespace printer {

bool default_printer(HGLOBAL &mode, HGLOBAL &names) {
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof dialog;  // 66 in a 32-bit process
    dialog.Flags = PD_RETURNDEFAULT | PD_USEDEVMODECOPIESANDCOLLATE;
    if (!PrintDlgW(&dialog)) return false;
    mode = dialog.hDevMode;
    names = dialog.hDevNames;
    return true;
}

HDC create_dc(const WCHAR *driver, const WCHAR *device, const DEVMODEW *mode) {
    return CreateDCW(driver, device, nullptr, mode);
}

void delete_dc(HDC dc) { DeleteDC(dc); }

DeviceCaps device_caps(HDC dc) {
    return {GetDeviceCaps(dc, LOGPIXELSX),      GetDeviceCaps(dc, LOGPIXELSY),
            GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
            GetDeviceCaps(dc, PHYSICALWIDTH),   GetDeviceCaps(dc, PHYSICALHEIGHT),
            GetDeviceCaps(dc, HORZRES),         GetDeviceCaps(dc, VERTRES)};
}

}  // namespace printer

UINT CALLBACK Prn_PrintHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG || !dialog) return 0;
    RECT desktop = {}, own = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &own);
    const LONG x = ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    const LONG y = ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return 0;
}
