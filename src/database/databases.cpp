// Creating, opening and closing databases, and their passwords. Each call
// makes its own engine: the registered engine class when there is one,
// else the library's own (always, on systems without registered classes).
#include <quorvel/database.h>

#include "database/com_failure.h"
#include "database/engine/engine.h"
#include "frame/module.h"

#include <string>

namespace {

using namespace mdb;

// In-process server and handler, local and remote server.
constexpr DWORD kAnyContext = 0x17;

_DBEnginePtr make_engine() {
    IUnknown *unknown = nullptr;
    HRESULT hr = CoCreateInstance(__uuidof(DBEngine), nullptr, kAnyContext, __uuidof(IUnknown),
                                  reinterpret_cast<void **>(&unknown));
    if (hr == REGDB_E_CLASSNOTREG) {
        _DBEngine *own = nullptr;
        hr = dbengine::create_engine(&own);
        if (FAILED(hr)) raise(hr);
        return _DBEnginePtr(own, false);
    }
    if (FAILED(hr)) raise(hr);
    hr = OleRun(unknown);
    _DBEngine *engine = nullptr;
    if (SUCCEEDED(hr))
        hr = unknown->QueryInterface(__uuidof(_DBEngine), reinterpret_cast<void **>(&engine));
    unknown->Release();
    // Without the interface the engine stays null: its first use raises
    // E_POINTER.
    if (FAILED(hr) && hr != E_NOINTERFACE) raise(hr);
    return _DBEnginePtr(engine, false);
}

// ";LANGID=0411;CP=932;COUNTRY=0;PWD=...;" (256 units with the terminator;
// longer passwords are refused).
std::u16string connect_string(const unsigned short *password) {
    WCHAR language[32] = {}, codePage[32] = {};
    GetLocaleInfoW(0x0400, 0x0001, language, 32);
    GetLocaleInfoW(0x0400, 0x1004, codePage, 32);
    std::u16string text = u";LANGID=" + std::u16string(as_u16(language)) +
                          u";CP=" + std::u16string(as_u16(codePage)) +
                          u";COUNTRY=0;PWD=" +
                          u16_string(password) +
                          u";";
    if (text.size() >= 256) raise(E_INVALIDARG);
    return text;
}

DatabasePtr open(const unsigned short *path, bool readOnly, const unsigned short *password) {
    if (!path) return nullptr;
    return guarded(u"Mdb_OpenDatabase", DatabasePtr(), [&] {
        _DBEnginePtr engine = make_engine();
        const std::u16string connect = connect_string(password);
        Bstr name(path);
        Variant connectText;
        connectText.value = text_variant(as_exported(connect));
        Database *db = nullptr;
        check(engine->OpenDatabase(name, short_variant(-1), short_variant(readOnly ? -1 : 0),
                                   connectText.value, &db),
              engine.GetInterfacePtr());
        return DatabasePtr(db, false);
    });
}

}  // namespace

DatabasePtr Mdb_CreateDatabase(const unsigned short *path, const unsigned short *password) {
    if (!path) return nullptr;
    return guarded(u"Mdb_CreateDatabase", DatabasePtr(), [&] {
        _DBEnginePtr engine = make_engine();
        const std::u16string connect = connect_string(password);
        Bstr name(path);
        Bstr locale(as_exported(connect));
        Database *db = nullptr;
        // 64: the Jet 4.0 file format.
        check(engine->CreateDatabase(name, locale, short_variant(64), &db),
              engine.GetInterfacePtr());
        return DatabasePtr(db, false);
    });
}

DatabasePtr Mdb_OpenDatabase(const unsigned short *path, const unsigned short *password) {
    return open(path, false, password);
}

DatabasePtr Mdb_OpenDatabase(const unsigned short *path, int readOnly,
                             const unsigned short *password) {
    return open(path, readOnly != 0, password);
}

LONG Mdb_CloseDatabase(DatabasePtr db) {
    if (!db) return 0;
    return guarded(u"Mdb_CloseDatabase", LONG(0), [&] {
        HRESULT hr = db->Close();
        check(hr, db.GetInterfacePtr());
        return LONG(hr);
    });
}

LONG Mdb_SetPassword(DatabasePtr db, const unsigned short *oldPassword,
                     const unsigned short *newPassword) {
    if (!oldPassword || !newPassword) return 0;
    return guarded(u"Mdb_SetPassword", LONG(0), [&] {
        Variant before, after;
        before.value = text_variant(oldPassword);
        after.value = text_variant(newPassword);
        HRESULT hr = db->NewPassword(before.value.bstrVal, after.value.bstrVal);
        check(hr, db.GetInterfacePtr());
        return LONG(hr);
    });
}
