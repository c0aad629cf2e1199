// Folder-name hiding: a name packed to bytes, scrambled with one byte of
// the password, and written with a file-name-safe 64-character alphabet.
#include <quorvel/encrypt.h>

#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

const char kAlphabet[] = "_0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+";
constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kMarker = '1';

unsigned char password_byte(const unsigned short *password) {
    unsigned char byte = 0xB5;
    for (; *password; ++password) byte ^= static_cast<unsigned char>(*password);
    return byte;
}

// Units with a high byte of 0 as one byte, others as two (low first); the
// pair 00 1B enters the two-byte mode and 1B 00 leaves it.
Bytes pack(const unsigned short *name) {
    Bytes packed;
    bool wide = false;
    for (; *name; ++name) {
        const unsigned char low = static_cast<unsigned char>(*name), high = *name >> 8;
        if (high == 0) {
            if (wide) packed.insert(packed.end(), {kEscape, 0});
            wide = false;
            packed.push_back(low);
        } else {
            if (!wide) packed.insert(packed.end(), {0, kEscape});
            wide = true;
            packed.insert(packed.end(), {low, high});
        }
    }
    return packed;
}

unsigned char value_of(unsigned short character) {
    const char *at = std::strchr(kAlphabet, static_cast<unsigned char>(character));
    return at && *at ? static_cast<unsigned char>(at - kAlphabet) : 0;
}

// A malloc'd wide copy: 2 bytes per unit and 4 more, as the callers free it.
unsigned short *copy_out(const std::vector<unsigned short> &text) {
    auto *result = static_cast<unsigned short *>(std::malloc(text.size() * 2 + 4));
    if (!result) return nullptr;
    std::memcpy(result, text.data(), text.size() * 2);
    result[text.size()] = 0;
    return result;
}

bool empty(const unsigned short *text) { return !text || !*text; }

}  // namespace

unsigned short *Enc_EncryptFolder(const unsigned short *name, const unsigned short *password) {
    if (empty(name) || empty(password)) return nullptr;
    const unsigned char key = password_byte(password);
    Bytes scrambled{kMarker};
    for (unsigned char byte : pack(name)) scrambled.push_back(byte ^ key);

    std::vector<unsigned short> text;
    for (size_t i = 0; i < scrambled.size(); i += 3) {
        const size_t n = scrambled.size() - i < 3 ? scrambled.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < n ? scrambled[i + k] : 0);
        // n bytes give n + 1 characters; no padding is written.
        for (size_t k = 0; k <= n; ++k) text.push_back(kAlphabet[(group >> (18 - 6 * k)) & 63]);
    }
    return copy_out(text);
}

unsigned short *Enc_DecryptFolder(const unsigned short *text, const unsigned short *password) {
    if (empty(text) || empty(password)) return nullptr;
    const size_t characters = platform::u16_length(text);
    Bytes bytes((characters + 3) / 4 * 3 + 4, 0);
    for (size_t i = 0; i < characters; ++i) {
        // Each character holds 6 bits, most significant first.
        const size_t bit = i * 6;
        const unsigned value = value_of(text[i]);
        const unsigned shifted = value << (10 - bit % 8);
        bytes[bit / 8] |= static_cast<unsigned char>(shifted >> 8);
        bytes[bit / 8 + 1] |= static_cast<unsigned char>(shifted);
    }
    const size_t useful = characters * 6 / 8;
    const unsigned char key = password_byte(password);
    // Byte 0 is the marker; bytes past the useful ones read as 0.
    Bytes packed(useful > 0 ? useful - 1 : 0);
    for (size_t i = 0; i < packed.size(); ++i) packed[i] = bytes[i + 1] ^ key;
    packed.insert(packed.end(), {0, 0, 0, 0});

    std::vector<unsigned short> name;
    bool wide = false;
    for (size_t i = 0; i + 4 < packed.size();) {
        if (!wide && packed[i] == 0 && packed[i + 1] == kEscape) {
            wide = true;
            i += 2;
        } else if (wide && packed[i] == kEscape && packed[i + 1] == 0) {
            wide = false;
            i += 2;
        }
        unsigned short unit = packed[i++];
        if (wide) unit |= static_cast<unsigned short>(packed[i++] << 8);
        name.push_back(unit);
    }
    size_t end = 0;
    while (end < name.size() && name[end]) ++end;
    name.resize(end);
    return copy_out(name);
}
