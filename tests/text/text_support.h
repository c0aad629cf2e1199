// Shared helpers of the text tests: corpus files, UTF-8 in test code,
// and the ANSI code page the tests expect (932, Japanese).
#pragma once

#include <quorvel/text.h>

#include "support/data_paths.h"
#include "support/bytes.h"
#include "support/win32.h"

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace text_test {

using test::hex;

using u16string = std::basic_string<unsigned short>;

inline std::string read_file(const std::string &name) {
    std::ifstream in(std::string(QUORVEL_TEST_DATA) + "/text/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Well-formed UTF-8 only (test data).
inline u16string from_utf8(const std::string &s) {
    const std::u16string text = test::utf16(s);
    return u16string(text.begin(), text.end());
}

inline u16string u(const char16_t *text) {
    u16string out;
    while (*text) out += static_cast<unsigned short>(*text++);
    return out;
}

struct CorpusLine {
    std::string name;
    std::string utf8;
    u16string text;
};

inline std::vector<CorpusLine> corpus() {
    std::vector<CorpusLine> lines;
    for (const std::string &line : split(read_file("corpus.txt"), '\n')) {
        if (line.empty()) continue;
        auto tab = line.find('\t');
        lines.push_back({line.substr(0, tab), line.substr(tab + 1), from_utf8(line.substr(tab + 1))});
    }
    return lines;
}

// (name, encoding) -> (source, bytes)
inline std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>>
expected() {
    std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> table;
    for (const std::string &line : split(read_file("expected.bin"), '\n')) {
        if (line.empty()) continue;
        auto fields = split(line, '\t');
        table[{fields[0], fields[1]}] = {fields[2], fields[3]};
    }
    return table;
}

}  // namespace text_test
