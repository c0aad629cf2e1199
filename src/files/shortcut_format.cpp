// The shell link binary format and the Internet shortcut's INI text, as
// published in Microsoft's description of the shell link format
// ([MS-SHLLINK]) and as the shell writes .url files. Every offset and count
// read from a file is checked against the bytes there before it is used.
// Over 600 lines: each block's writer and reader belong side by side.
#include "files/shortcut_format.h"

#include "platform/byte_order.h"
#include "platform/win32.h"

#include <algorithm>
#include <cstring>

namespace files {
namespace {

// Link flags.
constexpr uint32_t kHasTargetIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
// Link information flags, network link flags and provider.
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr uint32_t kCommonNetworkRelativeLink = 0x2;
constexpr uint32_t kValidNetType = 0x2;
constexpr uint32_t kNetLanman = 0x00020000;
constexpr uint32_t kEnvironmentBlock = 0xA0000001;
constexpr uint32_t kEnvironmentBlockSize = 0x314;
constexpr uint32_t kHeaderSize = 0x4C;
// Target ID list: the root item of My Computer, and the extension block of
// a file entry that holds its long name.
constexpr unsigned kRootItem = 0x1F;
constexpr unsigned char kMyComputerClsid[16] = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
constexpr uint32_t kFileEntryExtension = 0xBEEF0004;
constexpr unsigned char kShellLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                               0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

std::u16string from_ansi(const char *text, size_t size) {
    std::u16string out;
    if (size == 0 || size > 0x7FFFFFFF) return out;
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), nullptr, 0);
    if (n <= 0) return out;
    out.resize(n);
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), as_wide(&out[0]),
                        n);
    return out;
}

// The ANSI form of a text; `exact` tells whether it reads back the same.
std::string to_ansi(const std::u16string &text, bool *exact = nullptr) {
    std::string out;
    if (!text.empty()) {
        const int length = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(CP_ACP, 0, as_wide(text), length, nullptr, 0, nullptr,
                                          nullptr);
        if (n > 0) {
            out.resize(n);
            WideCharToMultiByte(CP_ACP, 0, as_wide(text), length, &out[0], n, nullptr, nullptr);
        }
    }
    if (exact) *exact = from_ansi(out.data(), out.size()) == text;
    return out;
}

class Writer {
public:
    std::vector<unsigned char> bytes;
    size_t size() const { return bytes.size(); }
    void u16(uint16_t v) { raw(&v, 2); }
    void u32(uint32_t v) { raw(&v, 4); }
    void u64(uint64_t v) { raw(&v, 8); }
    void put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }
    void ansi_z(const std::string &text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    void wide_z(const std::u16string &text) {
        for (char16_t c : text) u16(c);
        u16(0);
    }

private:
    // Little-endian whatever the host's order is.
    void raw(const void *value, int n) {
        uint64_t v = 0;
        std::memcpy(&v, value, n);
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
};

// Bounds-checked little-endian reads over a span of bytes.
class Reader {
public:
    Reader(const unsigned char *bytes, size_t size) : bytes_(bytes), size_(size) {}
    size_t size() const { return size_; }
    bool has(size_t at, size_t n) const { return view().has(at, n); }
    platform::ByteView view() const { return {bytes_, size_}; }
    uint32_t u16(size_t at) const { return view().u16(at); }
    uint32_t u32(size_t at) const { return view().u32(at); }
    uint64_t u64(size_t at) const { return view().u64(at); }
    const unsigned char *at(size_t at) const { return bytes_ + at; }
    Reader sub(size_t at, size_t n) const { return Reader(bytes_ + at, n); }
    // A zero-terminated text starting at `at`; false when it runs past the end.
    bool ansi_z(size_t at, std::u16string &out) const {
        if (at >= size_) return false;
        const void *end = std::memchr(bytes_ + at, 0, size_ - at);
        if (!end) return false;
        out = from_ansi(reinterpret_cast<const char *>(bytes_ + at),
                        static_cast<const unsigned char *>(end) - (bytes_ + at));
        return true;
    }
    bool wide_z(size_t at, std::u16string &out) const {
        out.clear();
        for (; has(at, 2); at += 2) {
            const char16_t c = static_cast<char16_t>(u16(at));
            if (!c) return true;
            out += c;
        }
        return false;
    }

private:
    const unsigned char *bytes_;
    size_t size_;
};

bool is_unc(const std::u16string &path) {
    return path.size() > 2 && path[0] == u'\\' && path[1] == u'\\';
}

// The link information block: where the target lives.
void write_link_info(Writer &out, const std::u16string &target) {
    bool exact = true;
    to_ansi(target, &exact);
    const uint32_t header = exact ? 0x1C : 0x24;
    const size_t start = out.size();
    out.bytes.resize(start + header);
    out.put32(start + 4, header);
    if (is_unc(target)) {
        // \\server\share is the network name, the rest the common suffix.
        size_t share_end = target.find(u'\\', 2);
        if (share_end != std::u16string::npos) share_end = target.find(u'\\', share_end + 1);
        const std::u16string net = target.substr(0, share_end);
        const std::u16string suffix =
            share_end == std::u16string::npos ? std::u16string() : target.substr(share_end + 1);
        out.put32(start + 8, kCommonNetworkRelativeLink);
        const size_t network = out.size();
        const uint32_t network_header = exact ? 0x14 : 0x1C;
        out.put32(start + 20, static_cast<uint32_t>(network - start));
        out.u32(0);  // size, below
        out.u32(kValidNetType);
        out.u32(network_header);  // network name
        out.u32(0);               // no device name
        out.u32(kNetLanman);
        if (!exact) {
            out.u32(0);  // the Unicode network name, below
            out.u32(0);
        }
        out.ansi_z(to_ansi(net));
        if (!exact) {
            out.put32(network + 20, static_cast<uint32_t>(out.size() - network));
            out.wide_z(net);
        }
        out.put32(network, static_cast<uint32_t>(out.size() - network));
        out.put32(start + 24, static_cast<uint32_t>(out.size() - start));
        out.ansi_z(to_ansi(suffix));
        if (!exact) {
            out.put32(start + 32, static_cast<uint32_t>(out.size() - start));
            out.wide_z(suffix);
        }
    } else {
        out.put32(start + 8, kVolumeIdAndLocalBasePath);
        out.put32(start + 12, static_cast<uint32_t>(out.size() - start));
        out.u32(0x11);          // volume id: its size,
        out.u32(DRIVE_FIXED);   // the drive type,
        out.u32(0);             // no serial number,
        out.u32(0x10);          // and an empty label right after
        out.bytes.push_back(0);
        out.put32(start + 16, static_cast<uint32_t>(out.size() - start));
        out.ansi_z(to_ansi(target));
        out.put32(start + 24, static_cast<uint32_t>(out.size() - start));
        out.ansi_z(std::string());
        if (!exact) {
            out.put32(start + 28, static_cast<uint32_t>(out.size() - start));
            out.wide_z(target);
        }
    }
    out.put32(start, static_cast<uint32_t>(out.size() - start));
}

// The target ID list the shell-link object writes for a drive path: the My
// Computer item, the drive's, then a file entry for each folder and the
// last name (its ANSI name, then an extension block with the UTF-16 one).
// Empty when the target is no drive path or does not fit the list's
// 16-bit sizes.
std::vector<unsigned char> id_list_of(const ShellLink &link) {
    const std::u16string &path = link.target;
    Writer out;
    if (path.size() < 3 || path[1] != u':' || path[2] != u'\\' ||
        static_cast<unsigned>((path[0] | 0x20) - 'a') >= 26)
        return {};
    out.u16(20);
    out.u16(kRootItem);
    out.bytes.insert(out.bytes.end(), kMyComputerClsid, kMyComputerClsid + 16);
    out.u16(25);
    out.bytes.push_back(0x23);  // a drive, its "X:" in 20 bytes and 2 more
    out.bytes.push_back(static_cast<unsigned char>(path[0]));
    out.bytes.push_back(':');
    out.bytes.push_back('\\');
    out.bytes.resize(out.size() + 19);
    for (size_t start = 3; start < path.size();) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        const std::u16string name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty()) continue;
        const bool last = end == path.size();
        const bool folder = !last || (link.attributes & FILE_ATTRIBUTE_DIRECTORY);
        const size_t item = out.size();
        out.u16(0);  // its size, below
        out.bytes.push_back(folder ? 0x31 : 0x32);
        out.bytes.push_back(0);
        uint16_t date = 0, time = 0;
        FILETIME utc{static_cast<DWORD>(link.written), static_cast<DWORD>(link.written >> 32)}, local;
        SYSTEMTIME t;
        if (last && link.written && FileTimeToLocalFileTime(&utc, &local) &&
            FileTimeToSystemTime(&local, &t) && t.wYear >= 1980 && t.wYear < 2108) {
            date = static_cast<uint16_t>((t.wYear - 1980) << 9 | t.wMonth << 5 | t.wDay);
            time = static_cast<uint16_t>(t.wHour << 11 | t.wMinute << 5 | t.wSecond / 2);
        }
        out.u32(last ? link.size : 0);
        out.u16(date);
        out.u16(time);
        out.u16(static_cast<uint16_t>(last ? link.attributes : FILE_ATTRIBUTE_DIRECTORY));
        out.ansi_z(to_ansi(name));
        if ((out.size() - item) & 1) out.bytes.push_back(0);
        // The extension as Windows XP writes it (version 3), which every
        // later shell and Wine read: the long name at offset 20.
        const size_t extension = out.size();
        out.u16(static_cast<uint16_t>(20 + 2 * (name.size() + 1) + 2));
        out.u16(3);
        out.u32(kFileEntryExtension);
        out.bytes.resize(out.size() + 12);  // creation and access times, unknown
        out.wide_z(name);
        out.u16(static_cast<uint16_t>(extension - item));
        if (out.size() - item > 0xFFFF) return {};
        out.bytes[item] = static_cast<unsigned char>(out.size() - item);
        out.bytes[item + 1] = static_cast<unsigned char>((out.size() - item) >> 8);
    }
    out.u16(0);
    return out.size() <= 0xFFFF ? out.bytes : std::vector<unsigned char>();
}

// The target named by a link information block; false when the block is
// inconsistent.
bool read_link_info(const Reader &info, std::u16string &target) {
    const uint32_t header = info.u32(4), flags = info.u32(8);
    if (header < 0x1C || !info.has(0, header)) return false;
    const bool unicode = header >= 0x24;
    std::u16string suffix;
    const bool wide_suffix = unicode && info.u32(32);
    const uint32_t suffix_at = wide_suffix ? info.u32(32) : info.u32(24);
    if (suffix_at &&
        !(wide_suffix ? info.wide_z(suffix_at, suffix) : info.ansi_z(suffix_at, suffix)))
        return false;
    if (flags & kVolumeIdAndLocalBasePath) {
        const uint32_t volume = info.u32(12);
        if (!info.has(volume, 16) || info.u32(volume) < 16 || !info.has(volume, info.u32(volume)))
            return false;
        const bool wide_base = unicode && info.u32(28);
        const uint32_t base_at = wide_base ? info.u32(28) : info.u32(16);
        std::u16string base;
        if (!(wide_base ? info.wide_z(base_at, base) : info.ansi_z(base_at, base))) return false;
        target = base + suffix;
        return true;
    }
    if (flags & kCommonNetworkRelativeLink) {
        const uint32_t at = info.u32(20);
        if (!info.has(at, 20) || info.u32(at) < 20 || !info.has(at, info.u32(at))) return false;
        const Reader network = info.sub(at, info.u32(at));
        const uint32_t name_at = network.u32(8);
        const bool wide_name = name_at > 0x14 && network.has(20, 4) && network.u32(20);
        std::u16string net;
        if (!(wide_name ? network.wide_z(network.u32(20), net) : network.ansi_z(name_at, net)))
            return false;
        target = suffix.empty() ? net : net + u'\\' + suffix;
        return true;
    }
    target.clear();
    return true;
}

// A file entry item's name: the long one of its extension block when the
// block is there and new enough to hold one, else the primary (short) name,
// which follows the type, size, time and attributes.
bool file_entry_name(const Reader &item, std::u16string &name) {
    constexpr size_t kPrimary = 14;
    size_t end = kPrimary;
    if (item.u16(2) & 0x04) {  // a UTF-16 primary name
        if (!item.wide_z(kPrimary, name)) return false;
        end += 2 * (name.size() + 1);
    } else {
        if (!item.ansi_z(kPrimary, name)) return false;
        end += std::strlen(reinterpret_cast<const char *>(item.at(kPrimary))) + 1;
    }
    const size_t block = (end + 1) & ~static_cast<size_t>(1);
    if (!item.has(block, 8) || item.u32(block + 4) != kFileEntryExtension) return !name.empty();
    const Reader extension =
        item.sub(block, std::min<size_t>(item.u16(block), item.size() - block));
    // Where the long name starts, by the block's version.
    const uint32_t version = extension.u16(2);
    const size_t at = version >= 9 ? 46 : version == 8 ? 42 : version == 7 ? 38 : 20;
    std::u16string long_name;
    if (version >= 3 && extension.wide_z(at, long_name) && !long_name.empty()) name = long_name;
    return !name.empty();
}

// The path that a target ID list names: the My Computer root item (which
// may be left out), a drive item ("C:\"), then a file entry for each
// folder and the file. False for any other item, an item past the list's
// end or an empty one, and a path too long for the library's buffers.
bool read_id_list(const Reader &list, std::u16string &path) {
    path.clear();
    bool root = false;
    for (size_t at = 0;;) {
        const size_t size = list.u16(at);
        if (!list.has(at, 2) || (size != 0 && (size < 4 || !list.has(at, size)))) return false;
        if (size == 0) break;
        const Reader item = list.sub(at, size);
        at += size;
        const unsigned type = item.u16(2) & 0xFF;
        if (path.empty() && !root && type == kRootItem) {
            if (!item.has(4, 16) || std::memcmp(item.at(4), kMyComputerClsid, 16) != 0)
                return false;
            root = true;
        } else if (path.empty()) {
            const unsigned char *drive = item.has(3, 3) ? item.at(3) : nullptr;
            const bool letter = drive && static_cast<unsigned>((drive[0] | 0x20) - 'a') < 26;
            if ((type & 0x70) != 0x20 || !letter || drive[1] != ':' || drive[2] != '\\')
                return false;
            path = {static_cast<char16_t>(drive[0]), u':'};
        } else {
            std::u16string name;
            if ((type & 0x70) != 0x30 || !file_entry_name(item, name) ||
                name.find_first_of(u"\\/") != std::u16string::npos)
                return false;
            path += u'\\' + name;
        }
        if (path.size() >= QUORVEL_MAX_TEXT) return false;
    }
    if (path.size() == 2) path += u'\\';
    return !path.empty();
}

// Base64 of UTF-7 (RFC 2152).
const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64_value(unsigned char c) {
    const char *p = c ? std::strchr(kBase64, c) : nullptr;
    return p ? static_cast<int>(p - kBase64) : -1;
}

// Printable ASCII stands for itself, but for '+', which opens a shifted run,
// and '\' and '~', which RFC 2152 leaves out of the direct set.
bool direct(char16_t c) { return c >= 0x20 && c < 0x7F && c != u'+' && c != u'\\' && c != u'~'; }

std::string to_utf7(const std::u16string &text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (direct(text[i])) {
            out += static_cast<char>(text[i++]);
            continue;
        }
        if (text[i] == u'+') {
            out += "+-";
            ++i;
            continue;
        }
        out += '+';
        uint32_t bits = 0;
        int count = 0;
        for (; i < text.size() && !direct(text[i]) && text[i] != u'+'; ++i) {
            bits = bits << 16 | text[i];
            count += 16;
            while (count >= 6) out += kBase64[(bits >> (count -= 6)) & 0x3F];
        }
        if (count) out += kBase64[(bits << (6 - count)) & 0x3F];
        out += '-';
    }
    return out;
}

bool from_utf7(const std::string &text, std::u16string &out) {
    out.clear();
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i++]);
        if (c >= 0x80) return false;
        if (c != '+') {
            out += static_cast<char16_t>(c);
            continue;
        }
        if (i < text.size() && text[i] == '-') {
            out += u'+';
            ++i;
            continue;
        }
        uint32_t bits = 0;
        int count = 0;
        for (int v; i < text.size() && (v = base64_value(text[i])) >= 0; ++i) {
            bits = (bits << 6 | v) & 0x3FFFFF;
            if ((count += 6) >= 16) out += static_cast<char16_t>(bits >> (count -= 16));
        }
        if (i < text.size() && text[i] == '-') ++i;
    }
    return true;
}

// The value of `key` in `[section]` of INI text, as the profile functions
// read it: names without regard to case, blanks around the value dropped.
bool ini_value(const std::u16string &text, const char16_t *section, const char16_t *key,
               std::u16string &value) {
    auto same = [](const std::u16string &a, const char16_t *b) {
        size_t i = 0;
        for (; i < a.size() && b[i]; ++i) {
            const char16_t x = a[i] >= u'a' && a[i] <= u'z' ? a[i] - 32 : a[i];
            const char16_t y = b[i] >= u'a' && b[i] <= u'z' ? b[i] - 32 : b[i];
            if (x != y) return false;
        }
        return i == a.size() && !b[i];
    };
    auto trim = [](std::u16string s) {
        const size_t first = s.find_first_not_of(u" \t");
        if (first == std::u16string::npos) return std::u16string();
        return s.substr(first, s.find_last_not_of(u" \t") - first + 1);
    };
    bool inside = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string line = trim(text.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line[0] == u'[') {
            const size_t close = line.find(u']');
            inside = close != std::u16string::npos && same(trim(line.substr(1, close - 1)), section);
        } else if (inside) {
            const size_t equals = line.find(u'=');
            if (equals != std::u16string::npos && same(trim(line.substr(0, equals)), key)) {
                value = trim(line.substr(equals + 1));
                if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
                    value = value.substr(1, value.size() - 2);
                return true;
            }
        }
    }
    return false;
}

}  // namespace

std::vector<unsigned char> encode_link(const ShellLink &link) {
    Writer out;
    uint32_t flags = kIsUnicode;
    if (!link.target.empty()) flags |= kHasLinkInfo;
    const std::vector<unsigned char> id_list = id_list_of(link);
    if (!id_list.empty()) flags |= kHasTargetIdList;
    const std::pair<uint32_t, const std::u16string *> strings[] = {
        {kHasName, &link.description},          {kHasRelativePath, &link.relative_path},
        {kHasWorkingDir, &link.working_folder}, {kHasArguments, &link.arguments},
        {kHasIconLocation, &link.icon_location}};
    for (const auto &s : strings)
        if (!s.second->empty()) flags |= s.first;

    out.u32(kHeaderSize);
    out.bytes.insert(out.bytes.end(), kShellLinkClsid, kShellLinkClsid + 16);
    out.u32(flags);
    out.u32(link.attributes);
    out.u64(link.created);
    out.u64(link.accessed);
    out.u64(link.written);
    out.u32(link.size);
    out.u32(static_cast<uint32_t>(link.icon_index));
    out.u32(link.show_command);
    out.u16(link.hotkey);
    out.u16(0);
    out.u32(0);
    out.u32(0);
    if (flags & kHasTargetIdList) {
        out.u16(static_cast<uint16_t>(id_list.size()));
        out.bytes.insert(out.bytes.end(), id_list.begin(), id_list.end());
    }
    if (flags & kHasLinkInfo) write_link_info(out, link.target);
    for (const auto &s : strings) {
        if (!(flags & s.first)) continue;
        // Counted, not terminated; the count is 16 bits.
        const size_t n = s.second->size() < 0xFFFF ? s.second->size() : 0xFFFF;
        out.u16(static_cast<uint16_t>(n));
        for (size_t i = 0; i < n; ++i) out.u16((*s.second)[i]);
    }
    out.u32(0);  // the terminal extra-data block
    return out.bytes;
}

bool decode_link(const unsigned char *bytes, size_t size, ShellLink &link) {
    const Reader in(bytes, size);
    if (!in.has(0, kHeaderSize) || in.u32(0) != kHeaderSize ||
        std::memcmp(in.at(4), kShellLinkClsid, 16) != 0)
        return false;
    link = ShellLink();
    const uint32_t flags = in.u32(20);
    link.attributes = in.u32(24);
    link.created = in.u64(28);
    link.accessed = in.u64(36);
    link.written = in.u64(44);
    link.size = in.u32(52);
    link.icon_index = static_cast<int32_t>(in.u32(56));
    // Handed out as stored, as the shell-link object does (SW_MINIMIZE
    // included, which the library writes for a minimised start).
    link.show_command = in.u32(60);
    link.hotkey = static_cast<uint16_t>(in.u16(64));
    size_t at = kHeaderSize;
    Reader id_list(nullptr, 0);
    if (flags & kHasTargetIdList) {
        if (!in.has(at, 2) || !in.has(at + 2, in.u16(at))) return false;
        id_list = in.sub(at + 2, in.u16(at));
        at += 2 + in.u16(at);
    }
    if (flags & kHasLinkInfo) {
        const uint32_t info_size = in.u32(at);
        if (info_size < 0x1C || !in.has(at, info_size) ||
            !read_link_info(in.sub(at, info_size), link.target))
            return false;
        at += info_size;
    }
    std::u16string *const strings[] = {&link.description, &link.relative_path,
                                       &link.working_folder, &link.arguments,
                                       &link.icon_location};
    const uint32_t string_flags[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                                     kHasIconLocation};
    for (int i = 0; i < 5; ++i) {
        if (!(flags & string_flags[i])) continue;
        if (!in.has(at, 2)) return false;
        const size_t count = in.u16(at);
        at += 2;
        const size_t unit = flags & kIsUnicode ? 2 : 1;
        if (!in.has(at, count * unit)) return false;
        if (unit == 2)
            for (size_t k = 0; k < count; ++k) *strings[i] += static_cast<char16_t>(in.u16(at + 2 * k));
        else
            *strings[i] = from_ansi(reinterpret_cast<const char *>(in.at(at)), count);
        at += count * unit;
        // Some writers count a terminator too.
        strings[i]->erase(std::min(strings[i]->find(u'\0'), strings[i]->size()));
    }
    // Extra data: only the environment-variable target is of use here, for a
    // shortcut whose target has no link information (%windir%\...).
    while (in.has(at, 4) && in.u32(at) >= 8 && in.has(at, in.u32(at))) {
        const uint32_t block = in.u32(at);
        if (in.u32(at + 4) == kEnvironmentBlock && block >= kEnvironmentBlockSize &&
            link.target.empty()) {
            std::u16string unexpanded;
            in.sub(at + 268, 520).wide_z(0, unexpanded);
            WCHAR expanded[QUORVEL_MAX_TEXT];
            const DWORD n = ExpandEnvironmentStringsW(as_wide(unexpanded), expanded, QUORVEL_MAX_TEXT);
            if (n > 0 && n <= QUORVEL_MAX_TEXT)
                link.target = as_u16(expanded);
        }
        at += block;
    }
    // Last, the shell's own description of the target, when it names a file
    // on a drive.
    if (link.target.empty() && !read_id_list(id_list, link.target)) link.target.clear();
    return true;
}

std::string encode_url_file(const std::u16string &url) {
    std::string text = "[InternetShortcut]\r\nURL=" + to_ansi(url) + "\r\n";
    bool ascii = true;
    for (char16_t c : url) ascii = ascii && c < 0x80;
    if (!ascii) text += "[InternetShortcut.W]\r\nURL=" + to_utf7(url) + "\r\n";
    return text;
}

bool decode_url_file(const unsigned char *bytes, size_t size, std::u16string &url) {
    std::u16string text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < size; i += 2) text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(bytes + 3),
                                          static_cast<int>(size - 3), nullptr, 0);
        if (n > 0) {
            text.resize(n);
            MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char *>(bytes + 3),
                                static_cast<int>(size - 3), as_wide(&text[0]), n);
        }
    } else {
        // ANSI, or UTF-8 when it is well-formed UTF-8 beyond ASCII: Wine
        // writes the URL so (a Shift_JIS text seldom passes for UTF-8).
        const char *chars = reinterpret_cast<const char *>(bytes);
        const int n = size < 0x7FFFFFFF ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, chars,
                                                              static_cast<int>(size), nullptr, 0)
                                        : 0;
        if (n > 0 && static_cast<size_t>(n) < size) {
            text.resize(n);
            MultiByteToWideChar(CP_UTF8, 0, chars, static_cast<int>(size),
                                as_wide(&text[0]), n);
        } else {
            text = from_ansi(chars, size);
        }
    }
    std::u16string value;
    if (ini_value(text, u"InternetShortcut.W", u"URL", value)) {
        std::string seven;
        for (char16_t c : value) seven += c < 0x80 ? static_cast<char>(c) : '\x80';
        if (from_utf7(seven, url) && !url.empty()) return true;
    }
    if (!ini_value(text, u"InternetShortcut", u"URL", value) || value.empty()) return false;
    url = value;
    return true;
}

}  // namespace files
