// The conversions' contracts: lengths, terminators, empty input, escapes,
// line ends and the hexadecimal form.
#include "text/text_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using namespace text_test;

TEST(Conversion, AnsiLengthsAndTerminators) {
    std::unique_ptr<char[]> empty(Str_FromUnicode(u(u"").c_str(), 0xFFFFFFFFu));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    std::unique_ptr<unsigned short[]> emptyWide(Str_ToUnicode("", 0xFFFFFFFFu));
    ASSERT_NE(emptyWide, nullptr);
    EXPECT_EQ(emptyWide[0], 0);

    // An explicit length converts exactly those units, nothing more.
    std::unique_ptr<char[]> two(Str_FromUnicode(u(u"日本語").c_str(), 2));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(std::string(two.get(), 4), "\x93\xfa\x96\x7b");
    std::unique_ptr<unsigned short[]> one(Str_ToUnicode("\x93\xfa\x96\x7b", 2));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one[0], 0x65E5);

    EXPECT_EQ(Str_FromUnicode(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(Str_ToUnicode(nullptr, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(Str_ToUnicode("abc", 0), nullptr);
}

TEST(Conversion, Utf8AndEucJpCounts) {
    int count = 99;
    EXPECT_EQ(Str_UnicodeToUtf8(u(u"").c_str(), count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Str_Utf8ToShiftJis(""), nullptr);

    std::unique_ptr<char[]> utf8(Str_UnicodeToUtf8(u(u"aé日\U0001F600").c_str(), count));
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(std::string(utf8.get(), static_cast<size_t>(count)), "a\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80");

    std::unique_ptr<char[]> euc(Str_UnicodeToEucJP(u(u"aあｱ").c_str(), count));
    ASSERT_NE(euc, nullptr);
    EXPECT_EQ(std::string(euc.get(), static_cast<size_t>(count)), "a\xa4\xa2\x8e\xb1");
    // Code page 51932 writes an IBM kanji at its NEC-selected row 89; Wine's
    // mlang.dll has no such row.
    euc.reset(Str_UnicodeToEucJP(u(u"纊").c_str(), count));
    if (!test::under_wine()) {
        ASSERT_NE(euc, nullptr);
        EXPECT_EQ(std::string(euc.get(), static_cast<size_t>(count)), "\xf9\xa1");
    }
}

std::string to_jis(const char *sjis) {
    std::vector<char> out(7 * std::strlen(sjis) + 1, '\x7f');
    Str_SJisToJis(sjis, out.data());
    return out.data();
}

std::string to_sjis(const char *jis) {
    std::vector<char> out(2 * std::strlen(jis) + 1, '\x7f');
    Str_JisToSJis(jis, out.data());
    return out.data();
}

TEST(Conversion, JisEscapesAndLineEnds) {
    // One double-byte character between letters; two share one escape pair.
    EXPECT_EQ(to_jis("a\x88\x9f" "b"), "a\x1b$B\x30\x21\x1b(Bb");
    EXPECT_EQ(to_jis("\x88\x9f\x88\x9f"), "\x1b$B\x30\x21\x30\x21\x1b(B");
    // Kana runs, a run change, CR LF to LF, a lone CR kept.
    EXPECT_EQ(to_jis("\xb1\xb2\x82\xa0\r\nx\r"), "\x1b(I\x31\x32\x1b(B\x1b$B\x24\x22\x1b(B\nx\r");
    // A lead byte at the end stays a plain byte.
    EXPECT_EQ(to_jis("a\x81"), "a\x81");
    // The worst case of the room rule: 7 bytes per isolated kana byte.
    EXPECT_EQ(to_jis("\xb1" "a\xb1").size(), 15u);
    EXPECT_EQ(to_jis(""), "");

    EXPECT_EQ(to_sjis("\nA\r\nB\n"), "\r\nA\r\nB\r\n");
    EXPECT_EQ(to_sjis("a\x1b$B\x30\x21\x1b(Bb"), "a\x88\x9f" "b");
    EXPECT_EQ(to_sjis("\x1b(I\x31\x60\x1b(B"), "\xb1\x60");
    // Unknown escapes are copied; a pair cut by the end stays one byte.
    EXPECT_EQ(to_sjis("\x1b$@x\x1b$B\x30"), "\x1b$@x\x30");
    EXPECT_EQ(to_sjis("\x1b$B\x30\x0a"), "\x81\xac");
}

// The text of a result the caller frees; null as "<null>".
u16string freed(unsigned short *result) {
    const u16string text = result ? u16string(result) : u(u"<null>");
    std::free(result);
    return text;
}

TEST(Conversion, HexadecimalForm) {
    EXPECT_TRUE(freed(Str_CharTo16(u(u"AB").c_str())) == u(u"00410042"));
    EXPECT_TRUE(freed(Str_16ToChar(u(u"00410042").c_str(), 4)) == u(u"AB"));
    EXPECT_TRUE(freed(Str_16ToChar(u(u"41424").c_str(), 4)) == u16string({0x4142, 0x0004}));
    // wcstol's reading of each group: blanks, sign, stop at a non-digit,
    // saturation at the 32-bit long's limits.
    unsigned short *odd = Str_16ToChar(u(u" -1zz9123456789").c_str(), 3);
    EXPECT_EQ(hex(std::string(reinterpret_cast<const char *>(odd), 12)), "ff ff 00 00 23 01 56 04 89 07 00 00 ");
    std::free(odd);
    EXPECT_EQ(freed(Str_16ToChar(u(u"123456789").c_str(), 9))[0], 0xFFFF);

    EXPECT_TRUE(freed(Str_CharTo16(u(u"").c_str())).empty());
    EXPECT_EQ(Str_16ToChar(u(u"41").c_str(), 0), nullptr);
    EXPECT_EQ(Str_16ToChar(u(u"41").c_str(), 32), nullptr);
}

TEST(Conversion, ConvStrModesAndFailure) {
    const u16string text = u(u"ｶﾞﾊﾟ abcあカ");
    EXPECT_TRUE(u16string(Str_ConvStr(text.c_str(), 0x08)) == u(u"ガパ　ａｂｃあカ"));
    EXPECT_TRUE(u16string(Str_ConvStr(u(u"ガパ　ＡＢ").c_str(), 0x04)) == u(u"ｶﾞﾊﾟ AB"));
    EXPECT_TRUE(u16string(Str_ConvStr(u(u"aBｶ").c_str(), 0x19)) == u(u"ａｂか"));
    EXPECT_TRUE(u16string(Str_ConvStr(u(u"aB").c_str(), 0x20)) == u(u"AB"));
    // Contradictory modes fail and leave the previous result.
    EXPECT_TRUE(u16string(Str_ConvStr(u(u"xyz").c_str(), 0x03)) == u(u"AB"));
    EXPECT_TRUE(u16string(Str_ConvStr(u(u"xyz").c_str(), 0x30)) == u(u"AB"));
    // Results are cut at 2047 units, the buffer's room before its terminator.
    for (size_t length : {2046u, 2047u, 2048u, 5000u})
        EXPECT_TRUE(u16string(Str_ConvStr(u16string(length, 'a').c_str(), 0x20)) ==
                    u16string(std::min<size_t>(length, 2047), 'A'))
            << length;
    // Sort keys, compared as bytes, order as a Japanese dictionary does: case
    // and width aside, Latin first, then kana by the gojuon, either script.
    std::string previous;
    int row = 0;
    for (const char16_t *word : {u"apple", u"Banana", u"cherry", u"ｄｏｇ", u"egg", u"あめ", u"イチゴ",
                                 u"うどん", u"ｻｸﾗ", u"すし"}) {
        const std::string key = reinterpret_cast<const char *>(Str_ConvStr(u(word).c_str(), 0x40));
        EXPECT_LT(previous, key) << "row " << row++;
        previous = key;
    }
}

}  // namespace
