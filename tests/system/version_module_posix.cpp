// POSIX: the test modules are PE files read from disk by the platform's
// version calls, as Ver_ReadVersion reads a loaded module's file.
#include "system/version_module.h"

#include "support/data_paths.h"
#include "support/bytes.h"
#include "support/win32.h"

#include <cstring>
#include <dlfcn.h>
#include <vector>

namespace test {

int read_test_module(const std::string &name) {
    const std::u16string path = utf16(QUORVEL_TEST_DATA "/version/" + name);
    const WCHAR *file = reinterpret_cast<const WCHAR *>(path.c_str());
    DWORD ignored;
    std::vector<unsigned char> block(GetFileVersionInfoSizeW(file, &ignored));
    void *fixed = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoW(file, 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), reinterpret_cast<const WCHAR *>(u"\\"), &fixed, &length))
        return 0;
    std::memcpy(&g_VersionInfo.fixedInfo, fixed, sizeof g_VersionInfo.fixedInfo);
    ver_GetDynamicInfo(block.data());
    return ver_GetFixedFileInfo();
}

HINSTANCE library_module() {
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&Ver_ReadVersion), &info);
    return static_cast<HINSTANCE>(info.dli_fbase);
}

}  // namespace test
