// Loading and unloading a second copy of the library on a thread of our
// own, to watch its load and unload steps.
#include <quorvel/error.h>

#include "support/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
// A second copy of the library defines the same exported globals again,
// which AddressSanitizer would report as a one-definition-rule violation.
extern "C" const char *__asan_default_options() { return "detect_odr_violation=0"; }
#endif

namespace {

#ifdef _WIN32
std::string library_path() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&Err_Message), &module);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}
void *load(const std::string &path) { return LoadLibraryA(path.c_str()); }
bool unload(void *library) { return FreeLibrary(static_cast<HMODULE>(library)); }
#else
std::string library_path() {
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&Err_Message), &info);
    return info.dli_fname;
}
void *load(const std::string &path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
bool unload(void *library) { return dlclose(library) == 0; }
#endif

// A copy under another name loads as a module of its own.
std::string copy_of_library() {
    const std::string source = library_path();
    const std::string copy = source.substr(0, source.find_last_of("/\\") + 1) +
#ifdef _WIN32
                             "QuorvelCopy.dll";
#else
                             "libquorvel-copy-" + std::to_string(getpid()) + ".so";
#endif
    std::ifstream in(source, std::ios::binary);
    std::ofstream out(copy, std::ios::binary);
    out << in.rdbuf();
    return copy;
}

TEST(ModuleLoad, LoadsIntoAMultithreadedApartmentAndUninitialisesComAtUnload) {
    const std::string copy = copy_of_library();
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        void *library = load(copy);
        ASSERT_NE(library, nullptr);  // the apartment clash does not stop the load

        EXPECT_TRUE(unload(library));
        // Unloading uninitialised COM once, whatever its own initialisation
        // gave: the thread's own initialisation is gone with it.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
    std::remove(copy.c_str());
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// As a host that never linked the library sees it: a link-map namespace of
// its own (a sanitizer's runtime cannot follow there). dlclose unloads the
// library, its unload step leaves COM, and the thread may then join the
// multithreaded apartment.
TEST(ModuleLoad, DlcloseUnloadsAndFreesTheThreadsApartment) {
    Dl_info platform_file{};
    dladdr(reinterpret_cast<void *>(&CoInitializeEx), &platform_file);
    std::thread([&] {
        void *platform = dlmopen(LM_ID_NEWLM, platform_file.dli_fname, RTLD_NOW);
        ASSERT_NE(platform, nullptr) << dlerror();
        Lmid_t space = 0;
        dlinfo(platform, RTLD_DI_LMID, &space);
        void *library = dlmopen(space, library_path().c_str(), RTLD_NOW);
        ASSERT_NE(library, nullptr) << dlerror();
        EXPECT_EQ(dlclose(library), 0);
        EXPECT_EQ(dlmopen(space, library_path().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
        Dl_info start_name{}, stop_name{};
        dladdr(reinterpret_cast<void *>(&CoInitializeEx), &start_name);
        dladdr(reinterpret_cast<void *>(&CoUninitialize), &stop_name);
        auto start = reinterpret_cast<decltype(&CoInitializeEx)>(dlsym(platform, start_name.dli_sname));
        auto stop = reinterpret_cast<decltype(&CoUninitialize)>(dlsym(platform, stop_name.dli_sname));
        EXPECT_EQ(start(nullptr, COINIT_MULTITHREADED), S_OK);
        stop();
        dlclose(platform);
    }).join();
}
#endif

}  // namespace
