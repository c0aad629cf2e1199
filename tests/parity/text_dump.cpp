// Writes every UTF-16 unit and every one- and two-byte Shift_JIS sequence
// through the text conversions, one line each, so that the native and the
// Windows builds can be compared whole (scripts/text-parity). The ANSI code
// page is the system's; "ansi" limits the dump to the ANSI conversions.
#include <quorvel/text.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::FILE *out;

void line(char section, unsigned input, const void *bytes, size_t size) {
    std::fprintf(out, "%c %04x", section, input);
    if (!bytes) std::fputs(" -", out);
    for (size_t i = 0; bytes && i < size; ++i)
        std::fprintf(out, " %02x", static_cast<const unsigned char *>(bytes)[i]);
    std::fputc('\n', out);
}

void line(char section, unsigned input, const unsigned short *units) {
    const size_t n = units ? std::char_traits<char16_t>::length(reinterpret_cast<const char16_t *>(units)) : 0;
    line(section, input, units, 2 * n);
}

}  // namespace

int main(int argc, char **argv) {
    out = argc > 1 ? std::fopen(argv[1], "wb") : nullptr;
    if (!out) return 2;
    const bool all = argc < 3 || std::strcmp(argv[2], "ansi") != 0;
    for (unsigned unit = 1; unit < 0x10000; ++unit) {
        const unsigned short text[] = {static_cast<unsigned short>(unit), 0};
        std::unique_ptr<char[]> ansi(Str_FromUnicode(text, 0xFFFFFFFFu));
        line('A', unit, ansi.get(), ansi ? std::strlen(ansi.get()) : 0);
        if (!all) continue;
        int count = 0;
        std::unique_ptr<char[]> utf8(Str_UnicodeToUtf8(text, count));
        line('U', unit, utf8.get(), static_cast<size_t>(count));
        std::unique_ptr<char[]> euc(Str_UnicodeToEucJP(text, count));
        line('E', unit, euc.get(), euc ? static_cast<size_t>(count) : 0);
        for (int bit = 0; bit < 8; ++bit)
            line(static_cast<char>('0' + bit), unit, Str_ConvStr(text, static_cast<unsigned char>(1 << bit)));
    }
    // Byte sequences: each byte alone, and each byte before each trail.
    for (unsigned code = 0x01; code < 0x10000; ++code) {
        if (code > 0xFF && (code & 0xFF) == 0) continue;
        const char bytes[] = {static_cast<char>(code > 0xFF ? code >> 8 : code),
                              static_cast<char>(code > 0xFF ? code : 0), 0};
        std::unique_ptr<unsigned short[]> wide(Str_ToUnicode(bytes, 0xFFFFFFFFu));
        line('W', code, wide.get());
        if (!all) continue;
        char jis[16] = {}, back[16] = {};
        Str_SJisToJis(bytes, jis);
        Str_JisToSJis(jis, back);
        line('J', code, jis, std::strlen(jis));
        line('S', code, back, std::strlen(back));
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
