#include <quorvel/system.h>

#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The kernel's release as /proc gives it, not a Windows release.
TEST(OsFacts, PosixReportsTheKernel) {
    std::string release;
    std::getline(std::ifstream("/proc/sys/kernel/osrelease"), release);
    unsigned major = 0, minor = 0, build = 0;
    ASSERT_EQ(std::sscanf(release.c_str(), "%u.%u.%u", &major, &minor, &build), 3);

    Os_init();
    EXPECT_EQ(Os_GetPlatform(), VER_PLATFORM_POSIX);
    EXPECT_EQ(Os_GetMajorVer(), static_cast<int>(major));
    EXPECT_EQ(Os_GetMinorVer(), static_cast<int>(minor));
    EXPECT_EQ(Os_GetBuildNum(), static_cast<int>(build));
    EXPECT_EQ(Os_GetKind(), 0u);
    EXPECT_EQ(g_wOsType, 0u);
    const auto *csd16 = reinterpret_cast<const char16_t *>(Os_GetCSDVer());
    const std::u16string csd(csd16);
    EXPECT_EQ(std::string(csd.begin(), csd.end()), "Linux " + release);
    EXPECT_EQ(static_cast<long>(g_csSysInf.dwPageSize), sysconf(_SC_PAGESIZE));

    // No windows: fades do nothing.
    Sm_CreateSmoothly(nullptr);
    Sm_ShowSmoothly(nullptr, 1, 10, 100);
    EXPECT_EQ(Sm_SetTransparent(nullptr, 0, 128, 2), 0);  // LWA_ALPHA
}

}  // namespace
