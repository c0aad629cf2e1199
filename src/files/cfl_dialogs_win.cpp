// The common open and save dialogs and the shell's folder browser; their
// answers go to g_szCflResult.
#include <quorvel/links.h>

#include <quorvel/paths.h>

#include "platform/win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

unsigned short *file_dialog(BOOL(WINAPI *show)(LPOPENFILENAMEW), HWND owner,
                            const unsigned short *filter, const unsigned short *defaultExtension,
                            const unsigned short *title, const unsigned short *initialFolder,
                            int multiSelect) {
    static const WCHAR kDefaultFilter[] = L"text (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    std::memset(g_szCflResult, 0, sizeof g_szCflResult);
    OPENFILENAMEW dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter ? as_wide(filter) : kDefaultFilter;
    dialog.lpstrFile = as_wide(g_szCflResult);
    dialog.nMaxFile = QUORVEL_MAX_TEXT - 1;
    dialog.lpstrFileTitle = as_wide(g_szCflWork);
    dialog.nMaxFileTitle = QUORVEL_MAX_TEXT - 1;
    dialog.lpstrInitialDir = as_wide(initialFolder);
    dialog.lpstrTitle = as_wide(title);
    dialog.lpstrDefExt = as_wide(defaultExtension);
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                   (multiSelect ? OFN_ALLOWMULTISELECT : 0);
    return show(&dialog) ? g_szCflResult : nullptr;
}

// Opens at the initial folder and shows each selected folder's path.
int CALLBACK default_browse_callback(HWND window, UINT message, LPARAM item, LPARAM initial) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, initial);
    } else if (message == BFFM_SELCHANGED) {
        if (SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(item), as_wide(g_szCflResult)))
            SendMessageW(window, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(g_szCflResult));
    }
    return 0;
}

}  // namespace

unsigned short *Cfl_SelectedFile(HWND owner, const unsigned short *filter,
                                 const unsigned short *defaultExtension,
                                 const unsigned short *title, const unsigned short *initialFolder,
                                 int multiSelect, LONG) {
    return file_dialog(GetOpenFileNameW, owner, filter, defaultExtension, title, initialFolder,
                       multiSelect);
}

unsigned short *Cfl_SavedFile(HWND owner, const unsigned short *filter,
                              const unsigned short *defaultExtension, const unsigned short *title,
                              const unsigned short *initialFolder, int multiSelect, LONG) {
    return file_dialog(GetSaveFileNameW, owner, filter, defaultExtension, title, initialFolder,
                       multiSelect);
}

unsigned short *Cfl_SelectedFolder(HWND owner, const unsigned short *prompt,
                                   const unsigned short *initialFolder, LONG callback) {
    WCHAR text[256] = L"フォルダを選んでください";
    if (prompt) lstrcpynW(text, as_wide(prompt), 256);
    WCHAR *initial = static_cast<WCHAR *>(std::calloc(QUORVEL_MAX_TEXT, sizeof(WCHAR)));
    std::memset(g_szCflResult, 0, sizeof g_szCflResult);
    IMalloc *allocator = nullptr;
    if (!initial || FAILED(SHGetMalloc(&allocator))) {
        std::free(initial);
        return nullptr;
    }
    if (initialFolder) {
        lstrcpynW(initial, as_wide(initialFolder), QUORVEL_MAX_TEXT);
    } else {
        LPITEMIDLIST documents = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(owner, CSIDL_PERSONAL, &documents))) {
            if (SHGetPathFromIDListW(documents, initial)) Cfl_AddBackslash(as_exported(initial));
            allocator->Free(documents);
        }
    }
    BROWSEINFOW browse;
    std::memset(&browse, 0, sizeof browse);
    browse.hwndOwner = owner;
    browse.pszDisplayName = as_wide(g_szCflResult);
    browse.lpszTitle = text;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    // The interface passes the callback as a 32-bit integer.
    browse.lpfn = callback ? reinterpret_cast<BFFCALLBACK>(static_cast<intptr_t>(callback))
                           : default_browse_callback;
    browse.lParam = reinterpret_cast<LPARAM>(initial);
    unsigned short *result = nullptr;
    if (LPITEMIDLIST chosen = SHBrowseForFolderW(&browse)) {
        SHGetPathFromIDListW(chosen, as_wide(g_szCflResult));
        Cfl_AddBackslash(g_szCflResult);
        allocator->Free(chosen);
        result = g_szCflResult;
    }
    std::free(initial);
    allocator->Release();
    return result;
}
