// Version resources read from module files on disk: the VS_VERSIONINFO
// block of a PE image's RT_VERSION resource (or of an ELF image's section
// ".vs_version_info"), and the walk of such a block by VerQueryValueW.
// Every offset and length read from the file is checked against the file.
#include "platform/byte_order.h"
#include "platform/native_path.h"
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kVsVersionInfo = 1;
const char16_t kRootKey[] = u"VS_VERSION_INFO";

using Bytes = platform::ByteView;

// The file offset of `length` bytes at a relative virtual address, when a
// section holds them in the file.
bool pe_offset(const Bytes &file, size_t sections, unsigned count, uint32_t rva, uint32_t length,
               size_t &offset) {
    for (unsigned i = 0; i < count; ++i) {
        const size_t at = sections + 40 * static_cast<size_t>(i);
        if (!file.has(at, 40)) return false;
        const uint32_t address = file.u32(at + 12), raw = file.u32(at + 16), start = file.u32(at + 20);
        if (rva < address || rva - address >= raw || length > raw - (rva - address)) continue;
        offset = static_cast<size_t>(start) + (rva - address);
        return file.has(offset, length);
    }
    return false;
}

// Finds the RT_VERSION resource's bytes; 0 or a Win32 error.
DWORD pe_block(const Bytes &file, size_t &at, size_t &size) {
    if (!file.has(0, 0x40) || file.u16(0) != 0x5A4D) return ERROR_BAD_FORMAT;
    const size_t pe = file.u32(0x3C);
    if (!file.has(pe, 24) || file.u32(pe) != 0x4550) return ERROR_BAD_FORMAT;
    const unsigned count = file.u16(pe + 6);
    const size_t optional = pe + 24, sections = optional + file.u16(pe + 20);
    size_t directories;
    switch (file.u16(optional)) {
    case 0x10B: directories = optional + 96; break;   // PE32
    case 0x20B: directories = optional + 112; break;  // PE32+
    default: return ERROR_BAD_FORMAT;
    }
    if (file.u32(directories - 4) < 3 || !file.has(directories + 16, 8))
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    const uint32_t rva = file.u32(directories + 16), length = file.u32(directories + 20);
    size_t root;
    if (!rva || !length) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (!pe_offset(file, sections, count, rva, length, root)) return ERROR_BAD_FORMAT;
    const Bytes resources{file.p + root, length};
    // Three levels: type, name, language. The type must be RT_VERSION, the
    // name 1 (VS_VERSION_INFO) where there is one, else the last; the
    // language the first.
    size_t directory = 0;
    for (int level = 0; level < 3; ++level) {
        if (!resources.has(directory, 16)) return ERROR_BAD_FORMAT;
        const unsigned named = resources.u16(directory + 12), ids = resources.u16(directory + 14);
        size_t chosen = 0;
        bool found = false;
        for (unsigned i = 0; i < named + ids && !found; ++i) {
            const size_t entry = directory + 16 + 8 * static_cast<size_t>(i);
            if (!resources.has(entry, 8)) return ERROR_BAD_FORMAT;
            const uint32_t name = resources.u32(entry);
            const bool by_id = i >= named;
            if (level == 2 || (by_id && name == (level == 0 ? kRtVersion : kVsVersionInfo)) ||
                (level == 1 && i + 1 == named + ids)) {
                chosen = entry;
                found = true;
            }
        }
        if (!found) return ERROR_RESOURCE_TYPE_NOT_FOUND;
        const uint32_t next = resources.u32(chosen + 4);
        // Directories below the last level, a data entry at it.
        if (((next & 0x80000000u) != 0) != (level < 2)) return ERROR_BAD_FORMAT;
        directory = next & 0x7FFFFFFFu;
    }
    if (!resources.has(directory, 16)) return ERROR_BAD_FORMAT;
    if (!pe_offset(file, sections, count, resources.u32(directory), resources.u32(directory + 4), at))
        return ERROR_BAD_FORMAT;
    size = resources.u32(directory + 4);
    return 0;
}

// The section ".vs_version_info" of a little-endian ELF image.
DWORD elf_block(const Bytes &file, size_t &at, size_t &size) {
    if (!file.has(0, 64) || file.u32(0) != 0x464C457F || file.p[5] != 1) return ERROR_BAD_FORMAT;
    const bool wide = file.p[4] == 2;
    const uint64_t table = wide ? file.u64(0x28) : file.u32(0x20);
    const unsigned entry = file.u16(wide ? 0x3A : 0x2E), count = file.u16(wide ? 0x3C : 0x30),
                   names = file.u16(wide ? 0x3E : 0x32);
    auto field = [&](unsigned index, unsigned field64, unsigned field32) -> uint64_t {
        const uint64_t base = table + static_cast<uint64_t>(index) * entry;
        return wide ? file.u64(base + field64) : file.u32(base + field32);
    };
    if (entry < (wide ? 64u : 40u) || names >= count ||
        !file.has(table, static_cast<size_t>(entry) * count))
        return ERROR_BAD_FORMAT;
    const uint64_t strings = field(names, 0x18, 0x10), strings_size = field(names, 0x20, 0x14);
    if (!file.has(strings, strings_size)) return ERROR_BAD_FORMAT;
    static const char kName[] = ".vs_version_info";
    for (unsigned i = 0; i < count; ++i) {
        const uint32_t name = file.u32(table + static_cast<uint64_t>(i) * entry);
        if (name >= strings_size || strings_size - name < sizeof kName ||
            std::memcmp(file.p + strings + name, kName, sizeof kName) != 0)
            continue;
        at = field(i, 0x18, 0x10);
        size = field(i, 0x20, 0x14);
        return file.has(at, size) ? 0 : ERROR_BAD_FORMAT;
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

// The file's version block as bytes; empty with the last error set.
std::string read_block(LPCWSTR path) {
    std::string native;
    if (!path || !platform::native_path(path, native)) return {};
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status{};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd < 0) SetLastError(errno == ENOENT ? platform::missing_code(native) : ERROR_ACCESS_DENIED);
        else SetLastError(ERROR_BAD_FORMAT);
        if (fd >= 0) ::close(fd);
        return {};
    }
    // Read, not mapped: a read past the file is then one past an allocation
    // of exactly its size, which the sanitizer builds report.
    std::vector<unsigned char> bytes(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    if (done < bytes.size()) {
        SetLastError(ERROR_IO_DEVICE);
        return {};
    }
    std::string block;
    const Bytes file{bytes.data(), bytes.size()};
    size_t at = 0, size = 0;
    DWORD error = pe_block(file, at, size);
    if (error == ERROR_BAD_FORMAT && file.u16(0) != 0x5A4D) error = elf_block(file, at, size);
    // The block's own length, its key and room for the fixed part's header.
    if (!error) {
        const Bytes found{file.p + at, size};
        const uint32_t own = found.u16(0);
        if (own < 6 + sizeof kRootKey || own > size ||
            std::memcmp(found.p + 6, kRootKey, sizeof kRootKey) != 0)
            error = ERROR_BAD_FORMAT;
        else
            block.assign(reinterpret_cast<const char *>(found.p), own);
    }
    if (error) SetLastError(error);
    return block;
}

// A node of the block: wLength, wValueLength, wType, key, value, children.
struct Node {
    size_t start, end, key, value, children;
    uint32_t value_length;
    bool text;
};

size_t align4(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

bool node_at(const Bytes &block, size_t at, size_t limit, Node &node) {
    const uint32_t length = block.u16(at);
    if (length < 6 || !block.has(at, length) || at + length > limit) return false;
    node.start = at;
    node.end = at + length;
    node.value_length = block.u16(at + 2);
    node.text = block.u16(at + 4) == 1;
    node.key = at + 6;
    size_t k = node.key;
    while (k + 2 <= node.end && block.u16(k)) k += 2;
    if (k + 2 > node.end) return false;
    node.value = align4(k + 2);
    const size_t bytes = node.value_length * (node.text ? 2u : 1u);
    // A value that claims more than its node holds is cut to the node.
    if (node.value > node.end) node.value = node.end;
    if (bytes > node.end - node.value)
        node.value_length = static_cast<uint32_t>((node.end - node.value) / (node.text ? 2 : 1));
    node.children = align4(node.value + node.value_length * (node.text ? 2u : 1u));
    return true;
}

bool same_key(const Bytes &block, size_t key, const char16_t *name, size_t length) {
    for (size_t i = 0; i < length; ++i, key += 2) {
        char16_t a = static_cast<char16_t>(block.u16(key)), b = name[i];
        if (a >= u'a' && a <= u'z') a -= 32;
        if (b >= u'a' && b <= u'z') b -= 32;
        if (a != b) return false;
    }
    return block.u16(key) == 0;
}

}  // namespace

DWORD quorvel_win32::GetFileVersionInfoSizeW(LPCWSTR path, DWORD *handle) {
    if (handle) *handle = 0;
    return static_cast<DWORD>(read_block(path).size());
}

BOOL quorvel_win32::GetFileVersionInfoW(LPCWSTR path, DWORD, DWORD size, void *data) {
    const std::string block = read_block(path);
    if (block.empty() || !data) return FALSE;
    const size_t n = block.size() < size ? block.size() : size;
    std::memcpy(data, block.data(), n);
    // A short buffer holds a shorter block: the walk stays inside it.
    if (n < block.size() && n >= 2) {
        static_cast<unsigned char *>(data)[0] = static_cast<unsigned char>(n);
        static_cast<unsigned char *>(data)[1] = static_cast<unsigned char>(n >> 8);
    }
    return TRUE;
}

BOOL quorvel_win32::VerQueryValueW(const void *data, LPCWSTR subBlock, void **value, UINT *length) {
    if (!data || !subBlock || !value || !length) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const unsigned char *bytes = static_cast<const unsigned char *>(data);
    const Bytes block{bytes, platform::load_le16(bytes)};
    Node node;
    if (!node_at(block, 0, block.n, node)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    const std::u16string path(as_u16(subBlock));
    for (size_t start = 0; start < path.size();) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        if (end > start) {
            Node child;
            bool found = false;
            for (size_t at = node.children; !found && at < node.end;) {
                if (!node_at(block, at, node.end, child)) break;
                found = same_key(block, child.key, path.data() + start, end - start);
                at = align4(child.end);
            }
            if (!found) {
                SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
                return FALSE;
            }
            node = child;
        }
        start = end + 1;
    }
    *value = const_cast<unsigned char *>(bytes + node.value);
    *length = node.value_length;
    return TRUE;
}
