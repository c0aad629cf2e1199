// Conversions over the corpus of tests/data/text, against the encodings
// that iconv and Python's codecs give (scripts/gen-text-corpus.py). The
// same expectations hold natively and under Wine, so the two builds agree
// byte for byte wherever both are checked.
//
// Left to the rows of conversion_test, where no tool here agrees with
// Windows: EUC-JP of the NEC-selected IBM rows (0xED, 0xEE) and the IBM
// rows (0xFA..0xFC), which code page 51932 writes at JIS rows 0x79..0x7C
// where eucJP-ms uses JIS X 0212; JIS of NEC row 13 and of those rows,
// which ISO-2022-JP lacks. Half-width katakana in JIS are checked against
// Python's iso2022_jp_ext (ESC ( I); characters 932 cannot hold become '?'
// where iconv refuses the text.
//
// Wine's mlang.dll converts 51932 as code page 20932 does (JIS X 0212 in
// two bytes, no NEC or IBM rows, U+FF5E and the other Microsoft variants of
// row 1 unmapped), so under Wine EUC-JP is checked only on the rows where
// it agrees with Windows.
#include "text/text_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using namespace text_test;

std::string shift_jis_of(const u16string &text) {
    std::unique_ptr<char[]> bytes(Str_FromUnicode(text.c_str(), 0xFFFFFFFFu));
    return bytes ? std::string(bytes.get()) : std::string("<null>");
}

bool starts_with(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }

TEST(TextCorpus, ShiftJisBothWaysAgreesWithIconv) {
    auto table = expected();
    int checked = 0;
    for (const CorpusLine &line : corpus()) {
        if (line.name == "unmappable") continue;
        SCOPED_TRACE(line.name);
        auto want = table.find({line.name, "cp932"});
        ASSERT_NE(want, table.end()) << line.name;
        const std::string sjis = shift_jis_of(line.text);
        EXPECT_EQ(hex(sjis, 4096), hex(want->second.second, 4096)) << line.name;

        std::unique_ptr<char[]> viaUtf8(Str_Utf8ToShiftJis(line.utf8.c_str()));
        if (line.utf8.empty()) {
            EXPECT_EQ(viaUtf8, nullptr);
        } else {
            ASSERT_NE(viaUtf8, nullptr) << line.name;
            EXPECT_EQ(std::string(viaUtf8.get()), sjis) << line.name;
        }

        std::unique_ptr<unsigned short[]> back(Str_ToUnicode(sjis.c_str(), 0xFFFFFFFFu));
        ASSERT_NE(back, nullptr) << line.name;
        EXPECT_TRUE(u16string(back.get()) == line.text) << line.name;
        ++checked;
    }
    EXPECT_EQ(checked, 52);
}

TEST(TextCorpus, JisBothWaysAgreesWithIconv) {
    auto table = expected();
    int checked = 0;
    for (const CorpusLine &line : corpus()) {
        auto want = table.find({line.name, "jis"});
        if (want == table.end()) continue;
        const std::string sjis = shift_jis_of(line.text);
        std::vector<char> jis(7 * sjis.size() + 1);
        Str_SJisToJis(sjis.c_str(), jis.data());
        EXPECT_EQ(hex(jis.data(), 4096), hex(want->second.second, 4096))
            << line.name << " (" << want->second.first << ")";

        std::vector<char> again(2 * std::strlen(jis.data()) + 1);
        Str_JisToSJis(jis.data(), again.data());
        EXPECT_EQ(hex(again.data(), 4096), hex(sjis, 4096)) << line.name;
        ++checked;
    }
    EXPECT_EQ(checked, 44);
}

TEST(TextCorpus, EucJpAgreesWithIconv) {
    auto table = expected();
    int checked = 0;
    for (const CorpusLine &line : corpus()) {
        if (starts_with(line.name, "necibm") || starts_with(line.name, "ibm")) continue;
        // Rows where Wine's mlang.dll (as code page 20932) is not Windows.
        const bool wineDiffers = line.name == "jis0208-81" || line.name == "nec13" ||
                                 line.name == "unmappable" || line.name == "mixed-3";
        if (wineDiffers && test::under_wine()) continue;
        auto want = table.find({line.name, "eucjp"});
        if (want == table.end()) continue;
        int count = -1;
        std::unique_ptr<char[]> euc(Str_UnicodeToEucJP(line.text.c_str(), count));
        ASSERT_NE(euc, nullptr) << line.name;
        EXPECT_EQ(hex(std::string(euc.get(), static_cast<size_t>(count)), 4096),
                  hex(want->second.second, 4096))
            << line.name;
        ++checked;
    }
    EXPECT_EQ(checked, test::under_wine() ? 44 : 47);
}

TEST(TextCorpus, UnmappableCharactersBecomeQuestionMarks) {
    for (const CorpusLine &line : corpus()) {
        if (line.name != "unmappable") continue;
        EXPECT_EQ(shift_jis_of(line.text), "a?b?c?d??e");
        std::unique_ptr<char[]> viaUtf8(Str_Utf8ToShiftJis(line.utf8.c_str()));
        ASSERT_NE(viaUtf8, nullptr);
        EXPECT_EQ(std::string(viaUtf8.get()), "a?b?c?d??e");
        int count = 0;
        std::unique_ptr<char[]> utf8(Str_UnicodeToUtf8(line.text.c_str(), count));
        ASSERT_NE(utf8, nullptr);
        EXPECT_EQ(std::string(utf8.get(), static_cast<size_t>(count)), line.utf8);
        return;
    }
    FAIL() << "no unmappable line in the corpus";
}

TEST(TextCorpus, ConvStrWidthAndKanaAgreeWithTheUnicodeForms) {
    std::map<std::string, u16string> texts;
    for (const CorpusLine &line : corpus()) texts[line.name] = line.text;
    int checked = 0;
    for (const std::string &row : split(read_file("convstr.txt"), '\n')) {
        if (row.empty()) continue;
        auto fields = split(row, '\t');
        const int mode = std::stoi(fields[1]);
        const auto *got = reinterpret_cast<const char16_t *>(
            Str_ConvStr(texts[fields[0]].c_str(), static_cast<unsigned char>(mode)));
        EXPECT_EQ(std::u16string(got), test::utf16(fields[2])) << fields[0] << " mode " << mode;
        ++checked;
    }
    EXPECT_EQ(checked, 48);
}

}  // namespace
