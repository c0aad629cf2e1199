// A minimal COM: each thread's apartment and its initialisation count, so
// that CoInitializeEx answers S_OK, S_FALSE or RPC_E_CHANGED_MODE as COM
// does. There are no COM objects on this platform.
#include "platform/win32.h"

namespace {
struct Apartment {
    int count = 0;
    DWORD model = 0;
};
thread_local Apartment t_apartment;
}  // namespace

HRESULT quorvel_win32::CoInitializeEx(void *reserved, DWORD coInit) {
    if (reserved) return E_INVALIDARG;
    const DWORD model = coInit & COINIT_APARTMENTTHREADED;
    if (t_apartment.count > 0) {
        if (t_apartment.model != model) return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.count = 1;
    t_apartment.model = model;
    return S_OK;
}

void quorvel_win32::CoUninitialize(void) {
    if (t_apartment.count > 0) --t_apartment.count;
}
