// The reference count of the library's COM objects, written once: AddRef,
// and Release that deletes the object when the last reference goes. An
// object starts with one reference, its creator's; QueryInterface stays
// each object's own, as only it knows its interfaces.
#pragma once

#include "platform/win32.h"

#include <atomic>

namespace platform {

template <class... Interfaces> class RefCounted : public Interfaces... {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (!left) delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace platform
