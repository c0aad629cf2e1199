// Small UTF-16 helpers for the platform layer's own use (messages to the
// terminal, file names at the system-call boundary). Unpaired surrogates
// become U+FFFD.
#pragma once

#include <string>

namespace platform {

using u16 = unsigned short;

size_t u16_length(const u16 *text);
std::string utf16_to_utf8(const u16 *text, size_t length);
inline std::string utf16_to_utf8(const u16 *text) {
    return utf16_to_utf8(text, u16_length(text));
}
std::u16string utf8_to_utf16(const std::string &text);

}  // namespace platform
