#include <quorvel/frame.h>

#include "support/win32.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

UINT registered(const char16_t *name) {
    return RegisterClipboardFormatW(reinterpret_cast<LPCWSTR>(name));
}

TEST(Module, ClipboardFormatsHoldTheRegisteredIdentifiers) {
    const uint32_t formats[] = {CF_HTML, CF_URL, CF_URLLINK, CF_URLTEXT, CF_FILE, CF_IDLIST};
    const char16_t *names[] = {u"HTML Format", u"UniformResourceLocatorW",
                               u"UniformResourceLocator", u"FileGroupDescriptorW",
                               u"FileNameW", u"Shell IDList Array"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_GE(formats[i], 0xC000u) << i;
        EXPECT_EQ(formats[i], registered(names[i])) << i;
    }
    EXPECT_EQ(CF_HTML, registered(u"html format"));  // names compare without case
}

TEST(Module, FolderBuffersStartEmpty) {
    EXPECT_EQ(g_szDesktop[0], 0);
    EXPECT_EQ(g_szMyDocument[0], 0);
    EXPECT_EQ(g_szWrkDir[0], 0);
}

TEST(Module, LoadingThreadIsInASingleThreadedApartment) {
    // The library initialised COM for this (the loading) thread as STA.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
}

}  // namespace
