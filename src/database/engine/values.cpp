// Values between the store and the engine's VARIANTs.
#include "database/engine/values.h"

#include "database/engine/jet_functions.h"

#include <cmath>
#include <cstring>

namespace dbengine {

Value column_value(sqlite3_stmt *s, int i) {
    Value v;
    v.type = sqlite3_column_type(s, i);
    v.date = sqlite3_value_subtype(sqlite3_column_value(s, i)) == kDateSubtype;
    switch (v.type) {
    case SQLITE_INTEGER: v.whole = sqlite3_column_int64(s, i); break;
    case SQLITE_FLOAT: v.real = sqlite3_column_double(s, i); break;
    case SQLITE_TEXT: {
        auto *text = static_cast<const char16_t *>(sqlite3_column_text16(s, i));
        v.text.assign(text ? text : u"", static_cast<size_t>(sqlite3_column_bytes16(s, i)) / 2);
        break;
    }
    case SQLITE_BLOB: {
        auto *data = static_cast<const unsigned char *>(sqlite3_column_blob(s, i));
        v.bytes.assign(data, data + sqlite3_column_bytes(s, i));
        break;
    }
    }
    return v;
}

int bind(sqlite3_stmt *s, int i, const Value &v) {
    switch (v.type) {
    case SQLITE_INTEGER: return sqlite3_bind_int64(s, i, v.whole);
    case SQLITE_FLOAT: return sqlite3_bind_double(s, i, v.real);
    case SQLITE_TEXT:
        return sqlite3_bind_text16(s, i, v.text.data(), static_cast<int>(v.text.size() * 2), SQLITE_TRANSIENT);
    case SQLITE_BLOB:
        return sqlite3_bind_blob(s, i, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
    default: return sqlite3_bind_null(s, i);
    }
}

SAFEARRAY *byte_array(const unsigned char *data, size_t count) {
    SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(count));
    if (array && count) std::memcpy(array->pvData, data, count);
    return array;
}

HRESULT change_type(VARIANT *target, const VARIANT &source, VARTYPE type) {
    return VariantChangeType(target, const_cast<VARIANT *>(&source), 0, type);
}

HRESULT to_variant(const Value &v, FieldKind kind, VARIANT *out, const char *source) {
    VariantInit(out);
    if (v.date && kind == FieldKind::Other) kind = FieldKind::Date;
    switch (v.type) {
    case SQLITE_NULL: out->vt = VT_NULL; return S_OK;
    case SQLITE_INTEGER:
        switch (kind) {
        case FieldKind::Short: out->vt = VT_I2; out->iVal = static_cast<short>(v.whole); return S_OK;
        case FieldKind::Byte: out->vt = VT_UI1; out->bVal = static_cast<BYTE>(v.whole); return S_OK;
        case FieldKind::Boolean: out->vt = VT_BOOL; out->boolVal = v.whole ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
        case FieldKind::Double: out->vt = VT_R8; out->dblVal = static_cast<double>(v.whole); return S_OK;
        case FieldKind::Single: out->vt = VT_R4; out->fltVal = static_cast<float>(v.whole); return S_OK;
        case FieldKind::Currency:
            // A scaled 64-bit integer: four decimals, nothing past its range.
            if (__builtin_mul_overflow(v.whole, sqlite3_int64(10000), &out->cyVal.int64))
                return fail(kOverflow, source);
            out->vt = VT_CY;
            return S_OK;
        case FieldKind::Date: out->vt = VT_DATE; out->date = static_cast<double>(v.whole); return S_OK;
        default:
            if (v.whole >= INT32_MIN && v.whole <= INT32_MAX) {
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(v.whole);
            } else {
                out->vt = VT_I8;
                out->llVal = v.whole;
            }
            return S_OK;
        }
    case SQLITE_FLOAT:
        switch (kind) {
        case FieldKind::Single: out->vt = VT_R4; out->fltVal = static_cast<float>(v.real); return S_OK;
        case FieldKind::Currency: {
            const double units = std::nearbyint(v.real * 10000);
            if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0)) return fail(kOverflow, source);
            out->vt = VT_CY;
            out->cyVal.int64 = static_cast<LONGLONG>(units);
            return S_OK;
        }
        case FieldKind::Date: out->vt = VT_DATE; out->date = v.real; return S_OK;
        default: out->vt = VT_R8; out->dblVal = v.real; return S_OK;
        }
    case SQLITE_TEXT:
        if (kind == FieldKind::Binary) {
            out->parray = byte_array(reinterpret_cast<const unsigned char *>(v.text.data()), v.text.size() * 2);
            out->vt = VT_ARRAY | VT_UI1;
            return out->parray ? S_OK : fail(kOutOfMemory, source);
        }
        out->bstrVal = to_bstr(v.text);
        out->vt = VT_BSTR;
        return out->bstrVal ? S_OK : fail(kOutOfMemory, source);
    default:
        out->parray = byte_array(v.bytes.data(), v.bytes.size());
        out->vt = VT_ARRAY | VT_UI1;
        return out->parray ? S_OK : fail(kOutOfMemory, source);
    }
}

// A VARIANT written to a column of the given kind and size.
HRESULT from_variant(const VARIANT &in, const ColumnType &type, Value *out, const char *source) {
    *out = Value();
    if (in.vt == VT_NULL || in.vt == VT_EMPTY) return S_OK;
    if (in.vt == (VT_ARRAY | VT_UI1)) {
        if (type.kind != FieldKind::Binary && type.kind != FieldKind::Other && type.kind != FieldKind::Memo)
            return fail(kConversion, source);
        out->type = SQLITE_BLOB;
        if (in.parray) {
            auto *data = static_cast<const unsigned char *>(in.parray->pvData);
            out->bytes.assign(data, data + in.parray->rgsabound[0].cElements);
        }
        return S_OK;
    }
    if (in.vt & (VT_ARRAY | VT_BYREF)) return fail(kConversion, source);
    VARIANT converted;
    VariantInit(&converted);
    switch (type.kind) {
    case FieldKind::Text: case FieldKind::Memo: {
        if (in.vt == VT_BSTR) {
            out->text = from_bstr(in.bstrVal);
        } else {
            if (FAILED(change_type(&converted, in, VT_BSTR))) return fail(kConversion, source);
            out->text = from_bstr(converted.bstrVal);
            VariantClear(&converted);
        }
        if (type.kind == FieldKind::Text && type.size > 0 && out->text.size() > static_cast<size_t>(type.size))
            return fail(kFieldTooSmall, source);
        out->type = SQLITE_TEXT;
        return S_OK;
    }
    case FieldKind::Boolean:
        // Texts such as "True" or "Yes", as the system converts them.
        if (FAILED(change_type(&converted, in, VT_BOOL))) return fail(kConversion, source);
        out->type = SQLITE_INTEGER;
        out->whole = converted.boolVal ? -1 : 0;
        return S_OK;
    case FieldKind::Date:
        // Texts in the user's date format, as the system converts them.
        if (FAILED(change_type(&converted, in, VT_DATE))) return fail(kConversion, source);
        out->type = SQLITE_FLOAT;
        out->real = converted.date;
        return S_OK;
    case FieldKind::Currency:
        if (in.vt != VT_CY && FAILED(change_type(&converted, in, VT_CY))) return fail(kConversion, source);
        {
            const LONGLONG units = in.vt == VT_CY ? in.cyVal.int64 : converted.cyVal.int64;
            // Whole amounts stay exact as integers; others as the nearest double.
            if (units % 10000 == 0) {
                out->type = SQLITE_INTEGER;
                out->whole = units / 10000;
            } else {
                out->type = SQLITE_FLOAT;
                out->real = static_cast<double>(units) / 10000.0;
            }
        }
        return S_OK;
    case FieldKind::Long: case FieldKind::Short: case FieldKind::Byte: case FieldKind::Counter: {
        if (FAILED(change_type(&converted, in, VT_I8))) return fail(kConversion, source);
        const sqlite3_int64 n = converted.llVal;
        const bool fits = type.kind == FieldKind::Short ? n >= -32768 && n <= 32767
                          : type.kind == FieldKind::Byte ? n >= 0 && n <= 255
                                                            : n >= INT32_MIN && n <= INT32_MAX;
        if (!fits) return fail(kOverflow, source);
        out->type = SQLITE_INTEGER;
        out->whole = n;
        return S_OK;
    }
    case FieldKind::Double: case FieldKind::Single:
        if (in.vt == VT_CY) {
            out->real = static_cast<double>(in.cyVal.int64) / 10000.0;
        } else if (in.vt == VT_DATE) {
            out->real = in.date;
        } else {
            if (FAILED(change_type(&converted, in, VT_R8))) return fail(kConversion, source);
            out->real = converted.dblVal;
        }
        out->type = SQLITE_FLOAT;
        return S_OK;
    case FieldKind::Binary:
        return fail(kConversion, source);
    default:
        switch (in.vt) {
        case VT_BSTR: out->type = SQLITE_TEXT; out->text = from_bstr(in.bstrVal); return S_OK;
        case VT_R4: out->type = SQLITE_FLOAT; out->real = in.fltVal; return S_OK;
        case VT_R8: case VT_DATE: out->type = SQLITE_FLOAT; out->real = in.dblVal; return S_OK;
        case VT_CY: out->type = SQLITE_FLOAT; out->real = static_cast<double>(in.cyVal.int64) / 10000.0; return S_OK;
        case VT_BOOL: out->type = SQLITE_INTEGER; out->whole = in.boolVal ? -1 : 0; return S_OK;
        default:
            if (FAILED(change_type(&converted, in, VT_I8))) return fail(kConversion, source);
            out->type = SQLITE_INTEGER;
            out->whole = converted.llVal;
            return S_OK;
        }
    }
}

const unsigned char *value_bytes(const Value &v, size_t *count) {
    if (v.type == SQLITE_BLOB) {
        *count = v.bytes.size();
        return v.bytes.data();
    }
    if (v.type == SQLITE_TEXT) {
        *count = v.text.size() * 2;
        return reinterpret_cast<const unsigned char *>(v.text.data());
    }
    *count = 0;
    return nullptr;
}

}  // namespace dbengine
