#include "host_path.h"

#include <quorvel/base.h>

#include <climits>
#include <cstdlib>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace cli {

std::string utf8(const unsigned short *text) {
    std::string out;
    for (size_t i = 0; text[i]; ++i) {
        unsigned code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

#ifdef _WIN32

std::string host_path(const unsigned short *path) { return utf8(path); }

std::u16string library_path(const char *argument) { return text_argument(argument); }

std::u16string text_argument(const char *argument) {
    const int length = MultiByteToWideChar(CP_ACP, 0, argument, -1, nullptr, 0);
    std::vector<wchar_t> wide(length > 0 ? length : 1);
    MultiByteToWideChar(CP_ACP, 0, argument, -1, wide.data(), length);
    return std::u16string(reinterpret_cast<const char16_t *>(wide.data()));
}

#else

namespace {

// UTF-8 to UTF-16 (the command line of a POSIX host is UTF-8).
std::u16string utf16(const std::string &text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

}  // namespace

std::string host_path(const unsigned short *path) {
    std::string text = utf8(path);
    if (text.size() >= 2 && (text[0] == 'Z' || text[0] == 'z') && text[1] == ':') text.erase(0, 2);
    for (char &c : text)
        if (c == '\\') c = '/';
    return text;
}

std::u16string text_argument(const char *argument) { return utf16(argument); }

std::u16string library_path(const char *argument) {
    std::string native = argument;
    if (native.empty() || native[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) native = std::string(cwd) + "/" + native;
    }
    std::u16string path = u"Z:";
    for (char16_t c : utf16(native)) path += c == u'/' ? u'\\' : c;
    return path;
}

#endif

}  // namespace cli
