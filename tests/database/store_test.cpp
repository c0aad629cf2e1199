// The file under a database: what opens as one, what stays beside it, who
// may open it at once and what a read-only open or selection may change.
// Engine errors are checked by number in the box ("0x800A" and the number).
#include <quorvel/database.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test::MessageBoxCapture;
using test::one_box_with;
using test::u16;

// Files that are no database fail with 3343 and are left as they were.
TEST(DatabaseStore, FilesThatAreNoDatabase) {
    const struct {
        const char *name;
        test::Bytes bytes;
    } rows[] = {
        {"empty", {}},
        {"zeros", test::Bytes(8192, 0)},
        {"short", test::Bytes(100, 0x5a)},
        {"text", test::Bytes(3000, 'x')},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::Scratch scratch;
        scratch.write("x.mdb", row.bytes);
        MessageBoxCapture capture;
        EXPECT_FALSE(Mdb_OpenDatabase(u16(scratch.path("x.mdb")), nullptr));
        EXPECT_FALSE(Mdb_OpenDatabase(u16(scratch.path("x.mdb")), u16(u"pw")));
        EXPECT_EQ(capture.boxes().size(), 2u);
        for (const auto &box : capture.boxes()) EXPECT_NE(box.text.find(u"0x800A0D0F"), std::u16string::npos);
        EXPECT_EQ(scratch.read("x.mdb"), row.bytes);
        EXPECT_EQ(scratch.tree(), std::set<std::string>{"x.mdb"});
    }
}

// A rollback journal, gone when the database closes: header bytes 18 and 19 are
// 1 (rollback journal) in SQLite's published file format, 2 for WAL.
TEST(DatabaseStore, OneFileAndExclusiveOpen) {
    test::Scratch scratch;
    const std::u16string path = scratch.path("one.mdb");
    DatabasePtr db = Mdb_CreateDatabase(u16(path), nullptr);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG")), 0);
    ASSERT_EQ(Mdb_Insert(db, u16(u"T"), u16(u"1")), 0);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"one.mdb"});
    Mdb_CloseDatabase(db);
    const test::Bytes head = scratch.read("one.mdb");
    ASSERT_GT(head.size(), 20u);
    EXPECT_EQ(head[18], 1);
    EXPECT_EQ(head[19], 1);

    db = Mdb_OpenDatabase(u16(path), nullptr);  // exclusive, as the library always opens
    ASSERT_TRUE(db);
    EXPECT_EQ(Mdb_Insert(db, u16(u"T"), u16(u"2")), 0);
    for (const std::string &name : scratch.tree())  // an emptied journal may stay while it is open
        EXPECT_TRUE(name == "one.mdb" || name == "one.mdb-journal") << name;
    {
        MessageBoxCapture capture;
        EXPECT_FALSE(Mdb_OpenDatabase(u16(path), 1, nullptr));
        EXPECT_TRUE(one_box_with(capture, 3045));
    }
    Mdb_CloseDatabase(db);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"one.mdb"});
    db = Mdb_OpenDatabase(u16(path), 1, nullptr);
    EXPECT_TRUE(db);
    Mdb_CloseDatabase(db);
}

// Writes refused with 3027 leave the file as it was; an edit of a row
// deleted through another recordset fails with 3167.
TEST(DatabaseStore, ReadOnlyOpenSelectionAndDeletedRows) {
    test::Scratch scratch;
    const std::u16string path = scratch.path("ro.mdb");
    DatabasePtr db = Mdb_CreateDatabase(u16(path), nullptr);
    ASSERT_EQ(Mdb_CreateTable(db, u16(u"T"), u16(u"ID LONG")), 0);
    ASSERT_EQ(Mdb_Insert(db, u16(u"T"), u16(u"1")), 0);
    ASSERT_EQ(Mdb_Insert(db, u16(u"T"), u16(u"2")), 0);

    const struct {
        const char *name;
        int (*call)(RecordsetPtr);
    } refused[] = {{"edit", Mdb_RecordEdit}, {"new", Mdb_RecordNew}, {"delete", Mdb_RecordDelete}};
    for (const auto &row : refused) {
        SCOPED_TRACE(row.name);
        RecordsetPtr records = Mdb_Select(db, 1, u16(u"T"));
        ASSERT_EQ(Mdb_SelectCount(records), 2);
        MessageBoxCapture capture;
        EXPECT_EQ(row.call(records), 0);
        EXPECT_TRUE(one_box_with(capture, 3027));
    }

    RecordsetPtr kept = Mdb_Select(db, 0, u16(u"T"));
    RecordsetPtr other = Mdb_Select(db, 0, u16(u"T"));
    ASSERT_EQ(Mdb_SelectCount(kept), 2);
    ASSERT_EQ(Mdb_SelectCount(other), 2);
    ASSERT_EQ(Mdb_RecordDelete(other), 1);
    {
        MessageBoxCapture capture;
        EXPECT_EQ(Mdb_RecordEdit(kept), 0);
        EXPECT_TRUE(one_box_with(capture, 3167));
    }
    kept = other = nullptr;
    Mdb_CloseDatabase(db);

    const test::Bytes before = scratch.read("ro.mdb");
    db = Mdb_OpenDatabase(u16(path), 1, nullptr);
    ASSERT_TRUE(db);
    {
        MessageBoxCapture capture;
        EXPECT_EQ(Mdb_Insert(db, u16(u"T"), u16(u"3")), 0);
        EXPECT_TRUE(one_box_with(capture, 3027));
    }
    Mdb_CloseDatabase(db);
    EXPECT_EQ(scratch.read("ro.mdb"), before);
    EXPECT_EQ(scratch.tree(), std::set<std::string>{"ro.mdb"});
}

}  // namespace
