// The in-place edits on arbitrary units, each in a buffer of exactly the
// room it asks for: Str_ReplaceStr 2 * length + 1 units, the others the
// text and its terminator.
#include <quorvel/text.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using u16 = unsigned short;

// A heap copy with exactly `room` units (at least the text and its zero).
std::unique_ptr<u16[]> copy(const std::vector<u16> &text, size_t room) {
    std::unique_ptr<u16[]> buffer(new u16[room]());
    std::copy(text.begin(), text.end(), buffer.get());
    return buffer;
}

std::vector<u16> units(const uint8_t *data, size_t size) {
    std::vector<u16> out;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const u16 c = static_cast<u16>(data[i] | data[i + 1] << 8);
        if (c) out.push_back(c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    // The first byte splits the rest into text, search and replacement.
    const size_t rest = size - 1, a = rest * (data[0] & 0x0F) / 16, b = a + (rest - a) * (data[0] >> 4) / 16;
    const std::vector<u16> text = units(data + 1, a), search = units(data + 1 + a, b - a),
                           replacement = units(data + 1 + b, rest - b);
    const std::vector<u16> searchZ = [&] { auto s = search; s.push_back(0); return s; }();
    const std::vector<u16> replacementZ = [&] { auto s = replacement; s.push_back(0); return s; }();

    Str_ReplaceStr(copy(text, 2 * text.size() + 1).get(), searchZ.data(), replacementZ.data());
    Str_Trim(copy(text, text.size() + 1).get(), search.empty() ? nullptr : searchZ.data());
    Str_TrimLeft(copy(text, text.size() + 1).get(), searchZ.data());
    Str_TrimRight(copy(text, text.size() + 1).get(), searchZ.data());
    Str_DeleteChar(copy(text, text.size() + 1).get(), search.empty() ? 0 : search[0]);
    Str_ReplaceChar(copy(text, text.size() + 1).get(), search.empty() ? 0 : search[0],
                    replacement.empty() ? 0 : replacement[0]);
    return 0;
}
