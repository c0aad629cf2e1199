// Byte strings in tests: file contents, expected encodings.
#pragma once

#include <cstddef>
#include <string>

namespace test {

using Bytes = std::string;

// "0a1B..." as bytes.
Bytes from_hex(const char *hex);
// Bytes as "0a 1b ", at most `limit` of them.
std::string hex(const Bytes &bytes, std::size_t limit = 64);
// Well-formed UTF-8 (test data) as UTF-16.
std::u16string utf16(const std::string &utf8);
// A deterministic, non-repeating pattern: byte i of a test file.
Bytes pattern(std::size_t size);

// UTF-16 text as the interface's text type, and back.
inline const unsigned short *u16(const char16_t *text) {
    return reinterpret_cast<const unsigned short *>(text);
}
inline const unsigned short *u16(const std::u16string &text) { return u16(text.c_str()); }
inline std::u16string str16(const unsigned short *text) {
    return std::u16string(reinterpret_cast<const char16_t *>(text));
}

}  // namespace test
