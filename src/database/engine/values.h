// A value of the store, and its conversions to and from the VARIANTs the
// engine's fields hand out and take.
#pragma once

#include "database/engine/errors.h"
#include "database/engine/sql_dialect.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace dbengine {

struct Value {
    int type = SQLITE_NULL;
    sqlite3_int64 whole = 0;
    double real = 0;
    std::u16string text;
    std::vector<unsigned char> bytes;
    bool date = false;  // a date computed by the statement, in a column of no type
};

Value column_value(sqlite3_stmt *s, int i);
int bind(sqlite3_stmt *s, int i, const Value &v);
SAFEARRAY *byte_array(const unsigned char *data, size_t count);
// VariantChangeType with flags 0 (its source is not const in every SDK).
HRESULT change_type(VARIANT *target, const VARIANT &source, VARTYPE type);
// The value as the engine's VARIANT for the column's kind.
HRESULT to_variant(const Value &v, FieldKind kind, VARIANT *out, const char *source);
// A VARIANT written to a column of the given kind and size.
HRESULT from_variant(const VARIANT &in, const ColumnType &type, Value *out, const char *source);
// The bytes of a long value: a binary's own, a text's UTF-16 units.
const unsigned char *value_bytes(const Value &v, size_t *count);

}  // namespace dbengine
