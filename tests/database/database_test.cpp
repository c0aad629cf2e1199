#include <quorvel/database.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using test::MessageBoxCapture;
using test::str16;
using test::u16;

// A text of the library's malloc, as a string; null as "(null)".
std::u16string taken(unsigned short *text) {
    std::unique_ptr<unsigned short, decltype(&std::free)> owner(text, &std::free);
    return text ? str16(text) : u"(null)";
}

unsigned short *mutable16(std::u16string &text) {
    return reinterpret_cast<unsigned short *>(&text[0]);
}

class Database : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = scratch_.path("test.mdb");
        db_ = Mdb_CreateDatabase(u16(path_), nullptr);
        ASSERT_TRUE(db_);
    }
    void TearDown() override { Mdb_CloseDatabase(db_); }
    // The box texts of a run, with the box count checked.
    std::vector<std::u16string> texts(const MessageBoxCapture &capture) {
        std::vector<std::u16string> out;
        for (const auto &box : capture.boxes()) {
            EXPECT_EQ(box.caption, u"Error") << testing::PrintToString(box.text);
            out.push_back(box.text);
        }
        return out;
    }
    test::Scratch scratch_;
    std::u16string path_;
    DatabasePtr db_;
};

// The connect string's language and code page on a Japanese system:
// ";LANGID=0411;CP=932;COUNTRY=0;PWD=;".
TEST(DatabaseConnect, JapaneseSystemLocale) {
    WCHAR language[32] = {}, codePage[32] = {};
    EXPECT_EQ(GetLocaleInfoW(0x0400, 0x0001, language, 32), 5);
    EXPECT_EQ(GetLocaleInfoW(0x0400, 0x1004, codePage, 32), 4);
    EXPECT_EQ(str16(reinterpret_cast<unsigned short *>(language)), u"0411");
    EXPECT_EQ(str16(reinterpret_cast<unsigned short *>(codePage)), u"932");
}

TEST_F(Database, Lifecycle) {
    MessageBoxCapture capture;
    EXPECT_FALSE(Mdb_CreateDatabase(nullptr, nullptr));
    EXPECT_FALSE(Mdb_OpenDatabase(nullptr, nullptr));
    EXPECT_EQ(Mdb_CloseDatabase(nullptr), 0);
    EXPECT_EQ(Mdb_SetPassword(db_, nullptr, u16(u"x")), 0);
    EXPECT_TRUE(capture.boxes().empty());

    EXPECT_FALSE(Mdb_CreateDatabase(u16(path_), nullptr));  // it exists
    EXPECT_FALSE(Mdb_OpenDatabase(u16(scratch_.path("missing.mdb")), nullptr));
    EXPECT_EQ(texts(capture).size(), 2u);

    DatabasePtr second = Mdb_OpenDatabase(u16(path_), 2, nullptr);
    ASSERT_TRUE(second);
    EXPECT_EQ(Mdb_CloseDatabase(second), 0);
}

TEST_F(Database, ErrorBoxWithAndWithoutErrorInformation) {
    MessageBoxCapture capture;
    EXPECT_EQ(Mdb_ExistField(db_, u16(u"NoSuchTable"), u16(u"ID")), 0);  // engine error 3265
    EXPECT_EQ(Mdb_ExistTable(nullptr, u16(u"T1")), 0);                    // E_POINTER
    auto shown = texts(capture);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], u"\tMean = Unknown error 0x800A0CC1\n\a\t説明 = Item not found in this collection.\n");
    // The system has no text for E_POINTER: the fallback shows.
    EXPECT_EQ(shown[1], u"\tMean = Unknown error 0x80004003\n\a\t説明 = \n");
}

// The password encrypts the file: no plain database header is left.
TEST_F(Database, PasswordEncryptsTheFile) {
    auto plain = [&] {
        std::ifstream file(scratch_.native("test.mdb"), std::ios::binary);
        char head[16] = {};
        file.read(head, 16);
        return std::string(head, 16) == std::string("SQLite format 3", 16);
    };
    MessageBoxCapture capture;
    EXPECT_EQ(Mdb_CreateTable(db_, u16(u"T1"), u16(u"ID LONG")), 0);
    EXPECT_EQ(Mdb_ExecSql(db_, u16(u"BEGIN TRANSACTION")), 0);
    EXPECT_EQ(Mdb_SetPassword(db_, u16(u""), u16(u"x")), 0);  // refused inside a transaction (3219)
    EXPECT_EQ(Mdb_ExecSql(db_, u16(u"COMMIT")), 0);
    EXPECT_EQ(Mdb_SetPassword(db_, u16(u""), u16(u"秘密")), 0);
    EXPECT_EQ(Mdb_SetPassword(db_, u16(u"wrong"), u16(u"x")), 0);  // refused, reported
    Mdb_CloseDatabase(db_);
    EXPECT_FALSE(plain());
    EXPECT_FALSE(Mdb_OpenDatabase(u16(path_), u16(u"wrong")));
    EXPECT_FALSE(Mdb_OpenDatabase(u16(path_), nullptr));
    const auto shown = texts(capture);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], u"\tMean = Unknown error 0x800A0C93\n\a\t説明 = Invalid operation.\n");
    EXPECT_EQ(shown[3], u"\tMean = Unknown error 0x800A0BD7\n\a\t説明 = Not a valid password.\n");
    db_ = Mdb_OpenDatabase(u16(path_), u16(u"秘密"));
    ASSERT_TRUE(db_);
    EXPECT_EQ(Mdb_ExistTable(db_, u16(u"T1")), 1);
    EXPECT_EQ(Mdb_SetPassword(db_, u16(u"秘密"), u16(u"")), 0);
    Mdb_CloseDatabase(db_);
    EXPECT_TRUE(plain());
    db_ = Mdb_OpenDatabase(u16(path_), u16(u"any"));  // an unprotected file opens with any password
    EXPECT_TRUE(db_);
    EXPECT_EQ(texts(capture).size(), 4u);
}

TEST_F(Database, SchemaAndSql) {
    MessageBoxCapture capture;
    EXPECT_EQ(Mdb_CreateTable(db_, u16(u"T1"), u16(u"ID LONG, NAME TEXT(50)")), 0);
    EXPECT_EQ(Mdb_AddField(db_, u16(u"T1"), u16(u"MEMO1"), u16(u"MEMO")), 0);
    EXPECT_EQ(Mdb_ExistTable(db_, u16(u"T1")), 1);
    EXPECT_EQ(Mdb_ExistTable(db_, u16(u"t1")), 0);
    EXPECT_EQ(Mdb_ExistField(db_, u16(u"T1"), u16(u"MEMO1")), 1);
    EXPECT_EQ(Mdb_ExistField(db_, u16(u"T1"), u16(u"memo1")), 0);
    EXPECT_EQ(Mdb_Insert(db_, u16(u"T1"), u16(u"1, 'It''s', 'a' & \"b\"")), 0);
    EXPECT_EQ(Mdb_ExecSql(db_, u16(u"INSERT INTO [T1] (ID, NAME) VALUES (2, NULL)")), 0);
    EXPECT_EQ(Mdb_ExecSql(db_, nullptr), 0);
    EXPECT_TRUE(capture.boxes().empty());

    struct Row {
        const char16_t *condition;
        LONG count;
    } rows[] = {{u"", 2}, {u"ID=1", 1}, {u"ID=3", -1}, {u"NAME IS NULL", 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.condition, row.condition + std::char_traits<char16_t>::length(row.condition)));
        RecordsetPtr records = Mdb_Select(db_, 1, u16(u"*"), u16(u"T1"), u16(row.condition));
        ASSERT_TRUE(records);
        EXPECT_EQ(Mdb_SelectCount(records), row.count);
    }
    RecordsetPtr records = Mdb_Select(db_, 1, u16(u"SELECT TOP 1 * FROM T1 WHERE ID=1"));
    EXPECT_EQ(Mdb_SelectCount(records), 1);
    EXPECT_EQ(taken(Mdb_GetColValue(records, u16(u"NAME"))), u"It's");
    EXPECT_EQ(taken(Mdb_GetColValue(records, 2)), u"ab");
    EXPECT_EQ(taken(Mdb_GetColName(records, 2)), u"MEMO1");
    EXPECT_EQ(taken(Mdb_GetColName(records, u16(u"memo1"))), u"MEMO1");

    _QueryDefPtr query = Mdb_AddQuery(db_, u16(u"Q1"), u16(u"SELECT NAME FROM T1 WHERE ID=2"));
    EXPECT_TRUE(query);
    EXPECT_FALSE(Mdb_AddQuery(db_, u16(u"Q1"), u16(u"SELECT * FROM T1")));  // name in use
    RecordsetPtr fromQuery = Mdb_Select(Mdb_LoadQuery(db_, u16(u"Q1")), 0);
    EXPECT_EQ(Mdb_SelectCount(fromQuery), 1);
    EXPECT_EQ(taken(Mdb_GetColValue(fromQuery, LONG(0))), u"(null)");  // NULL, not ""
    EXPECT_EQ(Mdb_SetColValue(fromQuery, LONG(0), LONG(1)), 0);        // a snapshot
    EXPECT_EQ(Mdb_ExecSql(db_, u16(u"SELEC * FROM T1")), 0);
    EXPECT_FALSE(Mdb_LoadQuery(db_, u16(u"Q2")));
    EXPECT_EQ(texts(capture).size(), 4u);
}

TEST_F(Database, WalkAndEdit) {
    ASSERT_EQ(Mdb_CreateTable(db_, u16(u"T"), u16(u"ID COUNTER, V LONG")), 0);
    for (const char16_t *values : {u"1, 10", u"2, 20", u"3, 30"}) Mdb_Insert(db_, u16(u"T"), u16(values));
    MessageBoxCapture capture;
    RecordsetPtr records = Mdb_Select(db_, 0, u16(u"T"));
    ASSERT_TRUE(records);
    EXPECT_EQ(Mdb_RecordNext(records), 1);
    EXPECT_EQ(Mdb_RecordNext(records), 1);
    EXPECT_EQ(Mdb_SelectCount(records), 3);  // back on the first row
    EXPECT_EQ(taken(Mdb_GetColValue(records, 1)), u"10");

    EXPECT_EQ(Mdb_RecordEdit(records), 1);
    EXPECT_EQ(Mdb_SetColValue(records, u16(u"V"), LONG(11)), 1);
    EXPECT_EQ(Mdb_RecordUpdate(records), 1);
    EXPECT_EQ(Mdb_RecordNext(records), 1);
    EXPECT_EQ(Mdb_RecordDelete(records), 1);
    EXPECT_EQ(Mdb_RecordNew(records), 1);
    EXPECT_EQ(Mdb_SetColValue(records, LONG(1), LONG(40)), 1);
    EXPECT_EQ(Mdb_RecordUpdate(records), 1);
    EXPECT_TRUE(capture.boxes().empty());

    EXPECT_EQ(Mdb_RecordUpdate(records), 0);  // no New or Edit pending
    EXPECT_EQ(Mdb_RecordNext(records), 1);    // onto the third row
    EXPECT_EQ(Mdb_RecordNext(records), 1);    // onto the added one
    EXPECT_EQ(Mdb_RecordNext(records), 1);    // past the end
    EXPECT_EQ(Mdb_RecordNext(records), 0);    // refused
    EXPECT_EQ(Mdb_SelectClose(records), 1);
    EXPECT_EQ(Mdb_SelectCount(records), -1);  // a closed recordset: reported
    EXPECT_EQ(texts(capture).size(), 3u);
    for (int (*call)(RecordsetPtr) : {Mdb_RecordNext, Mdb_RecordNew, Mdb_RecordEdit, Mdb_RecordDelete,
                                      Mdb_RecordUpdate, Mdb_SelectClose})
        EXPECT_EQ(call(nullptr), 0);
    EXPECT_EQ(Mdb_SelectCount(nullptr), -1);

    RecordsetPtr check = Mdb_Select(db_, 1, u16(u"V"), u16(u"T"), nullptr);
    std::u16string values;
    for (LONG i = 0, n = Mdb_SelectCount(check); i < n; ++i, Mdb_RecordNext(check))
        values += taken(Mdb_GetColValue(check, LONG(0))) + u" ";
    EXPECT_EQ(values, u"11 30 40 ");
    EXPECT_EQ(texts(capture).size(), 3u);
}

// The VARIANT each overload writes, seen in a column without a declared
// type, which keeps what it is given.
TEST_F(Database, ValueTypesOfTheWriters) {
    ASSERT_EQ(Mdb_CreateTable(db_, u16(u"V"), u16(u"A, B LONGBINARY")), 0);
    RecordsetPtr records = Mdb_Select(db_, 0, u16(u"V"));
    std::u16string text = u"テキスト";
    struct Row {
        const char *overload;
        int (*write)(RecordsetPtr, std::u16string &);
        const char16_t *stored;
    } rows[] = {
        {"long-BYTE", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, LONG(0), BYTE(255)); }, u"255"},
        {"long-WORD", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, LONG(0), WORD(65535)); }, u"-1"},
        {"long-DWORD", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, LONG(0), DWORD(4294967295u)); }, u"-1"},
        {"long-long", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, LONG(0), LONG(-7)); }, u"-7"},
        {"long-int64", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, LONG(0), int64_t(1) << 40); }, u"1099511627776"},
        {"long-LPTSTR", [](RecordsetPtr r, std::u16string &t) { return Mdb_SetColValue(r, LONG(0), mutable16(t)); }, u"テキスト"},
        {"name-BYTE", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"A"), BYTE(1)); }, u"1"},
        {"name-WORD", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"A"), WORD(32768)); }, u"-32768"},
        {"name-DWORD", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"a"), DWORD(2147483648u)); }, u"-2147483648"},
        {"name-long", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"A"), LONG(0)); }, u"0"},
        {"name-int64", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"A"), -(int64_t(1) << 40)); }, u"-1099511627776"},
        {"name-LPTSTR", [](RecordsetPtr r, std::u16string &) { return Mdb_SetColValue(r, u16(u"A"), static_cast<unsigned short *>(nullptr)); }, u""},
    };
    MessageBoxCapture capture;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.overload);
        ASSERT_EQ(Mdb_RecordNew(records), 1);
        EXPECT_EQ(row.write(records, text), 1);
        ASSERT_EQ(Mdb_RecordUpdate(records), 1);
        RecordsetPtr back = Mdb_Select(db_, 1, u16(u"SELECT A FROM V WHERE rowid = (SELECT max(rowid) FROM V)"));
        EXPECT_EQ(Mdb_SelectCount(back), 1);
        EXPECT_EQ(taken(Mdb_GetColValue(back, LONG(0))), row.stored);
    }

    // 20 bytes go in as two chunks, the second padded: 32 bytes; read back
    // as a block of 34, the last 14 zero. Null bytes append one zero byte.
    unsigned char bytes[20];
    for (int i = 0; i < 20; ++i) bytes[i] = static_cast<unsigned char>(0xA0 + i);
    ASSERT_EQ(Mdb_RecordNew(records), 1);
    EXPECT_EQ(Mdb_SetColValue(records, LONG(1), bytes, LONG(20)), 1);
    EXPECT_EQ(Mdb_SetColValue(records, u16(u"A"), static_cast<BYTE *>(nullptr), LONG(5)), 1);
    ASSERT_EQ(Mdb_RecordUpdate(records), 1);
    RecordsetPtr back = Mdb_Select(db_, 1, u16(u"SELECT B, A FROM V WHERE B IS NOT NULL"));
    ASSERT_EQ(Mdb_SelectCount(back), 1);
    std::unique_ptr<BYTE, decltype(&std::free)> block(Mdb_GetColValueChunk(back, u16(u"B")), &std::free);
    ASSERT_TRUE(block);
    EXPECT_EQ(std::vector<BYTE>(block.get(), block.get() + 34),
              [&] { std::vector<BYTE> want(bytes, bytes + 20); want.resize(34); return want; }());
    EXPECT_EQ(Mdb_GetColValueChunk(back, LONG(1)), nullptr);  // one byte only
    EXPECT_TRUE(capture.boxes().empty());

    // A null name: the long and text writers refuse it silently, the others
    // pass it on and the lookup fails.
    ASSERT_EQ(Mdb_RecordNew(records), 1);
    const unsigned short *none = nullptr;
    EXPECT_EQ(Mdb_SetColValue(records, none, LONG(1)), 0);
    EXPECT_EQ(Mdb_SetColValue(records, none, mutable16(text)), 0);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(Mdb_SetColValue(records, none, BYTE(1)), 0);
    EXPECT_EQ(Mdb_SetColValue(records, none, WORD(1)), 0);
    EXPECT_EQ(Mdb_SetColValue(records, none, DWORD(1)), 0);
    EXPECT_EQ(Mdb_SetColValue(records, none, int64_t(1)), 0);
    EXPECT_EQ(Mdb_SetColValue(records, none, bytes, LONG(1)), 0);
    EXPECT_EQ(texts(capture).size(), 5u);
    EXPECT_EQ(mdb_SetColValue(nullptr, bytes, 1), 0);
    EXPECT_EQ(mdb_GetColValue(nullptr), nullptr);
    EXPECT_EQ(mdb_GetColValueChunk(nullptr), nullptr);
}

}  // namespace
