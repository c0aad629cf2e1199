// The library's own module: its instance handle and what load time set up.
#pragma once

#include "platform/win32.h"

#include <quorvel/dao.h>

namespace frame {

// The library's instance handle (the default instance of its windows).
HINSTANCE module_handle();

// The module that holds this code, found from an address in it (the entry
// point's record of it; see module.cpp).
HINSTANCE this_module();

// What initialising COM for the loading thread returned.
HRESULT com_init_result();

// The missing-argument value (VT_ERROR holding DISP_E_PARAMNOTFOUND) passed
// for omitted optional arguments of the engine's methods.
const VARIANT &missing_argument();

}  // namespace frame
