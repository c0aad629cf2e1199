// The Windows entry point reads the command line as UTF-16, so that names
// outside the ANSI code page survive, and hands it on as UTF-8; the
// console shows UTF-8 output as such.
#include "command.h"

#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t **argv) {
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(n > 0 ? n - 1 : 0, '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &text[0], n, nullptr, nullptr);
        texts.push_back(text);
    }
    std::vector<char *> arguments;
    for (std::string &text : texts) arguments.push_back(&text[0]);
    arguments.push_back(nullptr);
    SetConsoleOutputCP(CP_UTF8);
    return cli::run_command_line(argc, arguments.data());
}
