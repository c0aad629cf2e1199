// The drop target's Microsoft-decorated members (docs/windows-abi.md). The
// COM members are __stdcall with `this` first on the stack for both
// compilers, so each adapter forwards a call made by name (not through the
// virtual table) to the member; the copy constructor hands `this` back as
// Microsoft's constructors do.
#include <quorvel/droptarget.h>

#include <new>

extern "C" CExDropTarget *__thiscall quorvel_ms_CExDropTarget_CExDropTarget(
    CExDropTarget *self, const CExDropTarget &other) {
    return new (self) CExDropTarget(other);
}

// The .def names each adapter plainly, so it takes its name as written:
// __stdcall would add "@bytes" on i686.
#define QUORVEL_LABEL_TEXT(prefix, name) #prefix #name
#define QUORVEL_LABEL(prefix, name) QUORVEL_LABEL_TEXT(prefix, name)
#define QUORVEL_COM_ADAPTER(result, member, parameters)                                           \
    extern "C" result STDMETHODCALLTYPE quorvel_ms_CExDropTarget_##member parameters __asm__(      \
        QUORVEL_LABEL(__USER_LABEL_PREFIX__, quorvel_ms_CExDropTarget_##member));                  \
    extern "C" result STDMETHODCALLTYPE quorvel_ms_CExDropTarget_##member parameters

QUORVEL_COM_ADAPTER(HRESULT, QueryInterface, (CExDropTarget * self, REFIID iid, void **object)) {
    return self->CExDropTarget::QueryInterface(iid, object);
}
QUORVEL_COM_ADAPTER(ULONG, AddRef, (CExDropTarget * self)) { return self->CExDropTarget::AddRef(); }
QUORVEL_COM_ADAPTER(ULONG, Release, (CExDropTarget * self)) { return self->CExDropTarget::Release(); }
QUORVEL_COM_ADAPTER(HRESULT, DragEnter,
                    (CExDropTarget * self, IDataObject *data, DWORD keys, POINTL point, DWORD *effect)) {
    return self->CExDropTarget::DragEnter(data, keys, point, effect);
}
QUORVEL_COM_ADAPTER(HRESULT, DragOver, (CExDropTarget * self, DWORD keys, POINTL point, DWORD *effect)) {
    return self->CExDropTarget::DragOver(keys, point, effect);
}
QUORVEL_COM_ADAPTER(HRESULT, DragLeave, (CExDropTarget * self)) {
    return self->CExDropTarget::DragLeave();
}
QUORVEL_COM_ADAPTER(HRESULT, Drop,
                    (CExDropTarget * self, IDataObject *data, DWORD keys, POINTL point, DWORD *effect)) {
    return self->CExDropTarget::Drop(data, keys, point, effect);
}
