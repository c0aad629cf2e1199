// Shift_JIS <-> JIS X 0208 row/cell arithmetic, as the C runtime's
// _mbcjmstojis and _mbcjistojms do it for code page 932. Header-only, so
// that the text layer's JIS conversions use it on both builds, beside the
// POSIX platform layer's EUC-JP.
#pragma once

namespace jis {

inline bool is_sjis_lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool is_sjis_trail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
inline bool is_halfwidth_kana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

// JIS code (row byte << 8 | cell byte) of a Shift_JIS pair, 0 when the pair
// has no JIS form: a bad pair, or a lead byte from 0xF0 up (user-defined
// and IBM extension rows), as the runtime answers.
inline unsigned sjis_to_jis(unsigned char lead, unsigned char trail) {
    if (!is_sjis_lead(lead) || lead >= 0xF0 || !is_sjis_trail(trail)) return 0;
    unsigned row = lead >= 0xE0 ? lead - 0x40 : lead;
    row = (row - 0x81) * 2 + 0x21;
    unsigned cell = trail;
    if (cell >= 0x9F) {
        ++row;
        cell -= 0x7E;
    } else {
        if (cell >= 0x80) --cell;
        cell -= 0x1F;
    }
    return row << 8 | cell;
}

// Shift_JIS pair of a JIS code; 0 unless both bytes lie in 0x21..0x7E.
inline unsigned jis_to_sjis(unsigned char row, unsigned char cell) {
    if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E) return 0;
    unsigned trail = cell;
    if (row & 1)
        trail += cell < 0x60 ? 0x1F : 0x20;
    else
        trail += 0x7E;
    unsigned lead = ((row + 1u) >> 1) + 0x70;
    if (lead >= 0xA0) lead += 0x40;
    return lead << 8 | trail;
}

}  // namespace jis
