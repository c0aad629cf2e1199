// Writes checked against the column, by SQL and by the column writers, and
// values read back as text. Errors are the engine's documented numbers
// (3349 numeric field overflow, 3421 data type conversion error, 3163 the
// field is too small); texts are what the system's VariantChangeType gives
// on a Japanese system (short date yyyy/MM/dd, time H:mm:ss; a float with
// 7 significant digits).
#include <quorvel/database.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using test::u16;

enum class By { Sql, Text, Long, Bytes };

struct Row {
    const char16_t *type;
    By by;
    const char16_t *value;  // an SQL literal, a text, a number or bytes
    int error;              // the engine error of the write, 0 for none
    const char16_t *read;   // the value read back as text ("(null)": none)
    bool wine = false;      // Wine's Japanese locale writes this date unpadded
};

const Row kRows[] = {
    {u"SHORT", By::Sql, u"-32768", 0, u"-32768"}, {u"SHORT", By::Sql, u"32767", 0, u"32767"},
    {u"SHORT", By::Sql, u"32768", 3349, u"(null)"}, {u"SHORT", By::Sql, u"-32769", 3349, u"(null)"},
    {u"SHORT", By::Long, u"-32768", 0, u"-32768"}, {u"SHORT", By::Long, u"70000", 3349, u"(null)"},
    {u"SHORT", By::Long, u"-32769", 3349, u"(null)"}, {u"BYTE", By::Sql, u"300", 3349, u"(null)"},
    {u"BYTE", By::Sql, u"-1", 3349, u"(null)"}, {u"BYTE", By::Sql, u"'255'", 0, u"255"},
    {u"BYTE", By::Long, u"300", 3349, u"(null)"}, {u"LONG", By::Sql, u"'abc'", 3421, u"(null)"},
    {u"LONG", By::Sql, u"2147483648", 3349, u"(null)"}, {u"LONG", By::Text, u"abc", 3421, u"(null)"},
    {u"TEXT(10)", By::Sql, u"'0123456789ABCDEF'", 3163, u"(null)"},
    {u"TEXT(10)", By::Text, u"0123456789ABCDEF", 3163, u"(null)"},
    {u"TEXT(10)", By::Sql, u"'0123456789'", 0, u"0123456789"},
    {u"CURRENCY", By::Sql, u"922337203685477", 0, u"922337203685477"}, {u"CURRENCY", By::Sql, u"1E16", 3349, u"(null)"},
    {u"CURRENCY", By::Text, u"1.2345", 0, u"1.2345"},
    {u"CURRENCY", By::Text, u"-922337203685477", 0, u"-922337203685477"},
    {u"DATETIME", By::Sql, u"'2024-01-15'", 0, u"2024/01/15", true},
    {u"DATETIME", By::Sql, u"'not a date'", 3421, u"(null)"},
    {u"DATETIME", By::Text, u"2024/01/15", 0, u"2024/01/15", true},
    {u"DATETIME", By::Text, u"2024/01/15 9:05:00", 0, u"2024/01/15 9:05:00", true},
    {u"DATETIME", By::Text, u"10:30:00", 0, u"10:30:00"}, {u"DATETIME", By::Text, u"2024/02/30", 3421, u"(null)"},
    {u"YESNO", By::Text, u"True", 0, u"-1"}, {u"YESNO", By::Text, u"False", 0, u"0"},
    {u"SINGLE", By::Text, u"0.1", 0, u"0.1"}, {u"DOUBLE", By::Text, u"0.1", 0, u"0.1"},
    {u"LONGBINARY", By::Bytes, u"AB", 0, u"AB"},
};

TEST(DatabaseColumnValues, WritesCheckedAndReadBack) {
    test::Scratch scratch;
    DatabasePtr db = Mdb_CreateDatabase(u16(scratch.path("v.mdb")), nullptr);
    ASSERT_TRUE(db);
    int n = 0;
    for (const Row &row : kRows) {
        const std::string name = "T" + std::to_string(n++);
        const std::u16string table(name.begin(), name.end()), value = row.value;
        SCOPED_TRACE(name);
        ASSERT_EQ(Mdb_CreateTable(db, u16(table), u16(u"C " + std::u16string(row.type))), 0);
        test::MessageBoxCapture capture;
        if (row.by == By::Sql) {
            Mdb_Insert(db, u16(table), u16(value));
        } else {
            RecordsetPtr records = Mdb_Select(db, 0, u16(table));
            ASSERT_EQ(Mdb_RecordNew(records), 1);
            std::u16string text = value;
            const int set = row.by == By::Text ? Mdb_SetColValue(records, LONG(0), reinterpret_cast<unsigned short *>(&text[0]))
                            : row.by == By::Long ? Mdb_SetColValue(records, LONG(0), LONG(std::stol(std::string(text.begin(), text.end()))))
                                                 : Mdb_SetColValue(records, LONG(0), reinterpret_cast<BYTE *>(&text[0]),
                                                                   LONG(text.size() * 2));
            if (set) Mdb_RecordUpdate(records);
        }
        EXPECT_TRUE(row.error ? test::one_box_with(capture, row.error) : capture.boxes().empty());
        RecordsetPtr back = Mdb_Select(db, 1, u16(table));
        unsigned short *text = Mdb_SelectCount(back) == 1 ? Mdb_GetColValue(back, LONG(0)) : nullptr;
        EXPECT_EQ(text ? test::str16(text) : u"(null)",
                  row.wine && test::under_wine() ? test::wine_short_date(std::u16string(row.read)) : row.read);
        std::free(text);
    }
    Mdb_CloseDatabase(db);
}

}  // namespace
