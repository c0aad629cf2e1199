#include "support/win32.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// With no terminal to ask on, a box takes its default button; a default
// past the last button falls back to the first, as on Windows.
TEST(MessageBoxWithoutDesktop, AnswersWithTheDefaultButton) {
    const int saved = dup(STDIN_FILENO);
    const int nothing = open("/dev/null", O_RDONLY);
    ASSERT_EQ(dup2(nothing, STDIN_FILENO), STDIN_FILENO);
    close(nothing);
    struct Row {
        UINT type;
        int answer;
    };
    const Row rows[] = {
        {MB_OK, IDOK},
        {MB_OK | MB_DEFBUTTON2, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY},
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, row.type), row.answer) << row.type;
    }
    dup2(saved, STDIN_FILENO);
    close(saved);
}

}  // namespace
