#include "console.h"
#include "host_path.h"

#include <quorvel/progress.h>

#include <conio.h>
#include <cstdlib>
#include <windows.h>

namespace cli {
namespace {

BOOL WINAPI on_break(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    Prg_SetCancel(1);
    return TRUE;
}

}  // namespace

bool read_secret(const char *prompt, std::u16string &answer) {
    std::fputs(prompt, stderr);
    answer.clear();
    for (;;) {
        const wint_t c = _getwch();
        if (c == L'\r' || c == L'\n') break;
        if (c == 3 || c == WEOF) return false;  // Ctrl-C, or no console
        if (c == L'\b') {
            if (!answer.empty()) answer.pop_back();
            continue;
        }
        answer += static_cast<char16_t>(c);
    }
    std::fputs("\n", stderr);
    return true;
}

void cancel_on_interrupt() { SetConsoleCtrlHandler(on_break, TRUE); }

bool environment_text(const char *name, std::u16string &value) {
    const std::u16string wide_name = from_utf8(name);
    const wchar_t *text = _wgetenv(reinterpret_cast<const wchar_t *>(wide_name.c_str()));
    if (!text) return false;
    value = reinterpret_cast<const char16_t *>(text);
    return true;
}

}  // namespace cli
