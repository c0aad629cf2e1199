// SQL statements, table and column tests, stored queries and recordsets.
// The composed statements and the names compared share one buffer of
// 2048 UTF-16 units; what does not fit is refused (E_INVALIDARG, reported).
#include <quorvel/database.h>

#include "database/com_failure.h"
#include "database/engine/engine.h"
#include "frame/module.h"

#include <string>

using dbengine::kDenyWriteOption;
using dbengine::kOpenDynaset;
using dbengine::kOpenSnapshot;
using dbengine::kReadOnlyOption;

namespace {

using namespace mdb;

unsigned short g_sql[QUORVEL_MAX_TEXT];

// Puts `content` into the SQL buffer; false when it does not fit.
bool to_buffer(const std::u16string &content) {
    if (content.size() >= QUORVEL_MAX_TEXT) return false;
    content.copy(as_u16(g_sql), content.size());
    g_sql[content.size()] = 0;
    return true;
}

// A composed statement in the SQL buffer, run by Mdb_ExecSql.
LONG exec_composed(const char16_t *operation, DatabasePtr &db, const std::u16string &statement) {
    if (!to_buffer(statement)) return guarded(operation, LONG(0), []() -> LONG { raise(E_INVALIDARG); });
    return Mdb_ExecSql(db, g_sql);
}

// The name in the SQL buffer compared unit by unit with `wanted`.
bool same_name(BSTR name, const unsigned short *wanted) {
    if (!to_buffer(name ? std::u16string(as_u16(name), SysStringLen(name))
                        : std::u16string()))
        raise(E_INVALIDARG);
    return u16_string(g_sql) == u16_string(wanted);
}

RecordsetPtr open_from(DatabasePtr &db, int readOnly, const unsigned short *source) {
    Bstr name(source);
    Recordset *records = nullptr;
    check(db->OpenRecordset(name, long_variant(kOpenDynaset),
                            long_variant(readOnly ? kReadOnlyOption : kDenyWriteOption),
                            frame::missing_argument(), &records),
          db.GetInterfacePtr());
    return RecordsetPtr(records, false);
}

}  // namespace

LONG Mdb_ExecSql(DatabasePtr db, const unsigned short *sql) {
    if (!sql) return 0;
    return guarded(u"Mdb_ExecSql", LONG(0), [&] {
        Bstr statement(sql);
        HRESULT hr = db->Execute(statement, frame::missing_argument());
        check(hr, db.GetInterfacePtr());
        TableDefs *defs = nullptr;
        check(db->get_TableDefs(&defs), db.GetInterfacePtr());
        TableDefsPtr tables(defs, false);
        check<_Collection>(tables->Refresh(), tables.GetInterfacePtr());
        return LONG(hr);
    });
}

LONG Mdb_CreateTable(DatabasePtr db, const unsigned short *table, const unsigned short *columns) {
    if (!table || !columns) return 0;
    return exec_composed(u"Mdb_CreateTable", db,
                         u"CREATE TABLE " + u16_string(table) + u" (" + u16_string(columns) +
                             u");");
}

LONG Mdb_AddField(DatabasePtr db, const unsigned short *table, const unsigned short *column,
                  const unsigned short *type) {
    if (!table || !column || !type) return 0;
    return exec_composed(u"Mdb_AddField", db,
                         u"ALTER TABLE " + u16_string(table) + u" ADD COLUMN " + u16_string(column) +
                             u" " + u16_string(type) + u";");
}

LONG Mdb_Insert(DatabasePtr db, const unsigned short *table, const unsigned short *values) {
    if (!table || !values) return 0;
    return exec_composed(u"Mdb_Insert", db,
                         u"INSERT INTO " + u16_string(table) + u" VALUES(" + u16_string(values) +
                             u");");
}

int Mdb_ExistTable(DatabasePtr db, const unsigned short *table) {
    return guarded(u"Mdb_ExistTable", 0, [&] {
        TableDefs *defs = nullptr;
        check(db->get_TableDefs(&defs), db.GetInterfacePtr());
        TableDefsPtr tables(defs, false);
        short count = 0;
        check<_Collection>(tables->get_Count(&count), tables.GetInterfacePtr());
        if (!table) return 0;
        for (LONG i = 0; i < count; ++i) {
            _TableDef *def = nullptr;
            check(tables->get_Item(long_variant(i), &def), tables.GetInterfacePtr());
            _TableDefPtr tableDef(def, false);
            BSTR name = nullptr;
            check(tableDef->get_Name(&name), tableDef.GetInterfacePtr());
            const bool equal = same_name(name, table);
            SysFreeString(name);
            if (equal) return 1;
        }
        return 0;
    });
}

int Mdb_ExistField(DatabasePtr db, const unsigned short *table, const unsigned short *column) {
    if (!table || !column) return 0;
    return guarded(u"Mdb_ExistField", 0, [&] {
        TableDefs *defs = nullptr;
        check(db->get_TableDefs(&defs), db.GetInterfacePtr());
        TableDefsPtr tables(defs, false);
        Variant key;
        key.value = text_variant(table);
        _TableDef *def = nullptr;
        check(tables->get_Item(key.value, &def), tables.GetInterfacePtr());
        _TableDefPtr tableDef(def, false);
        Fields *fieldList = nullptr;
        check(tableDef->get_Fields(&fieldList), tableDef.GetInterfacePtr());
        FieldsPtr fields(fieldList, false);
        short count = 0;
        check<_Collection>(fields->get_Count(&count), fields.GetInterfacePtr());
        for (LONG i = 0; i < count; ++i) {
            _Field *item = nullptr;
            check(fields->get_Item(long_variant(i), &item), fields.GetInterfacePtr());
            _FieldPtr field(item, false);
            BSTR name = nullptr;
            check(field->get_Name(&name), field.GetInterfacePtr());
            const bool equal = same_name(name, column);
            SysFreeString(name);
            if (equal) return 1;
        }
        return 0;
    });
}

_QueryDefPtr Mdb_AddQuery(DatabasePtr db, const unsigned short *name, const unsigned short *sql) {
    if (!name || !sql) return nullptr;
    return guarded(u"Mdb_AddQuery", _QueryDefPtr(), [&] {
        Variant queryName, queryText;
        queryName.value = text_variant(name);
        queryText.value = text_variant(sql);
        _QueryDef *query = nullptr;
        check(db->CreateQueryDef(queryName.value, queryText.value, &query), db.GetInterfacePtr());
        return _QueryDefPtr(query, false);
    });
}

_QueryDefPtr Mdb_LoadQuery(DatabasePtr db, const unsigned short *name) {
    if (!name) return nullptr;
    return guarded(u"Mdb_LoadQuery", _QueryDefPtr(), [&] {
        Bstr queryName(name);
        _QueryDef *query = nullptr;
        check(db->OpenQueryDef(queryName, &query), db.GetInterfacePtr());
        return _QueryDefPtr(query, false);
    });
}

RecordsetPtr Mdb_Select(_QueryDefPtr query, int readOnly) {
    if (!query) return nullptr;
    return guarded(u"Mdb_Select", RecordsetPtr(), [&] {
        Recordset *records = nullptr;
        check(query->OpenRecordset(long_variant(kOpenSnapshot),
                                   long_variant(readOnly ? kReadOnlyOption : kDenyWriteOption),
                                   frame::missing_argument(), &records),
              query.GetInterfacePtr());
        return RecordsetPtr(records, false);
    });
}

RecordsetPtr Mdb_Select(DatabasePtr db, int readOnly, const unsigned short *source) {
    if (!source) return nullptr;
    return guarded(u"Mdb_Select", RecordsetPtr(), [&] { return open_from(db, readOnly, source); });
}

RecordsetPtr Mdb_Select(DatabasePtr db, int readOnly, const unsigned short *columns,
                        const unsigned short *table, const unsigned short *condition) {
    if (!columns || !table) return nullptr;
    return guarded(u"Mdb_Select", RecordsetPtr(), [&] {
        std::u16string statement = u"SELECT " + u16_string(columns) + u" FROM " + u16_string(table);
        if (condition && *condition) statement += u" WHERE " + u16_string(condition);
        if (!to_buffer(statement + u";")) raise(E_INVALIDARG);
        return open_from(db, readOnly, g_sql);
    });
}
