/* Quorvel: Access-style databases through the database engine's interfaces.
 *
 * Handles are smart pointers (DatabasePtr, RecordsetPtr, _QueryDefPtr,
 * _FieldPtr, see <quorvel/dao.h>) passed by value; a returned handle holds
 * one reference for the caller. Every engine failure is shown in a message
 * box captioned "Error" and the function returns its failure value (a null
 * handle, 0, or -1 for Mdb_SelectCount); null arguments return that value
 * without a box. Returned texts and byte blocks come from malloc: release
 * them with free. Calls need COM initialised on the calling thread and are
 * not made from two threads at once (the SQL functions share one buffer). */
#ifndef QUORVEL_DATABASE_H
#define QUORVEL_DATABASE_H

#include <quorvel/dao.h>

#ifdef __cplusplus

/* Databases. The connect string is ";LANGID=<system language>;CP=<ANSI code
 * page>;COUNTRY=0;PWD=<password>;"; a null password is an empty one. */
QUORVEL_API DatabasePtr Mdb_CreateDatabase(const unsigned short *path,
                                           const unsigned short *password);
QUORVEL_API DatabasePtr Mdb_OpenDatabase(const unsigned short *path,
                                         const unsigned short *password);
QUORVEL_API DatabasePtr Mdb_OpenDatabase(const unsigned short *path, int readOnly,
                                         const unsigned short *password);
/* 0, also after a reported failure. */
QUORVEL_API LONG Mdb_CloseDatabase(DatabasePtr db);
QUORVEL_API LONG Mdb_SetPassword(DatabasePtr db, const unsigned short *oldPassword,
                                 const unsigned short *newPassword);

/* SQL. The texts are inserted into the statements as they are; statements
 * are limited to 2048 UTF-16 units. These four return 0 (also after a
 * reported failure). */
QUORVEL_API LONG Mdb_ExecSql(DatabasePtr db, const unsigned short *sql);
QUORVEL_API LONG Mdb_CreateTable(DatabasePtr db, const unsigned short *table,
                                 const unsigned short *columns);
QUORVEL_API LONG Mdb_AddField(DatabasePtr db, const unsigned short *table,
                              const unsigned short *column, const unsigned short *type);
QUORVEL_API LONG Mdb_Insert(DatabasePtr db, const unsigned short *table,
                            const unsigned short *values);
/* 1 when the name is there (compared exactly, case included), else 0. */
QUORVEL_API int Mdb_ExistTable(DatabasePtr db, const unsigned short *table);
QUORVEL_API int Mdb_ExistField(DatabasePtr db, const unsigned short *table,
                               const unsigned short *column);
QUORVEL_API _QueryDefPtr Mdb_AddQuery(DatabasePtr db, const unsigned short *name,
                                      const unsigned short *sql);
QUORVEL_API _QueryDefPtr Mdb_LoadQuery(DatabasePtr db, const unsigned short *name);
/* Recordsets: a snapshot of a stored query, or a dynaset of a table, a
 * query or a SELECT statement; readOnly non-zero opens them read-only. */
QUORVEL_API RecordsetPtr Mdb_Select(_QueryDefPtr query, int readOnly);
QUORVEL_API RecordsetPtr Mdb_Select(DatabasePtr db, int readOnly,
                                    const unsigned short *source);
QUORVEL_API RecordsetPtr Mdb_Select(DatabasePtr db, int readOnly,
                                    const unsigned short *columns,
                                    const unsigned short *table,
                                    const unsigned short *condition);

/* Walking and editing: 1 for success, 0 for failure. A new record is
 * Mdb_RecordNew, column writes, Mdb_RecordUpdate; a change is
 * Mdb_RecordEdit, column writes, Mdb_RecordUpdate. */
QUORVEL_API int Mdb_RecordNext(RecordsetPtr records);
QUORVEL_API int Mdb_RecordNew(RecordsetPtr records);
QUORVEL_API int Mdb_RecordEdit(RecordsetPtr records);
QUORVEL_API int Mdb_RecordDelete(RecordsetPtr records);
QUORVEL_API int Mdb_RecordUpdate(RecordsetPtr records);
QUORVEL_API int Mdb_SelectClose(RecordsetPtr records);
/* The number of records, leaving the first one current; -1 for none or a
 * failure. */
QUORVEL_API LONG Mdb_SelectCount(RecordsetPtr records);

/* Column values of the current record, by position (from 0) or by name.
 * A text, or null for a NULL value or a failure. */
QUORVEL_API unsigned short *Mdb_GetColValue(RecordsetPtr records, LONG position);
QUORVEL_API unsigned short *Mdb_GetColValue(RecordsetPtr records, const unsigned short *name);
QUORVEL_API unsigned short *mdb_GetColValue(_FieldPtr field);
/* The bytes of a long binary or memo value followed by two zero bytes, or
 * null for a value of at most 1 byte or a failure. */
QUORVEL_API BYTE *Mdb_GetColValueChunk(RecordsetPtr records, LONG position);
QUORVEL_API BYTE *Mdb_GetColValueChunk(RecordsetPtr records, const unsigned short *name);
QUORVEL_API BYTE *mdb_GetColValueChunk(_FieldPtr field);
QUORVEL_API unsigned short *Mdb_GetColName(RecordsetPtr records, LONG position);
QUORVEL_API unsigned short *Mdb_GetColName(RecordsetPtr records, const unsigned short *name);

/* Writes a column of the current record (between New or Edit and Update).
 * WORD and DWORD values are stored as the signed 16- and 32-bit numbers of
 * the same bits. Bytes are appended in blocks of 16, the last one padded
 * with zero bytes; null bytes append one zero byte. 1 for success. */
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, BYTE value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, WORD value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, DWORD value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, LONG value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, int64_t value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, unsigned short *value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, LONG position, BYTE *bytes, LONG length);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, BYTE value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, WORD value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, DWORD value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, LONG value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, int64_t value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name,
                                unsigned short *value);
QUORVEL_API int Mdb_SetColValue(RecordsetPtr records, const unsigned short *name, BYTE *bytes,
                                LONG length);
QUORVEL_API int mdb_SetColValue(_FieldPtr field, BYTE *bytes, LONG length);

#endif /* __cplusplus */
#endif
