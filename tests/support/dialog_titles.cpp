#include "support/dialog_titles.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace test {

#ifdef _WIN32
namespace {

struct Look {
    int control_id;
    std::set<std::u16string> *captions;
};

BOOL CALLBACK look_at(HWND window, LPARAM data) {
    auto *look = reinterpret_cast<Look *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t text[256] = {};
    GetClassNameW(window, text, 16);
    if (process == GetCurrentProcessId() && std::wstring(text) == L"#32770" &&
        GetDlgItem(window, look->control_id) && GetWindowTextW(window, text, 256))
        look->captions->insert(reinterpret_cast<const char16_t *>(text));
    return TRUE;
}

}  // namespace

DialogTitles::DialogTitles(int control_id) {
    watcher_ = std::thread([this, control_id] {
        while (!stop_) {
            std::set<std::u16string> captions;
            Look look{control_id, &captions};
            EnumWindows(look_at, reinterpret_cast<LPARAM>(&look));
            {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.insert(captions.begin(), captions.end());
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
