// The printer's system side on POSIX: there is no print spooler, so no
// default printer and no printer device context; there are no dialogs to
// hook.
#include "printer/printer_system.h"

#include <quorvel/printer.h>

namespace printer {

bool default_printer(HGLOBAL &, HGLOBAL &) { return false; }

HDC create_dc(const WCHAR *, const WCHAR *, const DEVMODEW *) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

void delete_dc(HDC) {}

DeviceCaps device_caps(HDC) { return {}; }

}  // namespace printer

UINT CALLBACK Prn_PrintHook(HWND, UINT, WPARAM, LPARAM) { return 0; }
