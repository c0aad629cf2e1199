// quorvel progress [SECONDS]: a pretend copy of 200 files over SECONDS
// seconds (default 10) shown in the progress window: the dialog on Windows,
// the terminal form of standard error on POSIX. Exit status 0 when the copy
// ran to the end, 130 when it was cancelled (Ctrl-C or the window's button),
// 3 when no window could be shown (the copy then runs silently).
#include "command.h"
#include "console.h"

#include "platform/text16.h"

#include <quorvel/progress.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>


namespace {

constexpr int kFiles = 200;

int pretend_copy(int argc, char **argv) {
    if (cli::wants_help(argc, argv)) return cli::show_usage("progress", stdout);
    if (argc > 2) return cli::show_usage("progress", stderr);
    int seconds = argc == 2 ? std::atoi(argv[1]) : 10;
    if (seconds < 1) seconds = 1;
    Prg_SetCancel(0);
    cli::cancel_on_interrupt();
    int shown = Prg_CreateProgress(nullptr, nullptr, nullptr, nullptr);
    Prg_SetVersion(as_exported(u"1.0"));
    Prg_OpenProgress(as_exported(u"ファイルのコピー"));
    Prg_SetMessage(as_exported(u"ファイルをコピーしています"));
    const auto step = std::chrono::milliseconds(seconds * 1000 / kFiles);
    for (int file = 1; file <= kFiles; ++file) {
        std::u16string name = u"C:\\Users\\user\\ドキュメント\\報告書\\資料" +
                              std::u16string(1, static_cast<char16_t>(u'0' + file / 100)) +
                              std::u16string(1, static_cast<char16_t>(u'0' + file / 10 % 10)) +
                              std::u16string(1, static_cast<char16_t>(u'0' + file % 10)) + u".docx";
        Prg_SetFileName(as_exported(name.c_str()));
        std::this_thread::sleep_for(step);
        if (!Prg_ProgressCall(kFiles, file, 0)) {
            Prg_CloseProgress();
            return 130;
        }
    }
    Prg_CloseProgress();
    return shown ? 0 : 3;
}

}  // namespace

QUORVEL_COMMAND("progress", "[SECONDS]  a pretend copy of 200 files shown in the progress window",
                pretend_copy);
