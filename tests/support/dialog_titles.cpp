#include "support/dialog_titles.h"

#include "support/own_dialog.h"

namespace test {

#ifdef _WIN32
DialogTitles::DialogTitles(int control_id) {
    watcher_ = std::thread([this, control_id] {
        while (!stop_) {
            for (HWND dialog : own_dialogs(control_id)) {
                wchar_t caption[256] = {};
                if (!GetWindowTextW(dialog, caption, 256)) continue;
                std::lock_guard<std::mutex> guard(lock_);
                seen_.insert(reinterpret_cast<const char16_t *>(caption));
            }
            Sleep(5);
        }
    });
}
#else
DialogTitles::DialogTitles(int) {}
#endif

DialogTitles::~DialogTitles() {
    stop_ = true;
    if (watcher_.joinable()) watcher_.join();
}

bool DialogTitles::saw(const std::u16string &caption) const {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_.count(caption) != 0;
}

}  // namespace test
