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
// A deterministic, non-repeating pattern: byte i of a test file.
Bytes pattern(std::size_t size);

}  // namespace test
