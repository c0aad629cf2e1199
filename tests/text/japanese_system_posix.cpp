// The text tests expect a Japanese system, as Wine gives under
// LC_ALL=ja_JP.UTF-8: code page 932 and language 0411.
#include "support/win32.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(LCMapStringW(0x0411, LCMAP_SORTKEY, text, -1, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_EQ(LCMapStringW(0x0411, LCMAP_LOWERCASE, text, -1, out, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
