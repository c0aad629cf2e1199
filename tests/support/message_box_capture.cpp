#include "support/message_box_capture.h"
#include "support/own_dialog.h"

#include <chrono>
#include <cstdio>

namespace test {

bool one_box_with(const MessageBoxCapture &capture, int number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x800A%04X", static_cast<unsigned>(number));
    const auto boxes = capture.boxes();
    return boxes.size() == 1 && boxes[0].text.find(std::u16string(hex, hex + 10)) != std::u16string::npos;
}

std::vector<ShownBox> MessageBoxCapture::boxes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_;
}

void MessageBoxCapture::record(ShownBox box) {
    std::lock_guard<std::mutex> guard(lock_);
    boxes_.push_back(std::move(box));
}

#ifdef _WIN32

MessageBoxCapture::MessageBoxCapture(int answer) : answer_(answer) {
    watcher_ = std::thread([this] { watch(); });
}

MessageBoxCapture::~MessageBoxCapture() {
    stop_ = true;
    watcher_.join();
}

namespace {

// A message box shows its text in the static with this id.
constexpr int kMessageBoxText = 0xFFFF;

std::u16string window_text(HWND window) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return std::u16string(reinterpret_cast<const char16_t *>(buffer));
}

}  // namespace

void MessageBoxCapture::watch() {
    while (!stop_) {
        if (HWND shown = find_own_dialog(kMessageBoxText)) {
            ShownBox box;
            box.caption = window_text(shown);
            box.text = window_text(GetDlgItem(shown, kMessageBoxText));
            GetWindowRect(shown, &box.rect);
            record(box);
            SendMessageW(shown, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
            // Let the box go away before looking for the next one.
            for (int i = 0; i < 100 && IsWindow(shown); ++i) Sleep(10);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

#else

MessageBoxCapture::MessageBoxCapture(int answer) : answer_(answer) {
    previous_ = Quorvel_SetMessageBoxHandler(&MessageBoxCapture::handle, this);
}

MessageBoxCapture::~MessageBoxCapture() { Quorvel_SetMessageBoxHandler(previous_, nullptr); }

int MessageBoxCapture::handle(void *context, HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    auto *self = static_cast<MessageBoxCapture *>(context);
    ShownBox box;
    box.caption = str16(caption);
    box.text = str16(text);
    box.style = type;
    self->record(box);
    SetLastError(ERROR_SUCCESS);  // as a real box's own calls may leave it
    return self->answer_;
}

#endif

}  // namespace test
