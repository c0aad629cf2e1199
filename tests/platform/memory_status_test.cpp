#include "support/win32.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

TEST(MemoryStatus, DescribesTheMachine) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 64ull << 20);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    EXPECT_GE(status.ullTotalPageFile, status.ullTotalPhys);
    EXPECT_LE(status.ullAvailPageFile, status.ullTotalPageFile);
    EXPECT_LE(status.ullAvailVirtual, status.ullTotalVirtual);
    EXPECT_LE(status.dwMemoryLoad, 100u);

    if (!test::kWindowsBuild) {  // the same total as the kernel reports
        std::ifstream meminfo("/proc/meminfo");
        std::string key;
        unsigned long long kib = 0;
        ASSERT_TRUE(meminfo >> key >> kib);
        ASSERT_EQ(key, "MemTotal:");
        EXPECT_EQ(status.ullTotalPhys, kib * 1024);
    }

    MEMORYSTATUSEX wrong{};
    wrong.dwLength = sizeof wrong - 8;
    SetLastError(0);
    EXPECT_FALSE(GlobalMemoryStatusEx(&wrong));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
