// The text tests expect a Japanese system, as Wine gives under
// LC_ALL=ja_JP.UTF-8: code page 932 and language 0411.
#include "support/bytes.h"
#include "support/win32.h"
#include "text/text_support.h"

#include <quorvel/text.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

class JapaneseSystem : public ::testing::Environment {
public:
    void SetUp() override { Quorvel_SetAnsiCodePage(932); }
    void TearDown() override { Quorvel_SetAnsiCodePage(0); }
};

const auto *const registered = ::testing::AddGlobalTestEnvironment(new JapaneseSystem);

TEST(PosixCodePage, TheOverrideAndItsLimits) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_EQ(GetSystemDefaultLCID(), 0x0411u);
    EXPECT_FALSE(Quorvel_SetAnsiCodePage(437));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(Quorvel_SetAnsiCodePage(1252));
    EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
    EXPECT_FALSE(IsDBCSLeadByte(0x81));
    ASSERT_TRUE(Quorvel_SetAnsiCodePage(932));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
}

TEST(PosixCodePage, LCMapStringRefusesWhatItDoesNotOffer) {
    const WCHAR text[] = {'a', 0};
    WCHAR out[8];
    EXPECT_EQ(LCMapStringW(0x0411, LCMAP_SORTKEY | LCMAP_LOWERCASE, text, -1, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_EQ(LCMapStringW(0x0411, LCMAP_LOWERCASE, text, -1, out, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

// Each maximal ill-formed subsequence becomes one U+FFFD, as Python decodes
// the same bytes (tests/data/text/malformed-utf8.tsv).
TEST(PosixCodePage, MalformedUtf8DecodesAsPythonDoes) {
    std::vector<std::pair<std::string, std::vector<unsigned short>>> cases;
    for (const std::string &line : text_test::split(text_test::read_file("malformed-utf8.tsv"), '\n')) {
        if (line.empty() || line[0] == '#') continue;
        const auto fields = text_test::split(line, '\t');
        std::vector<unsigned short> units;
        for (const std::string &unit : text_test::split(fields.at(1), ' ')) units.push_back(std::stoi(unit, nullptr, 16));
        cases.emplace_back(fields.at(0), units);
    }
    ASSERT_EQ(cases.size(), 24u);
    // All of them at once, each after an 'x', as one text long enough for
    // the block-wise loops.
    std::string all;
    std::vector<WCHAR> allWant;
    for (int round = 0; round < 8; ++round)
        for (const auto &[hex, want] : cases) {
            all += 'x' + test::from_hex(hex.c_str());
            allWant.push_back('x');
            allWant.insert(allWant.end(), want.begin(), want.end());
        }
    std::vector<WCHAR> allGot(allWant.size());
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, all.data(), static_cast<int>(all.size()), allGot.data(),
                                  static_cast<int>(allGot.size())),
              static_cast<int>(allWant.size()));
    EXPECT_TRUE(allGot == allWant);
    for (const auto &[hex, want] : cases) {
        SCOPED_TRACE(hex);
        const std::string bytes = test::from_hex(hex.c_str());
        const int n = static_cast<int>(bytes.size()), units = static_cast<int>(want.size());
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, nullptr, 0), units) << hex;
        std::vector<WCHAR> out(want.size());
        ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, out.data(), units), units) << hex;
        EXPECT_TRUE(out == want) << hex;
        // One unit short of the room needed: nothing is returned.
        if (units > 1) {
            EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), n, out.data(), units - 1), 0) << hex;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        }
        // And through the library, with UTF-8 as the ANSI code page.
        ASSERT_TRUE(Quorvel_SetAnsiCodePage(CP_UTF8));
        std::unique_ptr<unsigned short[]> wide(Str_ToUnicode(bytes.data(), static_cast<uint32_t>(n)));
        ASSERT_TRUE(Quorvel_SetAnsiCodePage(932));
        ASSERT_NE(wide, nullptr) << hex;
        EXPECT_TRUE(std::vector<unsigned short>(wide.get(), wide.get() + units) == want) << hex;
    }
}

TEST(PosixCodePage, ConversionsStopAtTheRoomGiven) {
    const WCHAR text[] = {0x65E5, 'a', 0x672C, 0};  // 日a本 -> 93 fa 61 96 7b
    char bytes[8] = {};
    EXPECT_EQ(WideCharToMultiByte(932, 0, text, 3, nullptr, 0, nullptr, nullptr), 5);
    EXPECT_EQ(WideCharToMultiByte(932, 0, text, 3, bytes, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(WideCharToMultiByte(932, 0, text, 3, bytes, 5, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(bytes, 5), "\x93\xfa\x61\x96\x7b");
    WCHAR wide[4] = {};
    EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, 5, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(932, 0, bytes, 5, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(MultiByteToWideChar(932, 0, bytes, 5, wide, 3), 3);
    EXPECT_TRUE(std::equal(wide, wide + 3, text));
}

}  // namespace
