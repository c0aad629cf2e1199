// Fades read back through GetLayeredWindowAttributes on a window of our
// own (under a display).
#include <quorvel/system.h>

#include "support/win32.h"

#include <gtest/gtest.h>

namespace {

int alpha_of(HWND window) {
    BYTE alpha = 0;
    return GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr) ? alpha : -1;
}

TEST(Fades, AlphaAfterEachFade) {
    HWND window = CreateWindowExW(0, L"STATIC", L"fade", WS_POPUP, 10, 10, 120, 80, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Sm_ShowSmoothly(window, 1, 10, 100);  // before Sm_CreateSmoothly: nothing
    EXPECT_EQ(Sm_SetTransparent(window, 0, 128, LWA_ALPHA), 0);
    EXPECT_EQ(alpha_of(window), -1);  // not layered

    Sm_CreateSmoothly(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(alpha_of(window), 0);
    const struct {
        int fade_in, step, level, alpha;
    } rows[] = {{1, 10, 100, 255}, {1, 30, 100, 229}, {1, 10, 50, 127}, {0, 30, 100, 25}, {0, 10, 100, 0}};
    for (const auto &row : rows) {
        Sm_ShowSmoothly(window, row.fade_in, row.step, row.level);
        EXPECT_EQ(alpha_of(window), row.alpha) << row.fade_in << ' ' << row.step << ' ' << row.level;
    }
    EXPECT_EQ(Sm_SetTransparent(window, 0, 128, LWA_ALPHA), 1);
    EXPECT_EQ(alpha_of(window), 128);

    Sm_DestroySmoothly();
    EXPECT_EQ(Sm_SetTransparent(window, 0, 200, LWA_ALPHA), 0);
    EXPECT_EQ(alpha_of(window), 128);
    DestroyWindow(window);
}

}  // namespace
