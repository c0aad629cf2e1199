// In-place editing, numbers with separators and CSV splitting.
#include "text/text_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <tuple>

namespace {

using namespace text_test;

u16string edited(const char16_t *text, unsigned short *(*edit)(unsigned short *, const unsigned short *),
                 const char16_t *set = nullptr) {
    u16string buffer = u(text);
    buffer.resize(buffer.size() * 2 + 1);
    const u16string chars = set ? u(set) : u16string();
    edit(&buffer[0], set ? chars.c_str() : nullptr);
    return buffer.c_str();
}

TEST(Edit, Trimming) {
    EXPECT_TRUE(edited(u"\t\u3000abc\r\n", Str_Trim) == u(u"abc"));
    EXPECT_TRUE(edited(u" \t\r\n", Str_TrimRight) == u(u""));
    EXPECT_TRUE(edited(u" \t\r\n", Str_TrimLeft) == u(u""));
    EXPECT_TRUE(edited(u"  a b  ", Str_TrimLeft) == u(u"a b  "));
    EXPECT_TRUE(edited(u"  a b  ", Str_TrimRight) == u(u"  a b"));
    EXPECT_TRUE(edited(u"xxaxbxx", Str_Trim, u"x") == u(u"axb"));
    EXPECT_TRUE(edited(u"", Str_Trim) == u(u""));
}

TEST(Edit, DeletingAndReplacingCharacters) {
    for (const auto &[text, expected] : {std::pair{u"a-b--c", u"abc"}, {u"--x-", u"x"}, {u"abc", u"abc"}}) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(text)));
        u16string buffer = u(text);
        EXPECT_EQ(test::str16(Str_DeleteChar(&buffer[0], '-')), std::u16string(expected));
    }
    u16string text = u(u"a.b.c");
    EXPECT_TRUE(u16string(Str_ReplaceChar(&text[0], '.', '/')) == u(u"a/b/c"));
}

// The buffer holds exactly the documented room (2 * length + 1 units) and no
// more, so that a read past the text shows up under AddressSanitizer.
u16string replaced(const char16_t *text, const char16_t *search, const char16_t *with) {
    const u16string source = u(text);
    std::unique_ptr<unsigned short[]> buffer(new unsigned short[2 * source.size() + 1]());
    std::copy(source.begin(), source.end(), buffer.get());
    return Str_ReplaceStr(buffer.get(), u(search).c_str(), u(with).c_str());
}

TEST(Edit, ReplacingStringsInTheRoomOfTwiceTheText) {
    EXPECT_TRUE(replaced(u"aaa", u"aa", u"b") == u(u"ba"));
    EXPECT_TRUE(replaced(u"abc", u"c", u"xyz") == u(u"abxyz"));
    EXPECT_TRUE(replaced(u"東京と京都", u"京", u"") == u(u"東と都"));
    // Longer results are cut at the room.
    EXPECT_TRUE(replaced(u"aaa", u"a", u"xyz") == u(u"xyzxyz"));
    // A search longer than what is left of the text, sharing its first
    // unit: no look past the text.
    EXPECT_TRUE(replaced(u"xa", u"abcdefgh", u"-") == u(u"xa"));
    EXPECT_TRUE(replaced(u"a", u"aaaaaaaaaaaaaaaa", u"") == u(u"a"));
    EXPECT_TRUE(replaced(u"abab", u"bab", u"X") == u(u"aX"));
    EXPECT_TRUE(replaced(u"ab", u"ab", u"") == u(u""));
}

std::u16string work() { return reinterpret_cast<const char16_t *>(g_szStrWork); }

TEST(Numbers, ThousandsSeparators) {
    const std::pair<int64_t, const char16_t *> integers[] = {
        {0, u"0"}, {999, u"999"}, {1000, u"1,000"}, {-1024, u"-1,024"}, {-999, u"-999"},
        {1234567, u"1,234,567"}, {INT64_MIN, u"-9,223,372,036,854,775,808"}};
    for (const auto &[value, text] : integers) {
        Str_AddCommaInt(value);
        EXPECT_EQ(work(), text) << value;
    }
    // 1.15 shows the truncation in binary floating point.
    const std::tuple<double, int, const char16_t *> reals[] = {
        {1234.5678, 3, u"1,234.567"}, {2.5, 0, u"2"},   {0.5, 2, u"0.50"},  {12345.0, 1, u"12,345.0"},
        {1.15, 2, u"1.14"},           {-0.25, 2, u"-0.25"}, {-1234.5, 1, u"-1,234.5"},
        // Past 64 bits and 18 decimals (python's int() and Decimal()), and no number.
        {9.21e18, 0, u"9,210,000,000,000,000,000"}, {-1e21, 1, u"-1,000,000,000,000,000,000,000.0"},
        {0.5, 20, u"0.50000000000000000000"}, {0.1, 24, u"0.100000000000000005551115"},
        {INFINITY, 2, u"∞"}, {-INFINITY, 0, u"-∞"}, {NAN, 1, u"NaN"}};
    for (const auto &[value, digits, text] : reals) {
        Str_AddCommaReal(value, digits);
        EXPECT_EQ(work(), text) << value << " " << digits;
    }
}

struct Fields {
    unsigned short *field[8];
    Fields() { Str_CSVAlloc(field, 8, 2); }
    ~Fields() { Str_CSVFree(field, 8); }
    std::u16string operator[](int i) const { return reinterpret_cast<const char16_t *>(field[i]); }
};

int split_line(const char16_t *line, Fields &fields, int maximum = 8, char16_t quote = '"') {
    u16string buffer = u(line);
    return Str_CSVAnalyze(&buffer[0], fields.field, maximum, ',', quote);
}

TEST(Csv, FieldCounts) {
    Fields f;
    ASSERT_EQ(split_line(u"x,'a,b','c''d',\n", f, 8, '\''), 4);
    EXPECT_EQ(f[0], u"x");
    EXPECT_EQ(f[1], u"a,b");
    EXPECT_EQ(f[2], u"c'd");
    EXPECT_EQ(f[3], u"");
    EXPECT_EQ(split_line(u"a,b,c", f, 2), 2);
    EXPECT_EQ(f[1], u"b");
    EXPECT_EQ(split_line(u"a,'bc", f, 8, '\''), 1);
    EXPECT_EQ(f[0], u"a");
    for (const char16_t *line : {u"a,'b'", u"a,'b'\n"}) {  // a quoted last field
        SCOPED_TRACE(testing::PrintToString(std::u16string(line)));
        ASSERT_EQ(split_line(line, f, 8, '\''), 2);
        EXPECT_EQ(f[1], u"b");
    }
    EXPECT_EQ(split_line(u"a,b,", f), 3);
    EXPECT_EQ(split_line(u",,", f), 3);
    EXPECT_EQ(split_line(u"\n", f), 0);
    EXPECT_EQ(split_line(u"", f), 0);
    // CR LF: the CR stays with the last field.
    ASSERT_EQ(split_line(u"\"q\"\"x\",a\"b\",longer than two units\r\n", f), 3);
    EXPECT_EQ(f[0], u"q\"x");
    EXPECT_EQ(f[1], u"a\"b\"");
    EXPECT_EQ(f[2], u"longer than two units\r");
    // A quote followed by other text stays part of the field.
    ASSERT_EQ(split_line(u"\"a\"b\",c", f), 2);
    EXPECT_EQ(f[0], u"a\"b");
    EXPECT_EQ(f[1], u"c");
    // 100,000 doubled quotes close up in one pass.
    const std::u16string quotes(200000, u'"');
    ASSERT_EQ(split_line((u"\"" + quotes + u"\"").c_str(), f), 1);
    EXPECT_EQ(f[0], quotes.substr(100000));
}

}  // namespace
