// Hostile input: broken SQL, names and values past every limit, damaged
// files. Each gives a failure result and a report, never a crash.
#include <quorvel/database.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using test::MessageBoxCapture;
using test::u16;

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

}  // namespace
