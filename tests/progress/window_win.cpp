// The progress window itself, driven under a display (Xvfb and Wine): the
// dialog's controls, the caption, the drawn bar read back from the screen,
// the buttons pressed with BM_CLICK, and the start-up and shut-down rules.
#include <quorvel/progress.h>

#include "support/message_box_capture.h"
#include "support/own_dialog.h"
#include "support/win32.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

using test::u16;
using Clock = std::chrono::steady_clock;

constexpr int kCancelButton = 9014;
constexpr int kPauseButton = 9015;
constexpr int kFileName = 9010;
constexpr int kMessage = 9011;
constexpr int kElapsed = 9012;
constexpr int kCounter = 9013;

HWND progress_dialog() { return test::find_own_dialog(kCounter); }

std::u16string text_of(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return std::u16string(reinterpret_cast<const char16_t *>(buffer));
}

bool eventually(const std::function<bool()> &condition, int milliseconds = 3000) {
    auto until = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < until) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

// What the control shows, copied from its device context in one piece.
struct Capture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

Capture capture(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    Capture shot;
    shot.width = area.right;
    shot.height = area.bottom;
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP image = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, image);
    BitBlt(memory, 0, 0, shot.width, shot.height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    auto *raw = static_cast<const DWORD *>(bits);
    for (int i = 0; i < shot.width * shot.height; ++i)
        shot.pixels.push_back(RGB((raw[i] >> 16) & 255, (raw[i] >> 8) & 255, raw[i] & 255));
    SelectObject(memory, old);
    DeleteObject(image);
    DeleteDC(memory);
    ReleaseDC(control, dc);
    return shot;
}

COLORREF pixel(HWND control, int x, int y) { return capture(control).at(x, y); }

bool is_white(COLORREF c) { return c == RGB(255, 255, 255); }
bool is_blue(COLORREF c) { return GetBValue(c) > GetRValue(c) + 40 && GetBValue(c) > GetGValue(c); }
bool is_green(COLORREF c) { return GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c); }

// Width of the run of `colour` from the left edge of row y.
int run_width(HWND control, int y, bool (*colour)(COLORREF)) {
    Capture shot = capture(control);
    int x = 0;
    while (x < shot.width && colour(shot.at(x, y))) ++x;
    return x;
}

// Pixels of a control that differ from its top-left pixel (text drawn).
int marked_pixels(HWND control) {
    Capture shot = capture(control);
    int marked = 0;
    for (COLORREF c : shot.pixels)
        if (c != shot.pixels[0]) ++marked;
    return marked;
}

struct ProgressWindow : ::testing::Test {
    void SetUp() override {
        Prg_SetCancel(0);
        Prg_SetResume(0);
        Prg_ViewCounter(0);
    }
    void TearDown() override {
        Prg_CloseProgress();
        Prg_SetCancel(0);
        Prg_SetResume(0);
        Prg_ViewCounter(0);
    }
};

TEST_F(ProgressWindow, TemplateGivesTheControlsAndTexts) {
    ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Prg_IsProgress(), 1);
    HWND dialog = progress_dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(text_of(dialog), u"ファイルのコピー");
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & ~WS_CLIPSIBLINGS & 0xFFFF0000u,
              0x80C00000u | WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetForegroundWindow(), dialog) << "created without activation";

    struct Expected {
        int id;
        const wchar_t *cls;
        DWORD style;
        RECT units;  // x, y, width, height
        const char16_t *text;
    };
    // 9012 and 9013 are owner-drawn now (SS_OWNERDRAW in the low byte).
    const Expected controls[] = {
        {kCancelButton, L"Button", 0x50010001, {118, 58, 50, 18}, u"取り消し(&C)"},
        {kFileName, L"Static", 0x50020000, {8, 7, 214, 8}, u""},
        {kMessage, L"Static", 0x50020000, {8, 20, 178, 8}, u"ファイルをコピーしています"},
        {kCounter, L"Static", 0x5002020D, {7, 36, 217, 13}, u"0 / 0"},
        {kElapsed, L"Static", 0x5002020D, {189, 20, 34, 8}, u"00:00:00"},
        {kPauseButton, L"Button", 0x50010000, {62, 58, 50, 18}, u"停止(&S)"},
    };
    HWND previous = nullptr;
    for (const Expected &c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(control, nullptr);
        wchar_t cls[32] = {};
        GetClassNameW(control, cls, 32);
        EXPECT_EQ(_wcsicmp(cls, c.cls), 0);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), c.style);
        EXPECT_EQ(text_of(control), c.text);
        RECT expected = c.units, actual;
        MapDialogRect(dialog, &expected);
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right - actual.left, expected.right);
        EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
        if (previous) EXPECT_EQ(GetWindow(previous, GW_HWNDNEXT), control) << "template order";
        previous = control;
    }
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, kCounter), GWL_EXSTYLE) & WS_EX_STATICEDGE);

    EXPECT_EQ(Prg_CloseProgress(), 1);
    EXPECT_EQ(Prg_IsProgress(), 0);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(ProgressWindow, CaptionButtonsAndTextsFollowTheCalls) {
    ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
    HWND dialog = progress_dialog();
    ASSERT_NE(dialog, nullptr);

    Prg_OpenProgress(u16(u"暗号化"));
    EXPECT_EQ(text_of(dialog), u"暗号化");
    Prg_SetVersion(u16(u"2.10"));
    EXPECT_EQ(text_of(dialog), u"暗号化 - Version 2.10");
    Prg_SetTitle(u16(u"復号"));
    EXPECT_EQ(text_of(dialog), u"復号 - Version 2.10");
    Prg_SetVersion(u16(u""));
    EXPECT_EQ(text_of(dialog), u"復号");

    Prg_SetCancelText(u16(u"中止(&C)"));
    EXPECT_EQ(text_of(GetDlgItem(dialog, kCancelButton)), u"中止(&C)");
    Prg_SetResumeText(u16(u"待つ(&S)"), nullptr);
    EXPECT_EQ(text_of(GetDlgItem(dialog, kPauseButton)), u"停止(&S)");
    Prg_EnableCancelButton(0);
    Prg_EnableResumeButton(0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kCancelButton)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kPauseButton)));
    Prg_EnableCancelButton(1);
    Prg_EnableResumeButton(1);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kCancelButton)));

    // The file name arrives as a message the window thread handles later.
    Prg_SetFileName(u16(u"C:\\データ\\a.txt"));
    EXPECT_TRUE(eventually([&] { return text_of(GetDlgItem(dialog, kFileName)) == u"C:\\データ\\a.txt"; }));

    // The message thread paints the message over the template's text. A
    // text that arrives while the message is being drawn is dropped, so it
    // is sent again until it shows.
    HWND message = GetDlgItem(dialog, kMessage);
    auto message_shows = [&](const char16_t *text, const std::function<bool()> &shown) {
        return eventually([&] {
            Prg_SetMessage(u16(text));
            return eventually(shown, 300);
        });
    };
    EXPECT_TRUE(message_shows(u"", [&] { return marked_pixels(message) == 0; }));
    EXPECT_TRUE(message_shows(u"暗号化しています", [&] { return marked_pixels(message) > 20; }));

    Prg_HideProgress();
    EXPECT_FALSE(IsWindowVisible(dialog));
    Prg_OpenProgress(nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(ProgressWindow, BarsAreDrawnToScaleWithTheCounter) {
    ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
    HWND counter = GetDlgItem(progress_dialog(), kCounter);
    ASSERT_NE(counter, nullptr);
    RECT area;
    GetClientRect(counter, &area);
    const int w = area.right;

    // Total 0: plain white, no text.
    EXPECT_TRUE(eventually([&] { return marked_pixels(counter) == 0 && is_white(pixel(counter, 0, 0)); }))
        << std::hex << pixel(counter, 0, 0) << " " << std::dec << marked_pixels(counter);

    Prg_SetProgress(50, 200);
    EXPECT_TRUE(eventually([&] { return run_width(counter, 1, is_blue) == w * 50 / 200; }))
        << "blue run " << run_width(counter, 1, is_blue) << " of " << w;
    EXPECT_TRUE(is_white(pixel(counter, w * 50 / 200 + 2, 1)));
    EXPECT_TRUE(is_white(pixel(counter, w - 1, 1)));

    Prg_SetProgress2(120);
    EXPECT_TRUE(eventually([&] { return run_width(counter, 1, is_green) == w * 120 / 200; }))
        << "green run " << run_width(counter, 1, is_green) << " of " << w;
    EXPECT_TRUE(is_white(pixel(counter, w * 120 / 200 + 2, 1)));

    // The counter view draws bare counts on white, no bar.
    Prg_ViewCounter(1);
    Prg_SetProgress(7, 200);
    Prg_SetProgress2(0);
    EXPECT_TRUE(eventually([&] { return run_width(counter, 1, is_white) == w; }));
    EXPECT_GT(marked_pixels(counter), 10);
}

TEST_F(ProgressWindow, ButtonsSetTheFlagsAndTheCallersVariables) {
    int cancelled = -1, paused = -1;
    ASSERT_EQ(Prg_CreateProgress(nullptr, &cancelled, &paused, nullptr), 1);
    HWND dialog = progress_dialog();
    HWND pause = GetDlgItem(dialog, kPauseButton);

    SendMessageW(pause, BM_CLICK, 0, 0);
    EXPECT_EQ(Prg_IsResume(), 1);
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(text_of(pause), u"再開(&S)");
    EXPECT_EQ(Prg_DoResume(), 1);
    SendMessageW(pause, BM_CLICK, 0, 0);
    EXPECT_EQ(Prg_IsResume(), 0);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(text_of(pause), u"停止(&S)");

    // Stored texts label the button from the next press on.
    Prg_SetResumeText(u16(u"待つ(&S)"), u16(u"続ける(&S)"));
    EXPECT_EQ(text_of(pause), u"待つ(&S)");
    SendMessageW(pause, BM_CLICK, 0, 0);
    EXPECT_EQ(text_of(pause), u"続ける(&S)");
    EXPECT_EQ(cancelled, -1);

    SendMessageW(GetDlgItem(dialog, kCancelButton), BM_CLICK, 0, 0);
    EXPECT_EQ(Prg_IsCancel(), 1);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(Prg_IsResume(), 1) << "a cancel leaves the pause alone";
    EXPECT_EQ(Prg_IsProgress(), 0);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(Prg_DoCancel(), 1);
    EXPECT_EQ(Prg_ProgressCall(100, 1, 0), 0);

    // A new window starts uncancelled with the template's pause text.
    ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Prg_IsCancel(), 0);
    EXPECT_EQ(Prg_IsResume(), 0);
    EXPECT_EQ(text_of(GetDlgItem(progress_dialog(), kPauseButton)), u"停止(&S)");
    Prg_SetResumeText(u16(u"停止(&S)"), u16(u"再開(&S)"));
}

// A second window is refused while the first is up, not after it closed.
TEST_F(ProgressWindow, OneWindowAtATime) {
    ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(Prg_IsProgress(), 1);
    Prg_CloseProgress();
    EXPECT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
}

// The owner's module carries no template 110: the dialog cannot be made.
TEST_F(ProgressWindow, TemplateComesFromTheChosenModule) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    {
        test::MessageBoxCapture boxes;
        EXPECT_EQ(Prg_CreateProgress(owner, nullptr, nullptr, nullptr), 0);
        EXPECT_TRUE(eventually([&] { return boxes.boxes().size() == 1; }));
    }
    EXPECT_EQ(Prg_IsProgress(), 0);
    HINSTANCE library = GetModuleHandleW(L"Quorvel.dll");
    EXPECT_EQ(Prg_CreateProgress(owner, nullptr, nullptr, library), 1);
    Prg_CloseProgress();
    DestroyWindow(owner);
}

int thread_count() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// GetGuiResources where the system answers it; Wine does not, but keeps
// the process's GDI handle table where Windows does (the PEB's
// GdiSharedHandleTable, 24-byte entries, type in byte 14 on x86_64).
int gdi_object_count() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count) return static_cast<int>(count);
#if defined(__x86_64__)
    auto *peb = reinterpret_cast<unsigned char *>(NtCurrentTeb()->ProcessEnvironmentBlock);
    auto *table = *reinterpret_cast<unsigned char **>(peb + 0xF8);
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i * 24 + 14]) ++live;
    return live;
#else
    return -1;
#endif
}

TEST_F(ProgressWindow, HundredWindowsLeaveNoThreadsOrGdiObjects) {
    // A few windows first, so that what the system sets up once is counted.
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1);
        Prg_SetProgress(i, 100);
        Prg_CloseProgress();
    }
    int threads = thread_count();
    int gdi = gdi_object_count();
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr), 1) << i;
        Prg_SetProgress(i, 100);
        Prg_SetMessage(u16(u"繰り返し"));
        Prg_CloseProgress();
    }
    EXPECT_EQ(thread_count(), threads);
    if (gdi < 0) GTEST_SKIP() << "no way to count GDI objects here";
    // Wine keeps a cache of window device contexts (each a DC, a region and
    // a bitmap) that grows a little while windows come and go; one object
    // lost per window would add 100.
    EXPECT_LT(gdi_object_count() - gdi, 40) << "GDI objects before: " << gdi;
}

}  // namespace
