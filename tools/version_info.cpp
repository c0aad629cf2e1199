// quorvel version-info FILE: the version resource of a module file (a PE
// DLL or EXE; on POSIX also libquorvel.so, which carries the same block),
// as the library reads it into g_VersionInfo. Exit status 0 when the file
// has a version resource, 1 when it has none or cannot be read, 2 usage.
#include "command.h"
#include "host_path.h"

#include <quorvel/version.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include "winapi/winapi.h"
#endif

namespace {

int version_info(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("version-info", stdout);
    if (argc != 2) return cli::show_usage("version-info", stderr);
    const std::u16string path = cli::library_path(argv[1]);
    const WCHAR *name = as_wide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(name, &ignored);
    unsigned char *block = size ? static_cast<unsigned char *>(std::malloc(size)) : nullptr;
    void *fixed = nullptr;
    UINT length = 0;
    static const WCHAR kRoot[] = {'\\', 0};
    if (!block || !GetFileVersionInfoW(name, 0, size, block) ||
        !VerQueryValueW(block, kRoot, &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        std::fprintf(stderr, "quorvel: %s: no version resource%s\n", argv[1],
                     cli::last_error_reason().c_str());
        std::free(block);
        return 1;
    }
    std::memcpy(&g_VersionInfo.fixedInfo, fixed, sizeof(VS_FIXEDFILEINFO));
    ver_GetFixedFileInfo();
    ver_GetDynamicInfo(block);
    std::free(block);
    const tagVersionInformation &v = g_VersionInfo;
    std::printf("Version\t%s\n", cli::utf8(v.szDllVersion).c_str());
    std::printf("Translation\t%04x%04x\n", static_cast<unsigned>(v.dwTranslation & 0xFFFF),
                static_cast<unsigned>(v.dwTranslation >> 16));
    const struct {
        const char *name;
        const unsigned short *value;
    } rows[] = {{"CompanyName", v.szCompanyName},       {"LegalCopyright", v.szLegalCopyright},
                {"FileDescription", v.szFileDescription}, {"FileVersion", v.szFileVersion},
                {"InternalName", v.szInternalName},     {"OriginalFilename", v.szOriginalFileName},
                {"ProductName", v.szProductName},       {"ProductVersion", v.szProductVersion}};
    for (const auto &row : rows) std::printf("%s\t%s\n", row.name, cli::utf8(row.value).c_str());
    return 0;
}

}  // namespace

QUORVEL_COMMAND("version-info",
                "FILE  the fixed file version and string entries of a DLL or EXE's version resource",
                version_info);
