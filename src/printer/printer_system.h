// What the printer calls ask of the system: the default printer and a
// device context with its measurements. Windows: the print dialog's
// return-default form and GDI. POSIX: no print spooler, so no printer.
#pragma once

#include "platform/win32_desktop.h"

namespace printer {

// New DEVMODEW and DEVNAMES handles of the default printer; false, with
// nothing allocated, when there is none.
bool default_printer(HGLOBAL &mode, HGLOBAL &names);

// CreateDCW(driver, device, no output, mode); null when the driver makes
// no device context.
HDC create_dc(const WCHAR *driver, const WCHAR *device, const DEVMODEW *mode);
void delete_dc(HDC dc);

struct DeviceCaps {
    LONG dpi_x, dpi_y;        // LOGPIXELSX, LOGPIXELSY
    LONG offset_x, offset_y;  // PHYSICALOFFSETX, PHYSICALOFFSETY
    LONG width, height;       // PHYSICALWIDTH, PHYSICALHEIGHT
    LONG horz_res, vert_res;  // HORZRES, VERTRES
};
DeviceCaps device_caps(HDC dc);

}  // namespace printer
