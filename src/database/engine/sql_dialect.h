// The database engine's SQL dialect, as hosts of an Access-style engine
// write it, translated to SQLite's. The translation works on tokens; text
// inside strings and bracketed names is never touched:
//
//   [name]                 "name" (an identifier)
//   "text"                 'text' (Jet reads double quotes as a string)
//   #2024-01-15 10:30#     the OLE date number (days from 1899-12-30);
//   #1/15/2024#            month/day/year, as Jet reads a # date
//   True, False            -1, 0
//   a & b                  a || b
//   SELECT [DISTINCT] TOP n ...    SELECT [DISTINCT] ... LIMIT n
//   column types in CREATE TABLE and ALTER TABLE ... ADD [COLUMN]:
//     TEXT(n) CHAR(n) VARCHAR(n)        TEXT(n)    (TEXT without a size: 255)
//     MEMO LONGTEXT LONGCHAR NOTE       CLOB
//     LONG INTEGER INT                  INTEGER    (32-bit)
//     SHORT SMALLINT                    SMALLINT   (16-bit)
//     BYTE TINYINT                      TINYINT    (0 to 255)
//     COUNTER AUTOINCREMENT [(s, i)]    INTEGER PRIMARY KEY AUTOINCREMENT
//     DATETIME DATE TIME                DATETIME   (an OLE date number)
//     YESNO BIT LOGICAL BOOLEAN         BOOLEAN    (-1 or 0)
//     CURRENCY MONEY                    CURRENCY
//     DOUBLE FLOAT NUMBER               DOUBLE
//     SINGLE REAL                       REAL       (32-bit)
//     LONGBINARY OLEOBJECT IMAGE BINARY BLOB
//   ADD COLUMN name type   (ADD name type is given its COLUMN)
//
// The declared types keep the engine's kinds apart (see field_kind) while
// giving SQLite the matching storage affinity.
#pragma once

#include <string>

namespace dbengine {

// Kinds of column the engine tells apart, from a declared type.
enum class FieldKind { Text, Memo, Long, Short, Byte, Double, Single, Currency, Date, Boolean,
                       Binary, Counter, Other };

struct ColumnType {
    FieldKind kind = FieldKind::Other;
    long size = 0;  // TEXT(n): n; 0 when not given
};

// The declared type as the translation writes it (case-insensitive).
ColumnType column_type(const std::u16string &declared);

// Translates one statement. Returns false, with a reason in `error`, for
// text that cannot be translated (an unterminated string, bracket or date,
// a date that is not one).
bool translate_sql(const std::u16string &jet, std::u16string *sqlite, std::string *error);

// The OLE date of a date and time, false when the fields are not a date.
bool ole_date(int year, int month, int day, int hour, int minute, int second, double *date);

}  // namespace dbengine
