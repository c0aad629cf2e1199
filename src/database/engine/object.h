// The COM plumbing every engine object shares.
#pragma once

#include "database/engine/errors.h"
#include "platform/com_object.h"

#include <quorvel/dao.h>

#include <string>
#include <vector>

namespace dbengine {

// IUnknown, IDispatch (not offered: E_NOTIMPL) and ISupportErrorInfo for
// one engine interface. Every failure of these objects carries error
// information, so ISupportErrorInfo says yes for the object's interface.
template <class Interface> class Object : public platform::RefCounted<Interface, ISupportErrorInfo> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override {
        if (!object) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(Interface) ||
            also_offers(riid)) {
            *object = static_cast<Interface *>(this);
        } else if (riid == __uuidof(ISupportErrorInfo)) {
            *object = static_cast<ISupportErrorInfo *>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        this->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == __uuidof(Interface) || also_offers(riid) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return not_implemented(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return not_implemented();
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        return not_implemented();
    }

protected:
    explicit Object(const char *source) : source_(source) {}
    virtual ~Object() = default;
    virtual bool also_offers(REFIID) const { return false; }
    HRESULT not_implemented() const {
        return fail(kNotImplemented, source_);
    }
    const char *source_;
};

#define NOTIMPL(n) \
    HRESULT STDMETHODCALLTYPE unused_##n() override { return not_implemented(); }

template <class Interface> class DaoObject : public Object<Interface> {
public:
    HRESULT STDMETHODCALLTYPE get_Properties(IDispatch **) override { return this->not_implemented(); }

protected:
    using Object<Interface>::Object;
};

template <class T> HRESULT hand_out(T *object, T **out) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

// The position of an item of a collection: a number from 0 or a name.
HRESULT find_item(const VARIANT &item, size_t count,
                  const std::vector<std::u16string> &names, size_t *index, const char *source);

}  // namespace dbengine
