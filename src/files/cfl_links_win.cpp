// Shortcut and Internet-shortcut files through the shell's own objects:
// ole32.dll is loaded from the system folder for the length of each call,
// COM is started and stopped around the work, and every interface is
// released before COM stops.
#include <quorvel/links.h>

#include <quorvel/error.h>
#include <quorvel/paths.h>

#include "platform/win32.h"

#include <intshcut.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace {

// The objects and interfaces, by the identifiers the system registers.
const CLSID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidShellLinkW = {0x000214F9, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID kClsidInternetShortcut = {
    0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
const IID kIidUniformResourceLocatorW = {
    0xCABB0DA0, 0xDA57, 0x11CF, {0x99, 0x74, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x62}};
const IID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

using CoInitializeCall = HRESULT(WINAPI *)(LPVOID);
using CoCreateInstanceCall = HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
using CoUninitializeCall = void(WINAPI *)();

template <typename Call>
Call look_up(HMODULE module, const char *name) {
    // Through void(*)(), the one function type any other converts from
    // without a warning.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Releases an interface at the end of a scope.
template <typename Interface>
struct Held {
    Interface *p = nullptr;
    ~Held() {
        if (p) p->Release();
    }
    void **out() { return reinterpret_cast<void **>(&p); }
};

// The frame every shortcut call shares; `work` gets CoCreateInstance and
// gives the result.
template <typename Work>
int with_com(Work work) {
    WCHAR *path = as_wide(g_szCflWork);
    const UINT n = GetSystemDirectoryW(path, QUORVEL_MAX_TEXT);
    static const WCHAR kOle32[] = L"\\ole32.dll";
    HMODULE ole32 = nullptr;
    if (n > 0 && n + sizeof kOle32 / sizeof *kOle32 <= QUORVEL_MAX_TEXT) {
        std::memcpy(path + n, kOle32, sizeof kOle32);
        ole32 = LoadLibraryW(path);
    }
    if (!ole32) {
        Err_Message(0);
        return 0;
    }
    const auto initialize = look_up<CoInitializeCall>(ole32, "CoInitialize");
    const auto create = look_up<CoCreateInstanceCall>(ole32, "CoCreateInstance");
    const auto uninitialize = look_up<CoUninitializeCall>(ole32, "CoUninitialize");
    int result = 0;
    if (initialize && create && uninitialize) {
        initialize(nullptr);
        result = work(create);
        uninitialize();
    }
    FreeLibrary(ole32);
    return result;
}

// True when the file has an "[InternetShortcut]" section. Windows' object
// loads such a file when it holds no URL (and then gives none); Wine's
// refuses it, so the read answers as Windows does for such a file.
bool has_shortcut_section(const unsigned short *file) {
    WCHAR names[4096];
    const DWORD n = GetPrivateProfileSectionNamesW(names, 4096, as_wide(file));
    for (const WCHAR *name = names; n > 0 && name < names + n && *name; name += lstrlenW(name) + 1)
        if (lstrcmpiW(name, L"InternetShortcut") == 0) return true;
    return false;
}

}  // namespace

int Cfl_CreateLinkFile(const unsigned short *target, const unsigned short *linkFile,
                       const unsigned short *arguments, const unsigned short *workingFolder,
                       const unsigned short *iconFile, unsigned short hotkey,
                       unsigned char normalWindow) {
    return with_com([&](CoCreateInstanceCall create) {
        Held<IShellLinkW> link;
        Held<IPersistFile> file;
        if (FAILED(create(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                          link.out())))
            return 0;
        // A null text is an empty one: not every shell takes null.
        auto text = [](const unsigned short *t) { return t ? as_wide(t) : L""; };
        link.p->SetPath(text(target));
        link.p->SetDescription(nullptr);
        link.p->SetArguments(text(arguments));
        link.p->SetWorkingDirectory(text(workingFolder));
        link.p->SetIconLocation(text(iconFile), 0);
        link.p->SetHotkey(hotkey);
        link.p->SetShowCmd(normalWindow ? SW_SHOWNORMAL : SW_MINIMIZE);
        if (FAILED(link.p->QueryInterface(kIidPersistFile, file.out()))) return 0;
        return SUCCEEDED(file.p->Save(as_wide(linkFile), TRUE)) ? 1 : 0;
    });
}

int Cfl_ReadLinkFile(const unsigned short *linkFile, unsigned short *target, int targetSize,
                     unsigned short *arguments, int argumentsSize, unsigned short *workingFolder,
                     int workingFolderSize, int *showCommand) {
    return with_com([&](CoCreateInstanceCall create) {
        Held<IShellLinkW> link;
        Held<IPersistFile> file;
        if (FAILED(create(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                          link.out())) ||
            FAILED(link.p->QueryInterface(kIidPersistFile, file.out())) ||
            FAILED(file.p->Load(as_wide(linkFile), STGM_READ)) ||
            FAILED(link.p->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH)))
            return 0;
        WIN32_FIND_DATAW found;
        link.p->GetPath(as_wide(target), targetSize, &found, SLGP_UNCPRIORITY);
        if (arguments && argumentsSize > 0) link.p->GetArguments(as_wide(arguments), argumentsSize);
        if (workingFolder && workingFolderSize > 0)
            link.p->GetWorkingDirectory(as_wide(workingFolder), workingFolderSize);
        if (showCommand) link.p->GetShowCmd(showCommand);
        return 1;
    });
}

int Cfl_CreateUrlFile(const unsigned short *url, const unsigned short *urlFile) {
    return with_com([&](CoCreateInstanceCall create) {
        Held<IUniformResourceLocatorW> shortcut;
        Held<IPersistFile> file;
        if (FAILED(create(kClsidInternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                          kIidUniformResourceLocatorW, shortcut.out())))
            return 0;
        shortcut.p->SetURL(as_wide(url), 0);
        if (FAILED(shortcut.p->QueryInterface(kIidPersistFile, file.out()))) return 0;
        return SUCCEEDED(file.p->Save(as_wide(urlFile), TRUE)) ? 1 : 0;
    });
}

int Cfl_ReadUrlFile(const unsigned short *urlFile, unsigned short *url) {
    return with_com([&](CoCreateInstanceCall create) {
        Held<IUniformResourceLocatorW> shortcut;
        Held<IPersistFile> file;
        if (FAILED(create(kClsidInternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                          kIidUniformResourceLocatorW, shortcut.out())) ||
            FAILED(shortcut.p->QueryInterface(kIidPersistFile, file.out())))
            return 0;
        if (FAILED(file.p->Load(as_wide(urlFile), STGM_SHARE_DENY_NONE)))
            return has_shortcut_section(urlFile) ? 1 : 0;
        LPWSTR stored = nullptr;
        if (shortcut.p->GetURL(&stored) == S_OK && stored) {
            if (url) lstrcpyW(as_wide(url), stored);
            Held<IMalloc> allocator;
            if (SUCCEEDED(SHGetMalloc(&allocator.p))) allocator.p->Free(stored);
        }
        return 1;
    });
}
