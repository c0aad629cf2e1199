#include "host_path.h"

#include <quorvel/error.h>
#include <quorvel/text.h>

namespace cli {

std::string utf8(const unsigned short *text) {
    int count = 0;
    char *bytes = Str_UnicodeToUtf8(text, count);
    if (!bytes) return {};
    std::string out(bytes, static_cast<size_t>(count));
    delete[] bytes;
    return out;
}

std::u16string from_utf8(const std::string &text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = system_utf8_to_utf16(text.data(), size, nullptr, 0);
    std::u16string out(n > 0 ? n : 0, u'\0');
    if (n > 0) system_utf8_to_utf16(text.data(), size, &out[0], n);
    return out;
}

std::string last_error_reason() {
    unsigned short text[512] = {};
    if (Err_GetMessageN(text, 512, 0) == 0) return {};
    std::string reason = utf8(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    return reason.empty() ? reason : ": " + reason;
}

std::u16string text_argument(const char *argument) { return from_utf8(argument); }

}  // namespace cli
