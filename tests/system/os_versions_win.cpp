// The OS facts under two Windows versions, set the way winecfg sets them
// (HKCU\Software\Wine\AppDefaults\<program>\Version) for a copy of this
// test program, which reports what Os_init found. The versions are
// Windows' own (Wine answers them as the releases did).
#include <quorvel/system.h>

#include "support/scratch.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Run in the copy only: one line of what Os_init gathered.
TEST(OsFacts, DISABLED_Report) {
    Os_init();
    std::ofstream out(std::getenv("QUORVEL_OS_REPORT"));
    std::string csd;
    for (const unsigned short *c = Os_GetCSDVer(); *c; ++c) csd += static_cast<char>(*c);
    out << Os_GetPlatform() << ' ' << Os_GetMajorVer() << '.' << Os_GetMinorVer() << '.'
        << Os_GetBuildNum() << ' ' << int(g_csOsInf.wProductType) << ' ' << Os_GetKind() << " '"
        << csd << "'";
}

std::string report_under(const wchar_t *version, const test::Scratch &scratch) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path program = scratch.native(std::string("os_") + fs::path(version).string() + ".exe");
    fs::copy_file(self, program);
    fs::copy_file(fs::path(self).parent_path() / "Quorvel.dll", scratch.native("Quorvel.dll"));

    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program.filename().wstring();
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    const fs::path report = scratch.native("report.txt");
    SetEnvironmentVariableW(L"QUORVEL_OS_REPORT", report.c_str());
    std::wstring command = L"\"" + program.wstring() +
                           L"\" --gtest_filter=OsFacts.DISABLED_Report --gtest_also_run_disabled_tests";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    std::string line;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::getline(std::ifstream(report), line);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    return line;
}

TEST(OsFacts, KindUnderTwoWineVersions) {
    if (!test::under_wine()) GTEST_SKIP() << "the version is Wine's setting";
    const struct {
        const wchar_t *version;
        const char *expected;  // platform, version, product type, kind, service pack
    } rows[] = {
        {L"winxp64", "2 5.2.3790 1 8 'Service Pack 2'"},
        {L"win8", "2 6.2.9200 1 13 ''"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(fs::path(row.version).string());
        test::Scratch scratch;
        EXPECT_EQ(report_under(row.version, scratch), row.expected);
    }
}

}  // namespace
