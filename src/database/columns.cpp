// Column values and names of a recordset's current record. Long binary
// values move in chunks of exactly 16 bytes, one engine call per chunk.
#include <quorvel/database.h>

#include "database/com_failure.h"

#include <cstdlib>
#include <cstring>

namespace {

using namespace mdb;

constexpr LONG kChunk = 16;

// The field of the current record at a position or of a name.
_FieldPtr field_at(RecordsetPtr &records, const VARIANT &key) {
    Fields *list = nullptr;
    check(records->get_Fields(&list), records.GetInterfacePtr());
    FieldsPtr fields(list, false);
    _Field *field = nullptr;
    check(fields->get_Item(key, &field), fields.GetInterfacePtr());
    return _FieldPtr(field, false);
}

_FieldPtr field_at(RecordsetPtr &records, LONG position) {
    return field_at(records, long_variant(position));
}

_FieldPtr field_at(RecordsetPtr &records, const unsigned short *name) {
    Variant key;
    key.value = text_variant(name);
    return field_at(records, key.value);
}

template <class Key>
int set_value(const char16_t *operation, RecordsetPtr &records, Key key, const VARIANT &value) {
    if (!records) return 0;
    return guarded(operation, 0, [&] {
        _FieldPtr field = field_at(records, key);
        check(field->put_Value(value), field.GetInterfacePtr());
        return 1;
    });
}

VARIANT typed(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    return v;
}

VARIANT of(BYTE value) {
    VARIANT v = typed(VT_UI1);
    v.bVal = value;
    return v;
}
// The same 16 bits as a signed number.
VARIANT of(WORD value) {
    VARIANT v = typed(VT_I2);
    v.iVal = static_cast<short>(value);
    return v;
}
VARIANT of(DWORD value) {
    VARIANT v = typed(VT_I4);
    v.lVal = static_cast<LONG>(value);
    return v;
}
VARIANT of(LONG value) { return long_variant(value); }
VARIANT of(int64_t value) {
    VARIANT v = typed(VT_I8);
    v.llVal = value;
    return v;
}

template <class Key>
int set_text(const char16_t *operation, RecordsetPtr &records, Key key, unsigned short *value) {
    if (!records) return 0;
    return guarded(operation, 0, [&] {
        Variant text;
        text.value = text_variant(value);
        _FieldPtr field = field_at(records, key);
        check(field->put_Value(text.value), field.GetInterfacePtr());
        return 1;
    });
}

template <class Key>
int set_bytes(const char16_t *operation, RecordsetPtr &records, Key key, BYTE *bytes, LONG length) {
    if (!records) return 0;
    _FieldPtr field;
    if (!guarded(operation, false, [&] {
            field = field_at(records, key);
            return true;
        }))
        return 0;
    return mdb_SetColValue(field, bytes, length);
}

}  // namespace

unsigned short *mdb_GetColValue(_FieldPtr field) {
    if (!field) return nullptr;
    return guarded(u"Mdb_GetColValue", static_cast<unsigned short *>(nullptr), [&] {
        Variant value;
        check(field->get_Value(&value.value), field.GetInterfacePtr());
        if (value.value.vt == VT_NULL) return static_cast<unsigned short *>(nullptr);
        if (value.value.vt == VT_BSTR) return malloc_text(value.value.bstrVal);
        Variant text;
        HRESULT hr = VariantChangeType(&text.value, &value.value, 0, VT_BSTR);
        if (FAILED(hr)) raise(hr);
        return malloc_text(text.value.bstrVal);
    });
}

BYTE *mdb_GetColValueChunk(_FieldPtr field) {
    if (!field) return nullptr;
    BYTE *block = nullptr;
    return guarded(u"mdb_GetColValueChunk", static_cast<BYTE *>(nullptr), [&] {
        LONG size = 0;
        check(field->get_FieldSize(&size), field.GetInterfacePtr());
        if (size <= 1) return static_cast<BYTE *>(nullptr);
        block = static_cast<BYTE *>(std::calloc(static_cast<size_t>(size) + 2, 1));
        if (!block) raise(E_OUTOFMEMORY);
        for (LONG offset = 0; offset < size;) {
            Variant chunk;
            try {
                check(field->GetChunk(offset, kChunk, &chunk.value), field.GetInterfacePtr());
            } catch (const _com_error &error) {
                // What was read so far, zeros after it.
                report(error, u"mdb_GetColValueChunk");
                return block;
            }
            for (LONG i = 0; i < kChunk && offset < size; ++i, ++offset) {
                if (!(chunk.value.vt & VT_ARRAY) ||
                    FAILED(SafeArrayGetElement(chunk.value.parray, &i, block + offset))) {
                    std::free(block);
                    return static_cast<BYTE *>(nullptr);
                }
            }
        }
        return block;
    });
}

int mdb_SetColValue(_FieldPtr field, BYTE *bytes, LONG length) {
    if (!field) return 0;
    const ULONG count = bytes ? kChunk : 1;
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, count);
    if (!array) return 0;
    VARIANT chunk = typed(VT_ARRAY | VT_UI1);
    chunk.parray = array;
    const int result = guarded(u"mdb_SetColValue(BYTE-long)", 0, [&] {
        if (!bytes) {
            LONG first = 0;
            BYTE zero = 0;
            if (SUCCEEDED(SafeArrayPutElement(array, &first, &zero)))
                check(field->AppendChunk(chunk), field.GetInterfacePtr());
            return 1;
        }
        for (LONG offset = 0; offset < length; offset += kChunk) {
            for (LONG i = 0; i < kChunk; ++i) {
                BYTE byte = offset + i < length ? bytes[offset + i] : 0;
                if (FAILED(SafeArrayPutElement(array, &i, &byte))) return 1;
            }
            check(field->AppendChunk(chunk), field.GetInterfacePtr());
        }
        return 1;
    });
    SafeArrayDestroy(array);
    return result;
}

unsigned short *Mdb_GetColValue(RecordsetPtr records, LONG position) {
    if (!records) return nullptr;
    _FieldPtr field;
    if (!guarded(u"Mdb_GetColValue(long)", false, [&] {
            field = field_at(records, position);
            return true;
        }))
        return nullptr;
    return mdb_GetColValue(field);
}

unsigned short *Mdb_GetColValue(RecordsetPtr records, const unsigned short *name) {
    if (!records || !name) return nullptr;
    _FieldPtr field;
    if (!guarded(u"Mdb_GetColValue(LPCTSTR)", false, [&] {
            field = field_at(records, name);
            return true;
        }))
        return nullptr;
    return mdb_GetColValue(field);
}

BYTE *Mdb_GetColValueChunk(RecordsetPtr records, LONG position) {
    if (!records) return nullptr;
    _FieldPtr field;
    if (!guarded(u"Mdb_GetColValueChunk(long)", false, [&] {
            field = field_at(records, position);
            return true;
        }))
        return nullptr;
    return mdb_GetColValueChunk(field);
}

BYTE *Mdb_GetColValueChunk(RecordsetPtr records, const unsigned short *name) {
    if (!records || !name) return nullptr;
    _FieldPtr field;
    if (!guarded(u"Mdb_GetColValueChunk(LPCTSTR)", false, [&] {
            field = field_at(records, name);
            return true;
        }))
        return nullptr;
    return mdb_GetColValueChunk(field);
}

namespace {
template <class Key> unsigned short *column_name(RecordsetPtr &records, Key key) {
    return guarded(u"Mdb_GetColName", static_cast<unsigned short *>(nullptr), [&] {
        _FieldPtr field = field_at(records, key);
        BSTR name = nullptr;
        check(field->get_Name(&name), field.GetInterfacePtr());
        unsigned short *copy = nullptr;
        try {
            copy = malloc_text(name);
        } catch (...) {
            SysFreeString(name);
            throw;
        }
        SysFreeString(name);
        return copy;
    });
}
}  // namespace

unsigned short *Mdb_GetColName(RecordsetPtr records, LONG position) {
    if (!records) return nullptr;
    return column_name(records, position);
}

unsigned short *Mdb_GetColName(RecordsetPtr records, const unsigned short *name) {
    if (!records || !name) return nullptr;
    return column_name(records, name);
}

int Mdb_SetColValue(RecordsetPtr records, LONG position, BYTE value) {
    return set_value(u"Mdb_SetColValue(long-BYTE)", records, position, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, WORD value) {
    return set_value(u"Mdb_SetColValue(long-WORD)", records, position, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, DWORD value) {
    return set_value(u"Mdb_SetColValue(long-DWORD)", records, position, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, LONG value) {
    return set_value(u"Mdb_SetColValue(long-long)", records, position, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, int64_t value) {
    return set_value(u"Mdb_SetColValue(long-int64)", records, position, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, unsigned short *value) {
    return set_text(u"Mdb_SetColValue(long-LPTSTR)", records, position, value);
}
int Mdb_SetColValue(RecordsetPtr records, LONG position, BYTE *bytes, LONG length) {
    return set_bytes(u"Mdb_SetColValue(long-BYTE-long)", records, position, bytes, length);
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, BYTE value) {
    return set_value(u"Mdb_SetColValue(LPCTSTR-BYTE)", records, name, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, WORD value) {
    return set_value(u"Mdb_SetColValue(LPCTSTR-WORD)", records, name, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, DWORD value) {
    return set_value(u"Mdb_SetColValue(LPCTSTR-DWORD)", records, name, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, LONG value) {
    if (!name) return 0;
    return set_value(u"Mdb_SetColValue(LPCTSTR-long)", records, name, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, int64_t value) {
    return set_value(u"Mdb_SetColValue(LPCTSTR-int64)", records, name, of(value));
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, unsigned short *value) {
    if (!name) return 0;
    return set_text(u"Mdb_SetColValue(LPCTSTR-LPTSTR)", records, name, value);
}
int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, BYTE *bytes, LONG length) {
    return set_bytes(u"Mdb_SetColValue(LPCTSTR-BYTE-long)", records, name, bytes, length);
}
