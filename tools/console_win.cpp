#include "console.h"
#include "host_path.h"

#include <quorvel/progress.h>

#include <cctype>
#include <conio.h>
#include <cstdio>
#include <ctime>
#include <io.h>
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

bool error_is_terminal() {
    DWORD mode = 0;
    return _isatty(_fileno(stderr)) || GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode);
}

// The runtime's TZ grammar: a 3-letter name, an offset of hours with an
// optional sign, minutes and seconds, and an optional daylight name.
bool runtime_reads(const std::string &zone) {
    size_t i = 0;
    auto letters = [&](size_t count) {
        for (size_t n = 0; n < count; ++n, ++i)
            if (i >= zone.size() || !std::isalpha(static_cast<unsigned char>(zone[i]))) return false;
        return true;
    };
    auto digits = [&](size_t most) {
        size_t n = 0;
        while (i < zone.size() && n < most && std::isdigit(static_cast<unsigned char>(zone[i]))) ++i, ++n;
        return n > 0;
    };
    if (!letters(3)) return false;
    if (i < zone.size() && (zone[i] == '+' || zone[i] == '-')) ++i;
    if (!digits(2)) return false;
    for (int part = 0; part < 2 && i < zone.size() && zone[i] == ':'; ++part)
        if (++i, !digits(2)) return false;
    return i == zone.size() || (letters(3) && i == zone.size());
}

void use_time_zone(const char *command) {
    const char *zone = std::getenv("TZ");
    if (!zone || !*zone || runtime_reads(zone)) return;
    std::fprintf(stderr, "quorvel %s: TZ=%s is not a zone the Windows runtime reads; the "
                         "system's time zone is used\n", command, zone);
    _putenv("TZ=");
    SetEnvironmentVariableW(L"TZ", nullptr);
    _tzset();
}

bool environment_text(const char *name, std::u16string &value) {
    const std::u16string wide_name = from_utf8(name);
    const wchar_t *text = _wgetenv(as_wide(wide_name));
    if (!text) return false;
    value = as_u16(text);
    return true;
}

}  // namespace cli
