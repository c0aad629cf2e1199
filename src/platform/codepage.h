// The code pages behind MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include "platform/win32.h"

namespace platform {

using u16 = unsigned short;

// Marks a Unicode character that a table cannot encode.
constexpr u16 kNoCode = 0xFFFF;

// Code page 932 as Windows has it: the JIS X 0208 rows, half-width
// katakana, the NEC rows (0x87..), the NEC-selected IBM rows (0xED, 0xEE),
// the IBM rows (0xFA..0xFC) and the user-defined rows (0xF0..0xF9, U+E000..).
struct Cp932Tables {
    bool ready = false;
    u16 single[256];     // byte -> Unicode; 0 for a lead byte
    u16 pair[0x10000];   // lead << 8 | trail -> Unicode; 0 when undefined
    u16 encode[0x10000]; // Unicode -> byte (< 0x100) or pair; kNoCode
    u16 euc[0x10000];    // Unicode -> EUC-JP: byte, 0x8E00 | kana, or pair
};

// Built on first use from ICU's "ibm-943_P15A-2003" (Microsoft's table).
const Cp932Tables &cp932_tables();

// The ANSI code page in force (GetACP), and the code page a call's
// argument stands for (CP_ACP, CP_THREAD_ACP, CP_OEMCP resolved).
UINT ansi_code_page();
UINT resolve_code_page(UINT codePage);

}  // namespace platform
