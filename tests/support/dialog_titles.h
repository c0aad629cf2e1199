// Records the captions of this process's dialogs that carry a given
// control, shown or not, while an instance lives. Windows: a watcher thread
// looks every few milliseconds. POSIX has no desktop (kDesktop is false):
// nothing is ever seen.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace test {

#ifdef _WIN32
constexpr bool kDesktop = true;
#else
constexpr bool kDesktop = false;
#endif

class DialogTitles {
public:
    explicit DialogTitles(int control_id);
    ~DialogTitles();
    DialogTitles(const DialogTitles &) = delete;
    DialogTitles &operator=(const DialogTitles &) = delete;

    bool saw(const std::u16string &caption) const;

private:
    std::set<std::u16string> seen_;
    mutable std::mutex lock_;
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

}  // namespace test
