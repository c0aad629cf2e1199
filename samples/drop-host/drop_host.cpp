// A window onto which files and folders are dropped, as the host
// applications use the library: the library's drop target reports the drop,
// a dialog asks for the password, and the library's progress window shows the
// work. Files and folders are encrypted (folders with hidden names, as
// NAME.cpf); containers (.cpt) and .cpf folders are restored.
//
// Source in UTF-8 (cl: /utf-8). Built with MinGW or Microsoft's toolchain;
// see README.md beside this file.
#include <windows.h>
#include <ole2.h>

#include <quorvel/wchar.h>

namespace {

const UINT kDragMessage = WM_APP + 1;  // the drop target's notifications
const UINT kWorkMessage = WM_APP + 2;  // the work, after the drop has returned
const wchar_t kTitle[] = L"Quorvel ドロップ先";
const int kEdit = 100;

// The dropped paths, each ended by a zero, one more zero at the end.
wchar_t g_dropped[32768];
wchar_t g_password[128];
wchar_t g_status[256] = L"ファイルやフォルダーをここにドロップしてください。";
int g_jobs = 0;

int length(const wchar_t *text) {
    int n = 0;
    while (text[n]) ++n;
    return n;
}

bool ends_with(const wchar_t *text, const wchar_t *suffix) {
    const int n = length(text), m = length(suffix);
    return n >= m && lstrcmpiW(text + n - m, suffix) == 0;
}

// ---- the password dialog, from a template built in memory ----------------

struct DialogTemplate {
    alignas(4) WORD words[512];
    int n = 0;
    void word(WORD w) { words[n++] = w; }
    void dword(DWORD d) { word(LOWORD(d)), word(HIWORD(d)); }
    void text(const wchar_t *s) {
        do word(*s); while (*s++);
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD kind,
              const wchar_t *title) {
        if (n % 2) word(0);  // each item on a DWORD boundary
        dword(style | WS_CHILD | WS_VISIBLE), dword(0);
        word(x), word(y), word(cx), word(cy), word(id);
        word(0xFFFF), word(kind), text(title), word(0);
    }
};

INT_PTR CALLBACK password_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, kEdit));
        return FALSE;
    }
    if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        GetDlgItemTextW(dialog, kEdit, g_password, 128);
        EndDialog(dialog, LOWORD(wparam) == IDOK && g_password[0]);
        return TRUE;
    }
    return FALSE;
}

bool ask_password(HWND owner) {
    DialogTemplate t;
    t.dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.dword(0);
    t.word(4), t.word(0), t.word(0), t.word(200), t.word(62);
    t.word(0), t.word(0), t.text(L"パスワード"), t.word(9), t.text(L"MS UI Gothic");
    const WORD button = 0x80, edit = 0x81, label = 0x82;
    t.item(SS_LEFT, 7, 7, 186, 9, 0xFFFF, label, L"パスワードを入力してください:");
    t.item(ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 186, 13, kEdit, edit, L"");
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 40, 50, 15, IDOK, button, L"OK");
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 143, 40, 50, 15, IDCANCEL, button, L"キャンセル");
    g_password[0] = 0;
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<DLGTEMPLATE *>(t.words), owner,
                                   password_procedure, 0) == 1;
}

// ---- the work --------------------------------------------------------------

void work(HWND window) {
    if (!g_dropped[0] || !ask_password(window)) return;
    // The library's own dialog and bar faces: no owner, no instance.
    int cancel = 0, pause = 0;
    if (!Prg_CreateProgress(nullptr, &cancel, &pause, nullptr)) return;
    Prg_OpenProgress(L"Quorvel");
    g_cSubFolder = 1;
    g_cEncFolder = 1;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const LONG key_time = Tm_FileTimeToUnixTime(now);

    int encrypted = 0, restored = 0, failed = 0;
    for (const wchar_t *item = g_dropped; *item && !Prg_IsCancel(); item += length(item) + 1) {
        static wchar_t path[QUORVEL_MAX_TEXT];  // (not on the stack: no stack probes)
        lstrcpynW(path, item, QUORVEL_MAX_TEXT - 1);
        const bool folder = Cfl_IsFolder(path) == 1;
        const bool sealed = folder ? ends_with(path, L".cpf") : ends_with(path, L".cpt");
        const int result = sealed ? Enc_Decrypt(window, path, g_password, 0)
                                  : Enc_Encrypt(window, path, g_password, key_time, 0);
        if (result != 1) ++failed;
        else if (sealed) ++restored;
        else ++encrypted;
    }
    const bool cancelled = Prg_IsCancel() != 0;
    Prg_CloseProgress();
    for (volatile wchar_t &c : g_password) c = 0;

    wsprintfW(g_status, L"暗号化 %d 件、復号 %d 件、失敗 %d 件%s", encrypted, restored, failed,
              cancelled ? L"(取り消し)" : L"");
    wchar_t title[128];
    wsprintfW(title, L"%s (完了 %d)", kTitle, ++g_jobs);
    SetWindowTextW(window, title);
    InvalidateRect(window, nullptr, TRUE);
}

// ---- the window ------------------------------------------------------------

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case kDragMessage: {
        const CExDropTarget *target = reinterpret_cast<CExDropTarget *>(lparam);
        // Only file lists: their text lives only while this message is
        // handled, so it is copied and the work starts once the drop is over.
        if (wparam == 3 && target->m_cfFormat == CF_HDROP && target->m_pszData) {
            const unsigned short *from = target->m_pszData;
            int n = 0;
            while ((from[n] || from[n + 1]) && n < 32766) ++n;
            for (int i = 0; i <= n; ++i) g_dropped[i] = from[i];
            g_dropped[n + 1] = 0;
            PostMessageW(window, kWorkMessage, 0, 0);
        }
        return 0;
    }
    case kWorkMessage:
        work(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -16, -16);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, g_status, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        RevokeDragDrop(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int run(HINSTANCE instance) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    WNDCLASSW type = {};
    type.lpfnWndProc = window_procedure;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = L"QuorvelDropHost";
    RegisterClassW(&type);
    HWND window = CreateWindowExW(0, type.lpszClassName, kTitle,
                                  WS_OVERLAPPEDWINDOW, 40, 40, 480, 240, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    // The system holds the target from here on; its Release deletes it.
    CExDropTarget *target = nullptr;
    CExDropTarget::CreateInstance(&target, window, nullptr, kDragMessage);
    RegisterDragDrop(window, target);
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    OleUninitialize();
    return static_cast<int>(message.wParam);
}

}  // namespace

#ifdef QUORVEL_SAMPLE_NO_CRT
// Built without a C runtime's start-up code (as CI builds the Microsoft-mode
// host, without Microsoft's libraries): the entry point is ours.
extern "C" int _fltused = 0;
extern "C" void WinMainCRTStartup() { ExitProcess(run(GetModuleHandleW(nullptr))); }
#else
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return run(instance); }
#endif
