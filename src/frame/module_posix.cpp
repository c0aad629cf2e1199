#include "frame/module.h"

#include <dlfcn.h>

namespace frame {

HINSTANCE this_module() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&this_module), &info) == 0) return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

}  // namespace frame
