// The process's table of kernel-object handles. Handles are opaque numbers,
// so a stale or made-up handle is found missing (ERROR_INVALID_HANDLE)
// rather than followed.
#pragma once

#include "platform/win32.h"

#include <memory>

namespace platform {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Releases what the object holds; false with the last error set when
    // the system reports a failure.
    virtual bool close() = 0;
};

HANDLE insert_handle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> find_handle(HANDLE handle);

template <class T> std::shared_ptr<T> find_handle_of(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(find_handle(handle));
}

}  // namespace platform
