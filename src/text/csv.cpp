// Splitting one line of delimited text into malloc'd field buffers.
#include <quorvel/text.h>

#include "platform/utf16.h"
#include "platform/win32.h"

#include <cstdlib>
#include <cstring>

namespace {

using u16 = unsigned short;

size_t block_size(void *block) {
    if (!block) return 0;
    return _msize(block);
}

// Copies `length` units into the field, growing it to exactly length + 1
// units when it is too small. False when the memory cannot be had.
bool store(u16 *&field, const u16 *text, size_t length) {
    const size_t bytes = (length + 1) * sizeof(u16);
    if (block_size(field) < bytes) {
        void *grown = std::realloc(field, bytes);
        if (!grown) return false;
        field = static_cast<u16 *>(grown);
    }
    std::memcpy(field, text, length * sizeof(u16));
    field[length] = 0;
    return true;
}

}  // namespace

void Str_CSVAlloc(unsigned short **fields, int count, int units) {
    if (!fields || units < 0) return;
    for (int i = 0; i < count; ++i)
        fields[i] = static_cast<u16 *>(std::malloc(static_cast<size_t>(units) * sizeof(u16)));
}

void Str_CSVFree(unsigned short **fields, int count) {
    if (!fields) return;
    for (int i = 0; i < count; ++i) {
        std::free(fields[i]);
        fields[i] = nullptr;
    }
}

int Str_CSVAnalyze(unsigned short *line, unsigned short **fields, int maximum,
                   unsigned short separator, unsigned short quote) {
    if (!line || !fields || maximum <= 0) return 0;
    for (int i = 0; i < maximum; ++i)
        if (fields[i] && block_size(fields[i]) >= sizeof(u16)) fields[i][0] = 0;
    size_t n = platform::u16_length(line);
    for (size_t i = n; i > 0; --i)
        if (line[i - 1] == '\n') {
            line[i - 1] = 0;
            n = i - 1;
            break;
        }
    if (n == 0) return 0;

    int stored = 0;
    u16 *field = line;
    while (stored < maximum) {
        u16 *text = field;
        size_t length = 0;
        if (quote && *field == quote) {
            // Doubled quotes close up as the scan goes: `length` units are
            // written, `read` is where the scan stands in the line.
            text = field + 1;
            size_t read = 0;
            bool closed = false;
            while (text[read]) {
                if (text[read] == quote) {
                    const u16 next = text[read + 1];
                    if (next == separator || next == '\n' || next == 0) {
                        closed = true;
                        break;
                    }
                    if (next == quote) ++read;  // a doubled quote stands for one
                }
                text[length++] = text[read++];
            }
            if (!closed) return stored;
            text[length] = 0;
            field = text + read + 1;  // past the closing quote
        } else {
            while (text[length] && text[length] != separator) ++length;
            field = text + length;
        }
        // `field` is at what ended this one: a separator (or LF), or the end.
        const bool atEnd = *field == 0;
        *field = 0;
        text[length] = 0;
        if (!store(fields[stored], text, length)) return stored;
        ++stored;
        if (atEnd) break;
        ++field;
    }
    return stored;
}
