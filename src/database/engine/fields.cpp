// The fields of a recordset's current record, and their collection.
#include "database/engine/recordset.h"

namespace dbengine {

// The position of an item of a collection: a number from 0 or a name.
HRESULT find_item(const VARIANT &item, size_t count,
                  const std::vector<std::u16string> &names, size_t *index, const char *source) {
    if (item.vt == VT_BSTR) {
        const std::u16string name = from_bstr(item.bstrVal);
        for (size_t i = 0; i < names.size(); ++i)
            if (equal_names(names[i], name)) {
                *index = i;
                return S_OK;
            }
        return fail(kNotInCollection, source);
    }
    VARIANT number;
    VariantInit(&number);
    if (FAILED(change_type(&number, item, VT_I4)) || number.lVal < 0 ||
        static_cast<size_t>(number.lVal) >= count)
        return fail(kNotInCollection, source);
    *index = static_cast<size_t>(number.lVal);
    return S_OK;
}

FieldsObject::FieldsObject(RecordsetObject *records, const std::vector<Column> *columns, std::vector<Column> own)
    : Object<Fields>("Quorvel.Fields"), records_(records), own_(std::move(own)), columns_(records ? *columns : own_) {
    if (records_) records_->AddRef();
}
FieldsObject::~FieldsObject() {
    if (records_) records_->Release();
}

HRESULT STDMETHODCALLTYPE FieldsObject::get_Item(VARIANT item, _Field **field) {
    std::vector<std::u16string> names;
    if (item.vt == VT_BSTR)
        for (const Column &c : columns_) names.push_back(c.name);
    size_t index;
    HRESULT hr = find_item(item, columns_.size(), names, &index, source_);
    if (FAILED(hr)) return hr;
    return hand_out<_Field>(new FieldObject(records_, index, columns_[index]), field);
}

FieldObject::FieldObject(RecordsetObject *records, size_t index, const Column &column)
    : DaoObject<_Field>("Quorvel.Field"), records_(records), index_(index), own_(records ? Column() : column),
      column_(records ? column : own_) {
    if (records_) records_->AddRef();
}
FieldObject::~FieldObject() {
    if (records_) records_->Release();
}

HRESULT STDMETHODCALLTYPE FieldObject::get_Name(BSTR *name) {
    if (!name) return E_POINTER;
    *name = to_bstr(column_.name);
    return *name ? S_OK : fail(kOutOfMemory, source_);
}

HRESULT STDMETHODCALLTYPE FieldObject::get_Value(VARIANT *value) {
    if (!value) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    return SUCCEEDED(hr) ? to_variant(*v, column_.type.kind, value, source_) : hr;
}

HRESULT STDMETHODCALLTYPE FieldObject::put_Value(VARIANT value) {
    if (!records_) return fail(kInvalidOperation, source_);
    Value v;
    HRESULT hr = from_variant(value, column_.type, &v, source_);
    return SUCCEEDED(hr) ? records_->set(index_, std::move(v)) : hr;
}

HRESULT STDMETHODCALLTYPE FieldObject::AppendChunk(VARIANT value) {
    if (!records_) return fail(kInvalidOperation, source_);
    if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray)
        return fail(kConversion, source_);
    return records_->append(index_, static_cast<const unsigned char *>(value.parray->pvData),
                            value.parray->rgsabound[0].cElements);
}


HRESULT STDMETHODCALLTYPE FieldObject::get_FieldSize(LONG *size) {
    if (!size) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    if (FAILED(hr)) return hr;
    size_t count;
    value_bytes(*v, &count);
    *size = static_cast<LONG>(count);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FieldObject::GetChunk(LONG offset, LONG bytes, VARIANT *value) {
    if (!value) return E_POINTER;
    if (!records_) return fail(kInvalidOperation, source_);
    const Value *v;
    HRESULT hr = records_->value(index_, &v);
    if (FAILED(hr)) return hr;
    if (offset < 0 || bytes < 0) return fail(kInvalidArgument, source_);
    size_t count;
    const unsigned char *data = value_bytes(*v, &count);
    VariantInit(value);
    if (v->type == SQLITE_NULL) {
        value->vt = VT_NULL;
        return S_OK;
    }
    const size_t from = std::min(count, static_cast<size_t>(offset));
    const size_t take = std::min(count - from, static_cast<size_t>(bytes));
    value->parray = byte_array(data + from, take);
    if (!value->parray) return fail(kOutOfMemory, source_);
    value->vt = VT_ARRAY | VT_UI1;
    return S_OK;
}

std::vector<Column> table_columns(const StorePtr &store, const std::u16string &table) {
    std::vector<Column> columns;
    Statement s;
    const std::u16string sql = u"PRAGMA table_info(" + identifier(table) + u")";
    if (sqlite3_prepare16_v2(store->db, sql.c_str(), -1, &s.handle, nullptr) != SQLITE_OK) return columns;
    while (sqlite3_step(s.handle) == SQLITE_ROW) {
        Column c;
        c.name = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 1));
        auto *declared = static_cast<const char16_t *>(sqlite3_column_text16(s.handle, 2));
        c.type = column_type(declared ? declared : u"");
        columns.push_back(std::move(c));
    }
    return columns;
}

}  // namespace dbengine
