// Str_CSVAnalyze on arbitrary lines, separators, quotes and field counts.
#include <quorvel/text.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3) return 0;
    const int maximum = data[0] % 9;
    const unsigned short separator = data[1] % 4 ? ',' : data[1];
    const unsigned short quote = data[2] % 4 ? '"' : data[2];
    std::vector<unsigned short> line;
    for (size_t i = 3; i < size; ++i) line.push_back(data[i]);
    line.push_back(0);
    unsigned short *fields[8] = {};
    Str_CSVAlloc(fields, maximum, 1);
    Str_CSVAnalyze(line.data(), fields, maximum, separator, quote);
    Str_CSVFree(fields, maximum);
    return 0;
}
