// Reading the container's header and entry fields, and the text forms its
// keys and names take.
#include "encrypt/container.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/text.h>

#include "calendar/runtime_clock.h"
#include "platform/byte_order.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace encrypt {
namespace {

FILETIME load_filetime(const unsigned char *bytes) {
    FILETIME time;
    time.dwLowDateTime = platform::load_le32(bytes);
    time.dwHighDateTime = platform::load_le32(bytes + 4);
    return time;
}

}  // namespace

AnsiText ansi(const unsigned short *text) {
    return AnsiText(Str_FromUnicode(text, 0xFFFFFFFFu));
}

bool ansi_digest(const std::u16string &text, unsigned char digest[33]) {
    AnsiText bytes = ansi(as_exported(text));
    if (!bytes) return false;
    Md5(reinterpret_cast<const unsigned char *>(bytes.get()), digest);
    return true;
}

void ContainerInput::read_ahead(uint32_t count) {
    const uint32_t got = Fl_Read(file_, ahead_, std::min(count, kAheadBytes));
    held_ = got == FL_FAILED ? 0 : got;
    at_ = 0;
}

bool ContainerInput::read(void *bytes, uint32_t count) {
    const uint32_t from_held = std::min(count, held_bytes());
    std::memcpy(bytes, held(), from_held);
    at_ += from_held;
    if (from_held == count) return true;
    const uint32_t rest = count - from_held;
    return Fl_Read(file_, static_cast<unsigned char *>(bytes) + from_held, rest) == rest;
}

uint32_t ContainerInput::peek(void *bytes, uint32_t count) const {
    const uint32_t got = std::min(count, held_bytes());
    std::memcpy(bytes, held(), got);
    return got;
}

void ContainerInput::passed(int64_t count) {
    at_ = count < held_bytes() ? at_ + static_cast<uint32_t>(count) : held_;
}

bool read_header(ContainerInput &input, Header &header) {
    header = Header();
    // As long as the longest layout; a shorter one leaves its last byte.
    unsigned char bytes[2 + kKeyBlockBytes + 4];
    const uint32_t got = input.peek(bytes, sizeof bytes);
    if (got == 0) return false;
    header.version = bytes[0];
    const uint32_t at = header.version >= 4 ? 2 : 1;
    if (at == 2 && got >= 2) header.cipher = bytes[1];
    header.key_block_read = got >= at + kKeyBlockBytes;
    if (header.key_block_read) std::memcpy(header.key_block, bytes + at, kKeyBlockBytes);
    if (got < at + kKeyBlockBytes + 4) return false;
    header.key_time = static_cast<int32_t>(platform::load_le32(bytes + at + kKeyBlockBytes));
    header.length = at + kKeyBlockBytes + 4;
    input.passed(header.length);
    return true;
}

bool read_entry(ContainerInput &input, unsigned char version, int64_t limit, Entry &entry) {
    entry = Entry();
    unsigned char fixed[8];
    const uint32_t attribute_bytes = version >= 2 ? 4 : 0;
    if (!input.read(fixed, 2 + attribute_bytes + 2)) return false;
    entry.level = fixed[0];
    entry.kind = fixed[1];
    if (attribute_bytes) entry.attributes = platform::load_le32(fixed + 2);
    const unsigned char *length = fixed + 2 + attribute_bytes;
    entry.name_bytes = static_cast<uint32_t>(length[0] | length[1] << 8);
    if (version <= 2) entry.name_bytes *= 2;

    // The name and the three 8-byte fields after it must lie in the file.
    const int64_t rest = limit - (2 + attribute_bytes + 2);
    if (limit >= 0 && static_cast<int64_t>(entry.name_bytes) + 24 > rest) return false;
    // The name and the fields after it with one read; the fields are then
    // moved out, leaving the name zero-padded.
    const size_t room = (entry.name_bytes + 7) / 8 * 8 + 2;
    entry.stored_name.reset(static_cast<unsigned short *>(std::calloc(room + 24, 1)));
    if (!entry.stored_name) return false;
    auto *bytes = reinterpret_cast<unsigned char *>(entry.stored_name.get());
    if (!input.read(bytes, entry.name_bytes + 24)) return false;
    unsigned char tail[24];
    std::memcpy(tail, bytes + entry.name_bytes, 24);
    std::memset(bytes + entry.name_bytes, 0, 24);
    entry.size = static_cast<int64_t>(platform::load_le64(tail));
    entry.creation = load_filetime(tail + 8);
    entry.write = load_filetime(tail + 16);
    entry.field_bytes = 2 + attribute_bytes + 2 + int64_t{entry.name_bytes} + 24;
    return true;
}

std::u16string decipher_name(const Entry &entry, const unsigned char *body_key) {
    if (!entry.stored_name || entry.name_bytes == 0) return {};
    MallocText copy(Bwf_Alloc8Byte(entry.stored_name.get(), static_cast<int32_t>(entry.name_bytes)));
    if (!copy) return {};
    Bwf_Decrypt(copy.get(), body_key, static_cast<int32_t>(entry.name_bytes));
    // The copy's two zero bytes end a name that fills its blocks exactly.
    return std::u16string(as_u16(copy.get()));
}

bool plain_name(const std::u16string &name) {
    // Windows drops a last dot or space and reads "." and ".." as steps.
    if (name.empty() || name.back() == u'.' || name.back() == u' ') return false;
    for (char16_t unit : name)
        if (unit < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(unit) != std::u16string::npos)
            return false;
    // Device names, with any extension, are no files.
    std::u16string stem = name.substr(0, name.find(u'.'));
    for (char16_t &unit : stem)
        if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
    for (const char16_t *device : {u"CON", u"PRN", u"AUX", u"NUL"})
        if (stem == device) return false;
    return !(stem.size() == 4 && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0) &&
             stem[3] >= u'1' && stem[3] <= u'9');
}

bool time_text(int32_t key_time, char16_t text[15]) {
    std::tm local{};
    if (!calendar::local_time(key_time, local)) return false;
    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%04d%02d%02d%02d%02d%02d",
                                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour, local.tm_min, local.tm_sec);
    if (n != 14) return false;
    for (int i = 0; i <= 14; ++i) text[i] = static_cast<char16_t>(digits[i]);
    return true;
}

}  // namespace encrypt
