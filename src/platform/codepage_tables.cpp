// Code page and case tables as Windows has them: the NLS files c_932.nls,
// c_1252.nls and l_intl.nls of Debian's libwine package (Microsoft's format
// and mappings, best-fit forms included), embedded in the library at build
// time.
#include "platform/codepage.h"
#include "platform/codepage_jis.h"

#include <cstring>
#include <memory>
#include <mutex>

#define QUORVEL_EMBED(symbol, file)                                                      \
    asm(".pushsection .rodata\n.balign 4\n.hidden " #symbol "\n.globl " #symbol "\n" #symbol \
        ":\n.incbin \"" QUORVEL_NLS_DIR "/" file "\"\n.popsection\n")

QUORVEL_EMBED(quorvel_nls_932, "c_932.nls");
QUORVEL_EMBED(quorvel_nls_1252, "c_1252.nls");
QUORVEL_EMBED(quorvel_nls_case, "l_intl.nls");

extern "C" {
__attribute__((visibility("hidden"))) extern const platform::u16 quorvel_nls_932[];
__attribute__((visibility("hidden"))) extern const platform::u16 quorvel_nls_1252[];
__attribute__((visibility("hidden"))) extern const platform::u16 quorvel_nls_case[];
}

namespace platform {
namespace {

// The bytes a unit is written as (a byte, or lead << 8 | trail).
u16 unit_form(const CodePageTable &t, u16 unit) {
    if (t.leads) return static_cast<const u16 *>(t.encode)[unit];
    return static_cast<const unsigned char *>(t.encode)[unit];
}

// Reads an NLS file's header and finds its tables: a header of 13 words
// (its size, the code page, the longest character, the four default
// characters, the lead-byte ranges), then a section of byte-to-unit tables
// (256 units, an optional glyph table, the lead bytes' trail tables), then
// the unit-to-bytes table of 65,536 entries. Little-endian words, as the
// x86 hosts this library runs on read them.
CodePageTable parse(const u16 *file) {
    CodePageTable t{};
    t.defaultChar = file[3];
    t.uniDefaultChar = file[4];
    t.transDefaultChar = file[5];
    t.transUniDefaultChar = file[6];
    const u16 *section = file + file[0];
    t.encode = section + section[0] + 1;
    t.single = section + 1;
    const u16 *after = t.single + 256;
    if (*after++) after += 256;  // glyph table
    if (*after) t.leads = after + 1;
    std::memcpy(t.leadRanges, file + 7, sizeof t.leadRanges);
    t.asciiKept = true;
    for (u16 c = 0; c < 0x80; ++c)
        if (t.single[c] != c || unit_form(t, c) != c) t.asciiKept = false;
    return t;
}

}  // namespace

const CodePageTable *code_page_table(UINT codePage) {
    static const CodePageTable cp932 = parse(quorvel_nls_932);
    static const CodePageTable cp1252 = parse(quorvel_nls_1252);
    if (codePage == 932) return &cp932;
    if (codePage == 1252) return &cp1252;
    return nullptr;
}

// l_intl.nls: a word of flags, the upper-case table's size, then the upper-
// and lower-case tables, each three levels of offsets (by the unit's top 8,
// next 4 and last 4 bits) down to the delta to add.
u16 map_case(u16 unit, bool lower) {
    const u16 *t = quorvel_nls_case + 2 + (lower ? quorvel_nls_case[1] : 0);
    return static_cast<u16>(unit + t[t[t[unit >> 8] + (unit >> 4 & 0x0F)] + (unit & 0x0F)]);
}

// Code page 51932 writes what 932 holds in JIS X 0208 form: ASCII, kana
// after 0x8E, and each pair of a row below 0xF0 with 0x80 set on both
// bytes. A character with several pairs takes the lowest JIS code.
const u16 *euc_jp_encode_table() {
    static std::once_flag once;
    static std::unique_ptr<u16[]> table;
    std::call_once(once, [] {
        table.reset(new u16[0x10000]);
        u16 *euc = table.get();
        const CodePageTable &cp = *code_page_table(932);
        for (unsigned c = 0; c < 0x10000; ++c) euc[c] = kNoCode;
        for (unsigned b = 0; b < 0x80; ++b) euc[b] = static_cast<u16>(b);
        for (unsigned b = 0xA1; b <= 0xDF; ++b) euc[cp.single[b]] = static_cast<u16>(0x8E00 | b);
        for (unsigned lead = 0x81; lead < 0xF0; ++lead) {
            if (!cp.lead(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const u16 c = cp.pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                if (!cp.defined(static_cast<u16>(lead << 8 | trail), c)) continue;
                const unsigned j = jis::sjis_to_jis(static_cast<unsigned char>(lead),
                                                    static_cast<unsigned char>(trail));
                if (j && (euc[c] == kNoCode || (j | 0x8080) < euc[c])) euc[c] = static_cast<u16>(j | 0x8080);
            }
        }
    });
    return table.get();
}

}  // namespace platform
