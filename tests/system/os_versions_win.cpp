// The OS facts under two Windows versions, set as winecfg sets them
// (HKCU\Software\Wine\AppDefaults\<program>\Version) for a copy of this
// test program, which reports what Os_init found. The expected facts are
// the releases' own.
#include <quorvel/system.h>

#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Run in the copy only.
TEST(OsFacts, DISABLED_Report) {
    Os_init();
    std::ofstream out(_wgetenv(L"QUORVEL_OS_REPORT"));
    out << Os_GetPlatform() << ' ' << Os_GetMajorVer() << '.' << Os_GetMinorVer() << '.'
        << Os_GetBuildNum() << ' ' << int(g_csOsInf.wProductType) << ' ' << Os_GetKind() << " '";
    for (const unsigned short *c = Os_GetCSDVer(); *c; ++c) out << char(*c);
    for (const unsigned short *c = Os_GetArchitecture(); *c; ++c) out << char(*c);
}

TEST(OsFacts, KindUnderTwoWineVersions) {
    if (!test::under_wine()) GTEST_SKIP() << "the version is Wine's setting";
    const struct {
        const wchar_t *version;
        const char *facts;  // platform, version, product type, kind, service pack, architecture
    } rows[] = {{L"winxp64", "2 5.2.3790 1 8 'Service Pack 2x64"}, {L"win8", "2 6.2.9200 1 13 'x64"}};
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.facts);
        test::Scratch scratch;
        const fs::path program = scratch.native("os_" + fs::path(row.version).string() + ".exe");
        fs::copy_file(self, program);
        fs::copy_file(fs::path(self).parent_path() / "Quorvel.dll", scratch.native("Quorvel.dll"));
        const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program.filename().wstring();
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, row.version,
                        static_cast<DWORD>((wcslen(row.version) + 1) * sizeof(wchar_t)));
        SetEnvironmentVariableW(L"QUORVEL_OS_REPORT", scratch.native("report").c_str());
        std::wstring command = program.wstring() + L" --gtest_filter=*Report --gtest_also_run_disabled_tests";
        STARTUPINFOW startup = {sizeof startup};
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                   nullptr, nullptr, &startup, &child));
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        std::string facts;
        std::getline(std::ifstream(scratch.native("report")), facts);
        EXPECT_EQ(facts, row.facts);
    }
}

}  // namespace
