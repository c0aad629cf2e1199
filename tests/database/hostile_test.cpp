// Hostile input: broken SQL, names and values past every limit, damaged
// files, work without end. Each gives a failure result and a report, never
// a crash nor a hang.
#include <quorvel/database.h>

#include "support/data_paths.h"
#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using test::MessageBoxCapture;
using test::one_box_with;
using test::u16;

// The current row's first value; "" for none.
std::u16string first_value(RecordsetPtr records) {
    unsigned short *text = Mdb_GetColValue(records, LONG(0));
    const std::u16string value = text ? test::str16(text) : u"";
    std::free(text);
    return value;
}

TEST(DatabaseHostile, BrokenSqlAndLongTexts) {
    test::Scratch scratch;
    DatabasePtr db = Mdb_CreateDatabase(u16(scratch.path("h.mdb")), nullptr);
    ASSERT_TRUE(db);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG, M MEMO")), 0);
    const char16_t *broken[] = {
        u"'", u"\"", u"[T", u"SELECT * FROM T WHERE ID = #13/45/2024#", u"INSERT INTO T VALUES('a''", u"DROP TABLE T; DROP TABLE T",
        u"SELECT * FROM T", u"INSERT INTO T VALUES(1, 'x') junk", u"\u30c6\u30fc\u30d6\u30eb", u"",
    };
    MessageBoxCapture capture;
    for (const char16_t *sql : broken)
        EXPECT_EQ(Mdb_ExecSql(db, u16(sql)), 0) << testing::PrintToString(std::u16string(sql));
    EXPECT_EQ(capture.boxes().size(), std::size(broken));

    // A name past the statement buffer is refused; a long value is kept whole.
    const std::u16string longName(5000, u'N');
    EXPECT_EQ(Mdb_CreateTable(db, u16(longName), u16(u"A LONG")), 0);
    EXPECT_FALSE(Mdb_Select(db, 1, u16(u"*"), u16(longName), nullptr));
    EXPECT_EQ(capture.boxes().size(), std::size(broken) + 2);
    std::u16string longValue(100000, u'\u3042');
    RecordsetPtr records = Mdb_Select(db, 0, u16(u"T"));
    ASSERT_EQ(Mdb_RecordNew(records), 1);
    EXPECT_EQ(Mdb_SetColValue(records, u16(u"M"), reinterpret_cast<unsigned short *>(&longValue[0])), 1);
    std::u16string notNumber = u"oops";
    EXPECT_EQ(Mdb_SetColValue(records, u16(u"ID"), reinterpret_cast<unsigned short *>(&notNumber[0])), 0);
    ASSERT_EQ(Mdb_RecordUpdate(records), 1);
    unsigned short *back = Mdb_GetColValue(records, u16(u"M"));
    ASSERT_TRUE(back);
    EXPECT_TRUE(test::str16(back) == longValue);
    std::free(back);
    EXPECT_EQ(capture.boxes().size(), std::size(broken) + 3);
    Mdb_CloseDatabase(db);
}

TEST(DatabaseHostile, DamagedFiles) {
    test::Scratch scratch;
    DatabasePtr db = Mdb_CreateDatabase(u16(scratch.path("good.mdb")), nullptr);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG, M MEMO")), 0);
    const std::u16string filler = u"1, '" + std::u16string(2000, u'x') + u"'";
    for (int i = 0; i < 100; ++i) Mdb_Insert(db, u16(u"T"), u16(filler));
    Mdb_CloseDatabase(db);
    db = nullptr;
    const auto good = scratch.native("good.mdb");
    const auto size = std::filesystem::file_size(good);

    std::filesystem::copy_file(good, scratch.native("cut.mdb"));
    std::filesystem::resize_file(scratch.native("cut.mdb"), size / 3);
    std::filesystem::copy_file(good, scratch.native("garbled.mdb"));
    {
        std::fstream file(scratch.native("garbled.mdb"), std::ios::in | std::ios::out | std::ios::binary);
        file.write(std::string(64, '\x5a').data(), 64);
    }
    for (const char *name : {"cut.mdb", "garbled.mdb"}) {
        SCOPED_TRACE(name);
        MessageBoxCapture capture;
        DatabasePtr damaged = Mdb_OpenDatabase(u16(scratch.path(name)), nullptr);
        RecordsetPtr rows = damaged ? Mdb_Select(damaged, 1, u16(u"SELECT COUNT(*) FROM T WHERE M <> ''"))
                                    : nullptr;
        EXPECT_FALSE(rows);
        EXPECT_EQ(capture.boxes().size(), 1u);
        Mdb_CloseDatabase(damaged);
    }
}

// Recordsets left part-way through their rows keep their statements open:
// DROP TABLE, a new password and closing the database go through all the
// same, and the recordsets go on where they were.
TEST(DatabaseHostile, RecordsetsLeftPartWay) {
    test::Scratch scratch;
    DatabasePtr db = Mdb_CreateDatabase(u16(scratch.path("o.mdb")), nullptr);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG")), 0);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"U"), u16(u"ID LONG")), 0);
    for (const char16_t *id : {u"1", u"2", u"3"}) Mdb_Insert(db, u16(u"T"), u16(id));
    MessageBoxCapture capture;
    RecordsetPtr kept = Mdb_Select(db, 0, u16(u"T")), plain = Mdb_Select(db, 1, u16(u"SELECT ID * 2 FROM T"));
    EXPECT_EQ(Mdb_RecordNext(kept) + Mdb_RecordNext(plain), 2);
    Mdb_ExecSql(db, u16(u"DROP TABLE U"));
    EXPECT_EQ(Mdb_SetPassword(db, u16(u""), u16(u"pw")), 0);
    EXPECT_EQ(Mdb_RecordNext(kept) + Mdb_RecordNext(plain), 2);
    EXPECT_EQ(first_value(kept) + first_value(plain), u"36");
    EXPECT_TRUE(capture.boxes().empty());
    Mdb_CloseDatabase(db);
    db = Mdb_OpenDatabase(u16(scratch.path("o.mdb")), u16(u"pw"));  // exclusive: the file was let go
    EXPECT_TRUE(db);
    Mdb_CloseDatabase(db);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"o.mdb"});
}

// A file the sqlite3 shell wrote (data/database/hostile.sql) with views of
// 10^10 rows and without end, a trigger without end and a table of 10^6
// rows: each opens at once, or is refused or stopped (3360) with nothing
// kept. Reading every row at open, a hang here is ended by CTest's timeout.
TEST(DatabaseHostile, WorkWithoutEnd) {
    test::Scratch scratch;
    std::filesystem::copy_file(QUORVEL_TEST_BUILD_DATA "/hostile.mdb", scratch.native("h.mdb"));
    DatabasePtr db = Mdb_OpenDatabase(u16(scratch.path("h.mdb")), nullptr);
    const struct {
        const char16_t *sql, *first;  // the first row's first value; null: no recordset
        LONG count;
        int error;
    } rows[] = {
        {u"SELECT * FROM Huge", u"0", -1, 3360}, {u"SELECT * FROM Endless", nullptr, 0, 3360},
        {u"SELECT * FROM Big", u"0", 1000000, 0}, {u"INSERT INTO Fill VALUES (1)", nullptr, 0, 3360},
        {u"SELECT * FROM Fill", nullptr, -1, 0}, {u"SELECT * FROM Filled", nullptr, -1, 0},
        {u"INSERT INTO P VALUES (1)", nullptr, 0, 0}, {u"SELECT * FROM P", u"1", 2, 0}, {u"SELECT * FROM Q", u"2", 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(row.sql)));
        MessageBoxCapture capture;
        const bool select = row.sql[0] == u'S';
        if (!select) Mdb_ExecSql(db, u16(row.sql));
        RecordsetPtr records = select ? Mdb_Select(db, 1, u16(row.sql)) : nullptr;
        EXPECT_EQ(!records, !select || (row.error && !row.first));
        EXPECT_EQ(records && row.first ? first_value(records) : u"", row.first ? row.first : u"");
        if (records) EXPECT_EQ(Mdb_SelectCount(records), row.count);
        EXPECT_TRUE(row.error ? one_box_with(capture, row.error) : capture.boxes().empty());
    }
    Mdb_CloseDatabase(db);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"h.mdb"});
}

}  // namespace
