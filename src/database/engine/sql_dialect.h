// The database engine's SQL dialect, as hosts of an Access-style engine
// write it, translated to SQLite's. The translation works on tokens; text
// inside strings and bracketed names is never touched:
//
//   [name]                 "name" (an identifier)
//   "text"                 'text' (Jet reads double quotes as a string)
//   #2024-01-15 10:30#     jet_date(the OLE date number, days from 1899-12-30)
//   #1/15/2024#            month/day/year as Jet reads a # date (y/m/d when
//                          the year comes first; a time alone is on day 0)
//   &H1F &O17              31 15 (four hex digits make a 16-bit number)
//   expressions            Jet's operators, see sql_expressions.cpp
//   SELECT [DISTINCT] TOP n [PERCENT] ...    SELECT ... LIMIT n (or n %)
//   SELECT ... INTO t FROM ...               CREATE TABLE t AS SELECT ...
//   SELECT DISTINCTROW ...                   SELECT ...
//   DELETE [*|t.*] FROM ...                  DELETE FROM ...
//   UPDATE a INNER JOIN b ON c SET ... [WHERE w]
//                          UPDATE a SET ... FROM b WHERE (c) AND (w)
//   PARAMETERS p type, ...; statement        the statement, p a parameter
//   BEGIN TRANSACTION, COMMIT, ROLLBACK [TRANSACTION | WORK]
//   DROP INDEX i ON t      DROP INDEX i
//   CREATE [UNIQUE] INDEX ... WITH PRIMARY | DISALLOW NULL | IGNORE NULL:
//                          the index (UNIQUE for PRIMARY), without the WITH
//   ALTER TABLE t ADD|DROP [COLUMN] c ...    with COLUMN
//   any other statement    error 3129, as Jet refuses it (WITH, PRAGMA, ATTACH)
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
//   text and memo columns compare without case (COLLATE JETTEXT); WITH
//   COMPRESSION goes; beside a COUNTER, other PRIMARY KEYs become UNIQUE.
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

// Translates one statement. Returns false, with the engine's error number
// and text in `error` ("3075 Syntax error ..."), for text that cannot be
// translated: an unterminated string, bracket or date, a date that is not
// one, a statement Jet does not have, text after the statement.
bool translate_sql(const std::u16string &jet, std::u16string *sqlite, std::string *error);

// The table a CREATE TABLE or SELECT ... INTO statement makes, or "".
std::u16string created_table(const std::u16string &jet);

// SELECT ... INTO table FROM ...: the table and the SELECT without INTO.
bool split_select_into(const std::u16string &jet, std::u16string *table, std::u16string *select);

// ALTER TABLE t ALTER [COLUMN] c type ...: the table, the column and its
// new definition in SQLite's terms.
bool alter_column(const std::u16string &jet, std::u16string *table, std::u16string *column,
                  std::u16string *definition);
// A CREATE TABLE statement (as SQLite keeps it) with one column's
// definition replaced; false when it has no such column.
bool replace_column(const std::u16string &create, const std::u16string &column, const std::u16string &definition,
                    std::u16string *out);

}  // namespace dbengine
