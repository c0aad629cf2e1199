// The version resource: of the test modules (tests/data/version/module.rc
// states what they hold), of the library itself and of a module without one.
#include "system/version_module.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::u16string text(const unsigned short *buffer) {
    return reinterpret_cast<const char16_t *>(buffer);
}

TEST(VerReadVersion, TheTestModule) {
    for (const char *name : {"module32.dll", "module64.dll"}) {
        SCOPED_TRACE(name);
        std::memset(&g_VersionInfo, 0, sizeof g_VersionInfo);
        if (test::read_test_module(name) < 0) continue;  // not loadable by this build
        const tagVersionInformation &v = g_VersionInfo;
        EXPECT_EQ(text(v.szCompanyName), u"株式会社クオーベル");
        EXPECT_EQ(text(Ver_GetAppCopyright()), u"");  // the module has none
        // Cut to its field of 32 units.
        EXPECT_EQ(text(Ver_GetDescription()), u"試験用モジュール: a description longer ");
        EXPECT_EQ(text(v.szFileVersion), u"2.1.0.37");
        EXPECT_EQ(text(Ver_GetAppDllVersion()), u"2.1.0.37");
        EXPECT_EQ(text(v.szMajorVersion), u"2");
        EXPECT_EQ(text(v.szMinorVersion), u"1");
        EXPECT_EQ(text(Ver_GetAppInternalName()), u"module");
        // Spelt "OriginalFilename" in the resource: names match without
        // regard to case.
        EXPECT_EQ(text(v.szOriginalFileName), u"module.dll");
        EXPECT_EQ(text(Ver_GetAppProductName()), u"クオーベル試験");
        EXPECT_EQ(text(Ver_GetAppProductVersion()), u"2.1");
        EXPECT_EQ(v.dwTranslation, 0x04B00411u);
        EXPECT_EQ(v.fixedInfo.dwSignature, 0xFEEF04BDu);
    }
}

TEST(VerReadVersion, TheLibraryAndAModuleWithoutOne) {
    ASSERT_EQ(Ver_ReadVersion(test::library_module()), 1);
    EXPECT_EQ(text(Ver_GetAppProductName()), u"Quorvel");
    EXPECT_EQ(text(Ver_GetAppDllVersion()), text(g_VersionInfo.szFileVersion) + u".0");
    EXPECT_NE(text(Ver_GetAppModuleFileName()).find(u"uorvel"), std::u16string::npos);
    // The test program has no version resource: its path, and the entries
    // as they were.
    ASSERT_EQ(Ver_ReadVersion(nullptr), 0);
    // An ELF object whose .vs_version_info section lies far past its end
    // (found by fuzz_version_read): no block, read or pointed to.
    EXPECT_LE(test::read_test_module("section-past-end.o"), 0);
    EXPECT_NE(text(Ver_GetAppModuleFileName()).find(u"test_system"), std::u16string::npos);
    EXPECT_EQ(text(Ver_GetAppProductName()), u"Quorvel");
}

}  // namespace
