#include "support/bytes.h"

#include <codecvt>
#include <locale>

namespace test {

Bytes from_hex(const char *hex) {
    Bytes bytes;
    for (; hex[0] && hex[1]; hex += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16));
    return bytes;
}

std::string hex(const Bytes &bytes, std::size_t limit) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += {digits[b >> 4], digits[b & 0xF], ' '};
    }
    return out;
}

// The C++ library's converter, independent of the library under test.
std::u16string utf16(const std::string &utf8) {
    return std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>().from_bytes(utf8);
}

Bytes pattern(std::size_t size) {
    Bytes bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + (i >> 8) * 3 + (i >> 16) * 11);
    return bytes;
}

}  // namespace test
