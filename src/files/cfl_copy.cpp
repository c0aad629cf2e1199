// Cfl_CopyFile and Cfl_MoveFile, with the progress window for large copies
// and for moves between drives.
#include <quorvel/attributes.h>
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/search.h>

#include "files/long_form.h"
#include "platform/win32.h"

namespace {

constexpr int64_t kWindowFrom = 0x100000;  // 1 MiB

// The last percentage the routine reported; kept from copy to copy.
int64_t g_last_percent = 0;

// The system's copy-progress callback, shared by copies and moves; it runs
// on the copying thread, inside CopyFileExW or MoveFileWithProgressW.
DWORD CALLBACK copy_progress(LARGE_INTEGER total, LARGE_INTEGER transferred,
                             LARGE_INTEGER streamSize, LARGE_INTEGER streamTransferred, DWORD,
                             DWORD, HANDLE, HANDLE, LPVOID) {
    Prg_PeekMessage();
    if (Prg_IsCancel()) {
        Prg_CloseProgress();
        return PROGRESS_CANCEL;
    }
    const int64_t percent =
        streamSize.QuadPart ? streamTransferred.QuadPart * 100 / streamSize.QuadPart : 0;
    if (percent != g_last_percent) {
        Prg_SetProgress(percent, 100);
        g_last_percent = percent;
    }
    // Closing costs some 300 ms even without a window: only when there is one.
    if (transferred.QuadPart == total.QuadPart && Prg_IsProgress()) Prg_CloseProgress();
    return PROGRESS_CONTINUE;
}

void open_window(HWND owner, int *cancel, const unsigned short *source,
                 const unsigned short *displayName, const char16_t *message,
                 const char16_t *title) {
    const unsigned short *shown = displayName;
    if (!shown) {
        size_t n = 0;
        for (; source[n] && n + 1 < QUORVEL_MAX_TEXT; ++n) g_szCflWork[n] = source[n];
        g_szCflWork[n] = 0;
        shown = Cfl_StripPath(g_szCflWork);
    }
    Prg_CreateProgress(owner, cancel, nullptr, nullptr);
    Prg_SetFileName(shown);
    Prg_SetMessage(as_exported(message));
    Prg_OpenProgress(as_exported(title));
}

// The start that a copy and a move share: the result when the call ends
// here (1 for a missing source, 0 for bad paths), else -1 with the long
// forms in `from` and `to`.
int start(const unsigned short *source, const unsigned short *destination, unsigned short *from,
          unsigned short *to) {
    if (!source || !destination) return 0;
    if (!Cfl_IsExist(source)) return 1;
    if (files::long_form(source, from) && files::long_form(destination, to)) return -1;
    Err_Message(0);
    return 0;
}

}  // namespace

int Cfl_CopyFile(HWND owner, const unsigned short *source, const unsigned short *destination,
                 const unsigned short *displayName) {
    unsigned short from[QUORVEL_MAX_TEXT], to[QUORVEL_MAX_TEXT];
    const int ended = start(source, destination, from, to);
    if (ended >= 0) return ended;
    if (Cfl_GetFileSize(source, 1) < kWindowFrom) {
        if (!CopyFileW(as_wide(from), as_wide(to), FALSE)) {
            Err_Message(0);
            return 0;
        }
        Cfl_RemoveFileAttrReadOnly(destination);
        return 1;
    }
    int cancel = 0;
    open_window(owner, &cancel, source, displayName, u"ファイルをコピーしています",
                u"ファイルのコピー");
    const BOOL copied = CopyFileExW(as_wide(from), as_wide(to), copy_progress, nullptr,
                                    &cancel, 0);
    // The window thread may write `cancel` until the window is gone.
    const int cancelled = *static_cast<volatile int *>(&cancel);
    if (!copied) {
        if (!cancelled) Err_Message(0);
    } else if (!cancelled) {
        Cfl_RemoveFileAttrReadOnly(destination);
    }
    // The routine closes the window when the copy completes or is cancelled;
    // after any other end it would stay.
    if (Prg_IsProgress()) Prg_CloseProgress();
    return copied ? 1 : 0;
}

int Cfl_MoveFile(HWND owner, const unsigned short *source, const unsigned short *destination,
                 const unsigned short *displayName) {
    unsigned short from[QUORVEL_MAX_TEXT], to[QUORVEL_MAX_TEXT];
    const int ended = start(source, destination, from, to);
    if (ended >= 0) return ended;
    // The drive parts as written, compared exactly: "C:" and "c:" differ.
    unsigned short drive[3];
    const unsigned short *source_drive = Cfl_GetDriveName(source);
    for (int i = 0; i < 3; ++i) drive[i] = source_drive[i];
    const unsigned short *target_drive = Cfl_GetDriveName(destination);
    const bool same_drive = drive[0] == target_drive[0] && drive[1] == target_drive[1];
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    if (same_drive) {
        if (!MoveFileExW(as_wide(from), as_wide(to), kFlags)) {
            Err_Message(0);
            return 0;
        }
        Cfl_RemoveFileAttrReadOnly(destination);
        return 1;
    }
    open_window(owner, nullptr, source, displayName, u"ファイルを移動しています",
                u"ファイルの移動");
    if (!MoveFileWithProgressW(as_wide(from), as_wide(to), copy_progress, nullptr, kFlags)) {
        Err_Message(0);
        Prg_CloseProgress();
        return 0;
    }
    Cfl_RemoveFileAttrReadOnly(destination);
    Prg_CloseProgress();
    return 1;
}
