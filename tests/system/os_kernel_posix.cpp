#include <quorvel/system.h>

#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

// The kernel's release as /proc gives it, not a Windows release; no
// windows to fade.
TEST(OsFacts, PosixReportsTheKernel) {
    std::string release;
    std::getline(std::ifstream("/proc/sys/kernel/osrelease"), release);
    int major = 0, minor = 0, build = 0;
    ASSERT_EQ(std::sscanf(release.c_str(), "%d.%d.%d", &major, &minor, &build), 3);

    Os_init();
    EXPECT_EQ(Os_GetPlatform(), VER_PLATFORM_POSIX);
    EXPECT_EQ((std::vector<int>{Os_GetMajorVer(), Os_GetMinorVer(), Os_GetBuildNum()}),
              (std::vector<int>{major, minor, build}));
    EXPECT_EQ(Os_GetKind(), 0u);
    EXPECT_EQ(g_wOsType, 0u);
    const std::u16string csd(reinterpret_cast<const char16_t *>(Os_GetCSDVer()));
    EXPECT_EQ(std::string(csd.begin(), csd.end()), "Linux " + release);
    EXPECT_EQ(static_cast<long>(g_csSysInf.dwPageSize), sysconf(_SC_PAGESIZE));

    Sm_CreateSmoothly(nullptr);
    Sm_ShowSmoothly(nullptr, 1, 10, 100);
    EXPECT_EQ(Sm_SetTransparent(nullptr, 0, 128, 2), 0);  // LWA_ALPHA
}
