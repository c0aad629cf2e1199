// Clipboard format names: a per-process registry handing out identifiers
// from 0xC000 up, one per name compared without case, as Windows does.
#include "platform/win32.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;

// Reached from other libraries' load-time code, so built on first use.
struct Registry {
    std::mutex lock;
    std::vector<std::u16string> names;
};
Registry &registry() {
    static Registry instance;
    return instance;
}

char16_t fold(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

std::u16string folded(LPCWSTR name) {
    std::u16string out;
    for (; *name; ++name) out += fold(static_cast<char16_t>(*name));
    return out;
}

}  // namespace

UINT quorvel_win32::RegisterClipboardFormatW(LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    const std::u16string key = folded(name);
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.lock);
    for (size_t i = 0; i < r.names.size(); ++i)
        if (r.names[i] == key) return kFirstFormat + static_cast<UINT>(i);
    if (r.names.size() > kLastFormat - kFirstFormat) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    r.names.push_back(key);
    return kFirstFormat + static_cast<UINT>(r.names.size() - 1);
}
