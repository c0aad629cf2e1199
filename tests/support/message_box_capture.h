// Takes over the message boxes the library shows while a capture lives,
// records what each showed and answers it. POSIX: through the platform
// layer's handler. Windows: a watcher thread finds each box of this process
// on screen (run under a display), reads it and presses a button.
#pragma once

#include "support/bytes.h"
#include "support/win32.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

struct ShownBox {
    std::u16string caption;
    std::u16string text;
    UINT style = 0;       // known on POSIX only
    RECT rect = {};       // known on Windows only
};

class MessageBoxCapture {
public:
    explicit MessageBoxCapture(int answer = IDOK);
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture &) = delete;
    MessageBoxCapture &operator=(const MessageBoxCapture &) = delete;

    std::vector<ShownBox> boxes() const;

private:
    void record(ShownBox box);
#ifdef _WIN32
    void watch();
    std::thread watcher_;
    std::atomic<bool> stop_{false};
#else
    static int handle(void *context, HWND, LPCWSTR text, LPCWSTR caption, UINT type);
    QuorvelMessageBoxHandler previous_ = nullptr;
#endif
    int answer_;
    mutable std::mutex lock_;
    std::vector<ShownBox> boxes_;
};

// Whether one box was shown and it carries the database engine's error
// `number` ("0x800A" and the number in hexadecimal).
bool one_box_with(const MessageBoxCapture &capture, int number);

}  // namespace test
