// Shift_JIS <-> 7-bit JIS with escape sequences.
#include <quorvel/text.h>

#include "platform/win32.h"
#include "platform/codepage_jis.h"

namespace {

constexpr char kEsc = 0x1B;
constexpr unsigned kGetaJis = 0x222E;   // the JIS substitute mark, "〓"
constexpr unsigned kGetaSjis = 0x81AC;

// Byte classes of the multibyte code page in force: only code page 932 has
// half-width katakana and JIS forms; under another code page a pair is
// copied as it stands.
struct Classes {
    UINT codePage;
    bool lead(unsigned char b) const { return IsDBCSLeadByteEx(codePage, b) != FALSE; }
    bool kana(unsigned char b) const { return codePage == 932 && jis::is_halfwidth_kana(b); }
};

void put_escape(char *&out, char a, char b) {
    *out++ = kEsc;
    *out++ = a;
    *out++ = b;
}

}  // namespace

void Str_SJisToJis(const char *sjis, char *jis) {
    if (!jis) return;
    if (!sjis) {
        *jis = 0;
        return;
    }
    const Classes classes{GetACP()};
    const auto *in = reinterpret_cast<const unsigned char *>(sjis);
    char *out = jis;
    // A lead byte counts only when a byte follows it (never the terminator).
    auto pair_at = [&](const unsigned char *p) { return classes.lead(p[0]) && p[1] != 0; };
    while (*in) {
        if (pair_at(in)) {
            put_escape(out, '$', 'B');
            while (pair_at(in)) {
                unsigned code = in[0] << 8 | in[1];
                if (classes.codePage == 932) {
                    code = jis::sjis_to_jis(in[0], in[1]);
                    if (!code) code = kGetaJis;
                }
                *out++ = static_cast<char>(code >> 8);
                *out++ = static_cast<char>(code & 0xFF);
                in += 2;
            }
            put_escape(out, '(', 'B');
        } else if (classes.kana(*in)) {
            put_escape(out, '(', 'I');
            while (classes.kana(*in)) *out++ = static_cast<char>(*in++ & 0x7F);
            put_escape(out, '(', 'B');
        } else if (in[0] == '\r' && in[1] == '\n') {
            *out++ = '\n';
            in += 2;
        } else {
            *out++ = static_cast<char>(*in++);
        }
    }
    *out = 0;
}

void Str_JisToSJis(const char *jis, char *sjis) {
    if (!sjis) return;
    if (!jis) {
        *sjis = 0;
        return;
    }
    const auto *in = reinterpret_cast<const unsigned char *>(jis);
    const unsigned char *start = in;
    char *out = sjis;
    bool doubleByte = false, kana = false;
    while (*in) {
        const unsigned char b = *in;
        if (b == kEsc && in[1] == '$' && in[2] == 'B') {
            doubleByte = true;
            in += 3;
        } else if (b == kEsc && in[1] == '(' && in[2] == 'B') {
            doubleByte = kana = false;
            in += 3;
        } else if (b == kEsc && in[1] == '(' && in[2] == 'I') {
            kana = true;
            in += 3;
        } else if (doubleByte && b >= 0x21 && b <= 0x7E && in[1] != 0) {
            unsigned code = jis::jis_to_sjis(b, in[1]);
            if (!code) code = kGetaSjis;
            *out++ = static_cast<char>(code >> 8);
            *out++ = static_cast<char>(code & 0xFF);
            in += 2;
        } else if (kana && b >= 0x21 && b <= 0x5F) {
            *out++ = static_cast<char>(b | 0x80);
            ++in;
        } else if (b == '\n' && (in == start || in[-1] != '\r')) {
            *out++ = '\r';
            *out++ = '\n';
            ++in;
        } else {
            *out++ = static_cast<char>(b);
            ++in;
        }
    }
    *out = 0;
}
