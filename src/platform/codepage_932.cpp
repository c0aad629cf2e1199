// Code page 932 tables, read once from ICU's copy of Microsoft's mapping.
// ICU supplies the mapping data only; the conversions are table walks of
// our own, so the default characters are those Windows uses.
#include "platform/codepage.h"
#include "platform/codepage_jis.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// Decodes one pair with ICU; 0 when ICU has no mapping for it.
u16 icu_pair(UConverter *converter, unsigned lead, unsigned trail) {
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(converter, out, 4, bytes, 2, &status);
    if (U_FAILURE(status) || n != 1 || out[0] == 0xFFFD || out[0] == 0x1A) return 0;
    return out[0];
}

// Several pairs decode to one character. Windows encodes it as the lowest
// pair, except that the IBM rows win over the NEC-selected copies of them.
bool preferred_for_932(unsigned candidate, unsigned current) {
    auto nec_selected = [](unsigned code) { return code >= 0xED00 && code < 0xEF00; };
    if (nec_selected(current) && !nec_selected(candidate)) return true;
    if (nec_selected(candidate) && !nec_selected(current)) return false;
    return candidate < current;
}

void build(Cp932Tables &t) {
    for (unsigned b = 0; b < 0x80; ++b) t.single[b] = static_cast<u16>(b);
    for (unsigned b = 0x80; b < 0x100; ++b) t.single[b] = 0;
    for (unsigned b = 0xA1; b <= 0xDF; ++b) t.single[b] = static_cast<u16>(0xFF61 + b - 0xA1);
    // The bytes Microsoft's table leaves undefined map to these.
    t.single[0x80] = 0x0080;
    t.single[0xA0] = 0xF8F0;
    t.single[0xFD] = 0xF8F1;
    t.single[0xFE] = 0xF8F2;
    t.single[0xFF] = 0xF8F3;
    for (auto &e : t.encode) e = kNoCode;
    for (auto &e : t.euc) e = kNoCode;
    for (unsigned b = 0; b < 0x100; ++b)
        if (t.single[b]) t.encode[t.single[b]] = static_cast<u16>(b);
    t.encode[0] = 0;
    for (unsigned b = 0; b < 0x80; ++b) t.euc[b] = static_cast<u16>(b);
    for (unsigned b = 0xA1; b <= 0xDF; ++b) t.euc[t.single[b]] = static_cast<u16>(0x8E00 | b);

    UErrorCode status = U_ZERO_ERROR;
    UConverter *converter = ucnv_open("ibm-943_P15A-2003", &status);
    if (U_FAILURE(status)) return;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::fill(std::begin(t.pair), std::end(t.pair), u16(0));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!jis::is_sjis_lead(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const u16 c = icu_pair(converter, lead, trail);
            if (!c) continue;
            const unsigned code = lead << 8 | trail;
            t.pair[code] = c;
            if (t.encode[c] == kNoCode || preferred_for_932(code, t.encode[c]))
                t.encode[c] = static_cast<u16>(code);
            // EUC-JP takes the lowest pair that has a JIS form.
            const unsigned j = jis::sjis_to_jis(static_cast<unsigned char>(lead),
                                                static_cast<unsigned char>(trail));
            if (j && (t.euc[c] == kNoCode || (j | 0x8080) < t.euc[c]))
                t.euc[c] = static_cast<u16>(j | 0x8080);
        }
    }
    ucnv_close(converter);
    t.ready = true;
}

}  // namespace

const Cp932Tables &cp932_tables() {
    static std::once_flag once;
    static std::unique_ptr<Cp932Tables> tables;
    std::call_once(once, [] {
        tables = std::make_unique<Cp932Tables>();
        build(*tables);
    });
    return *tables;
}

}  // namespace platform
