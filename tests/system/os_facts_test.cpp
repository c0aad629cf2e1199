#include <quorvel/system.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

namespace {

using test::str16;

// Runs first: the globals are zero until Os_init.
TEST(OsFacts, ZeroBeforeInit) {
    EXPECT_EQ(Os_GetKind(), 0u);
    EXPECT_EQ(Os_GetMajorVer(), 0);
    EXPECT_EQ(str16(Os_GetArchitecture()), u"x86");
}

TEST(OsFacts, GettersReadWhatInitGathered) {
    Os_init();
    EXPECT_EQ(g_csOsInf.dwOSVersionInfoSize, 284u);
    EXPECT_EQ(Os_GetKind(), g_wOsKind);
    EXPECT_EQ(Os_GetPlatform(), static_cast<int>(g_csOsInf.dwPlatformId));
    EXPECT_EQ(Os_GetMajorVer(), static_cast<int>(g_csOsInf.dwMajorVersion));
    EXPECT_EQ(Os_GetMinorVer(), static_cast<int>(g_csOsInf.dwMinorVersion));
    EXPECT_EQ(Os_GetBuildNum(), static_cast<int>(g_csOsInf.dwBuildNumber));
    EXPECT_EQ(Os_GetCSDVer(), reinterpret_cast<const unsigned short *>(g_csOsInf.szCSDVersion));
    // This machine is x86-64: a 32-bit build reports it too.
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(str16(Os_GetArchitecture()), u"x64");
#endif
}

}  // namespace
