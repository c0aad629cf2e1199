// The version resource of a module, read once into g_VersionInfo: the fixed
// version numbers and the usual string entries of the first translation.
#include <quorvel/version.h>

#include "platform/win32.h"

#include <cstdlib>
#include <cstring>
#include <string>

tagVersionInformation g_VersionInfo;

namespace {

unsigned short g_lookup[QUORVEL_MAX_TEXT];

// Copies at most `length` units of `text`, up to its terminator, into a
// field of N units, cut to fit and terminated.
template <size_t N>
void set_field(unsigned short (&field)[N], const unsigned short *text, size_t length = N) {
    size_t i = 0;
    for (; i + 1 < N && i < length && text[i]; ++i) field[i] = text[i];
    field[i] = 0;
}

template <size_t N>
void set_number_field(unsigned short (&field)[N], const std::string &digits) {
    size_t i = 0;
    for (; i + 1 < N && i < digits.size(); ++i) field[i] = static_cast<unsigned char>(digits[i]);
    field[i] = 0;
}

}  // namespace

int Ver_ReadVersion(HINSTANCE module) {
    WCHAR path[260];
    const DWORD n = GetModuleFileNameW(module, path, 260);
    if (n == 0) return 0;
    set_field(g_VersionInfo.szModuleFileName, as_exported(path));
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return 0;
    unsigned char *block = static_cast<unsigned char *>(std::malloc(size));
    if (!block) return 0;
    void *fixed = nullptr;
    UINT length = 0;
    const bool read = GetFileVersionInfoW(path, 0, size, block) &&
                      VerQueryValueW(block, as_wide(u"\\"), &fixed, &length) && fixed &&
                      length >= sizeof(VS_FIXEDFILEINFO);
    if (read) {
        std::memcpy(&g_VersionInfo.fixedInfo, fixed, sizeof(VS_FIXEDFILEINFO));
        ver_GetDynamicInfo(block);
        ver_GetFixedFileInfo();
    }
    std::free(block);
    return read ? 1 : 0;
}

int ver_GetFixedFileInfo() {
    const DWORD ms = g_VersionInfo.fixedInfo.dwFileVersionMS;
    const DWORD ls = g_VersionInfo.fixedInfo.dwFileVersionLS;
    set_number_field(g_VersionInfo.szMajorVersion, std::to_string(ms >> 16));
    set_number_field(g_VersionInfo.szMinorVersion, std::to_string(ms & 0xFFFF));
    set_number_field(g_VersionInfo.szDllVersion,
                     std::to_string(ms >> 16) + '.' + std::to_string(ms & 0xFFFF) + '.' +
                         std::to_string(ls >> 16) + '.' + std::to_string(ls & 0xFFFF));
    return 1;
}

int ver_GetDynamicInfo(unsigned char *block) {
    void *translation = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block, as_wide(u"\\VarFileInfo\\Translation"), &translation, &length) &&
        translation && length >= 4)
        std::memcpy(&g_VersionInfo.dwTranslation, translation, 4);
    tagVersionInformation &v = g_VersionInfo;
    auto entry = [block](const char16_t *name) {
        return ver_GetDynamicInfo(block, as_exported(name));
    };
    set_field(v.szCompanyName, entry(u"CompanyName"));
    set_field(v.szLegalCopyright, entry(u"LegalCopyRight"));
    set_field(v.szProductName, entry(u"ProductName"));
    set_field(v.szProductVersion, entry(u"ProductVersion"));
    set_field(v.szOriginalFileName, entry(u"OriginalFileName"));
    set_field(v.szFileDescription, entry(u"FileDescription"));
    set_field(v.szFileVersion, entry(u"FileVersion"));
    set_field(v.szInternalName, entry(u"InternalName"));
    return 1;
}

unsigned short *ver_GetDynamicInfo(unsigned char *block, const unsigned short *entry) {
    // \StringFileInfo\<language><code page>\<entry>, in lower-case hex.
    static const char kHex[] = "0123456789abcdef";
    std::u16string path = u"\\StringFileInfo\\";
    const DWORD language = g_VersionInfo.dwTranslation & 0xFFFF;
    const DWORD code_page = g_VersionInfo.dwTranslation >> 16;
    for (const DWORD word : {language, code_page})
        for (int shift = 12; shift >= 0; shift -= 4) path += kHex[(word >> shift) & 0xF];
    path += u'\\';
    for (const unsigned short *c = entry; c && *c; ++c) path += static_cast<char16_t>(*c);
    g_lookup[0] = 0;
    void *text = nullptr;
    UINT length = 0;
    if (block && VerQueryValueW(block, as_wide(path.c_str()), &text, &length) && text)
        set_field(g_lookup, static_cast<const unsigned short *>(text), length);
    return g_lookup;
}

unsigned short *Ver_GetAppCopyright() { return g_VersionInfo.szLegalCopyright; }
unsigned short *Ver_GetDescription() { return g_VersionInfo.szFileDescription; }
unsigned short *Ver_GetAppInternalName() { return g_VersionInfo.szInternalName; }
unsigned short *Ver_GetAppProductName() { return g_VersionInfo.szProductName; }
unsigned short *Ver_GetAppProductVersion() { return g_VersionInfo.szProductVersion; }
unsigned short *Ver_GetAppDllVersion() { return g_VersionInfo.szDllVersion; }
unsigned short *Ver_GetAppModuleFileName() { return g_VersionInfo.szModuleFileName; }
