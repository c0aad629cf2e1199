// The code pages behind MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include "platform/win32.h"

namespace platform {

using u16 = unsigned short;

// Marks a Unicode character that a table cannot encode.
constexpr u16 kNoCode = 0xFFFF;

// A code page as Windows describes it (code_page_table): bytes to units,
// and units to bytes with the best-fit forms that WideCharToMultiByte
// writes unless told WC_NO_BEST_FIT_CHARS.
struct CodePageTable {
    u16 defaultChar;          // the bytes written for a unit with no form ('?')
    u16 uniDefaultChar;       // the unit read for bytes with no mapping
    u16 transDefaultChar;     // the unit whose own form is defaultChar
    u16 transUniDefaultChar;  // the bytes whose own unit is uniDefaultChar
    const u16 *single;        // byte -> unit
    // Double-byte code pages: for each byte, the offset from `leads` of its
    // 256 trail units, 0 when it is no lead byte. Null in single-byte ones.
    const u16 *leads;
    // Unit -> bytes: 65,536 bytes in a single-byte code page; in a
    // double-byte one 65,536 words, a byte (< 0x100) or lead << 8 | trail.
    const void *encode;
    // The first two lead-byte ranges, [lo, hi] each (0, 0 when unused):
    // all that 932 has, for the conversions that find leads 16 bytes at a
    // time.
    unsigned char leadRanges[4];
    bool asciiKept;  // bytes below 0x80 and their units map to each other

    bool lead(unsigned char b) const { return leads && leads[b]; }
    u16 pair(unsigned char lead, unsigned char trail) const { return leads[leads[lead] + trail]; }
    // Whether `bytes` (one byte, or a pair) map to `unit` of their own
    // rather than to the default character.
    bool defined(u16 bytes, u16 unit) const {
        return unit != uniDefaultChar || bytes == transUniDefaultChar;
    }
    // Whether `bytes`, written for `unit`, are its own form (not best fit).
    bool round_trips(u16 unit, u16 bytes) const {
        return (bytes < 0x100 ? single[bytes] : pair(bytes >> 8, bytes & 0xFF)) == unit;
    }
};

// Code pages 932 and 1252; null for any other.
const CodePageTable *code_page_table(UINT codePage);

// The unit's upper- or lower-case form, as LCMapStringW gives it.
u16 map_case(u16 unit, bool lower);

// Unit -> EUC-JP (code page 51932): a byte, 0x8E00 | kana, or a pair;
// kNoCode when there is none. Built from 932's table on first use.
const u16 *euc_jp_encode_table();

// The ANSI code page in force (GetACP), and the code page a call's
// argument stands for (CP_ACP, CP_THREAD_ACP, CP_OEMCP resolved).
UINT ansi_code_page();
UINT resolve_code_page(UINT codePage);

}  // namespace platform
