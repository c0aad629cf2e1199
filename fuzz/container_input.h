// What the container fuzz targets share: the input as a container file in
// a sandbox folder of this process, and a check that a run left nothing
// outside the sandbox's output folder.
//
// Run it with TMPDIR on a memory file system (/dev/shm): rewriting the
// container on ext4 waits for the disk at every run.
//
// Input: a mode byte, then a container. Mode bit 0 clear: the container's
// stored names are plain UTF-16 and are enciphered here under the body key
// of the seeds' password and key time first, so that mutations reach the
// reader's checks of names and levels rather than stopping at names that
// decipher to noise.
#pragma once

#include <quorvel/crypto.h>
#include <quorvel/encrypt.h>
#include "winapi/winapi.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fuzz {

inline const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

const char16_t kPassword[] = u"password";
constexpr int32_t kKeyTime = 1700000000;

struct Sandbox {
    std::filesystem::path root, folder;  // folder: root/a/b, holding c.cpt and out/
    std::u16string container, output;

    Sandbox() {
        // Failed system calls are shown as message boxes: not on the terminal.
        Quorvel_SetMessageBoxHandler([](void *, HWND, LPCWSTR, LPCWSTR, UINT) { return IDOK; },
                                     nullptr);
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        root = std::filesystem::temp_directory_path() / ("quorvel-fuzz-" + std::to_string(getpid()));
        folder = root / "a" / "b";
        std::filesystem::create_directories(folder / "out");
        container = library_path(folder / "c.cpt");
        output = library_path(folder / "out") + u"\\";
    }
    ~Sandbox() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    static std::u16string library_path(const std::filesystem::path &path) {
        std::u16string text = u"Z:";
        for (char16_t c : path.u16string()) text += c == u'/' ? u'\\' : c;
        return text;
    }

    void write(const uint8_t *data, size_t size) {
        std::ofstream(folder / "c.cpt", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }

    // Traps when anything but c.cpt and out/ is found under the root; then
    // empties out/.
    void check_and_clear() {
        for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
            const auto relative = entry.path().lexically_relative(folder).string();
            const bool allowed = relative == "c.cpt" || relative == "out" ||
                                 relative.rfind("out/", 0) == 0 ||
                                 entry.path() == root / "a" || entry.path() == folder;
            if (!allowed) {
                std::fprintf(stderr, "written outside the output folder: %s\n",
                             entry.path().c_str());
                std::abort();
            }
        }
        std::filesystem::remove_all(folder / "out");
        std::filesystem::create_directory(folder / "out");
    }
};

// Enciphers each stored name in place (mode byte bit 0 clear), walking the
// entries as the reader would; stops where the layout runs out.
inline std::string prepare(const uint8_t *data, size_t size) {
    if (size == 0) return {};
    std::string bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    if (data[0] & 1 || bytes.empty()) return bytes;
    static unsigned short *key_text = Enc_CreateKey(u16(kPassword), kKeyTime, 0);
    char key[64] = {};
    for (int i = 0; key_text && key_text[i] && i < 63; ++i) key[i] = static_cast<char>(key_text[i]);

    const unsigned char version = static_cast<unsigned char>(bytes[0]);
    size_t at = (version >= 4 ? 2 : 1) + 96 + 4;
    while (at + 4 <= bytes.size()) {
        at += 2 + (version >= 2 ? 4 : 0);
        if (at + 2 > bytes.size()) break;
        size_t length = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (version <= 2) length *= 2;
        at += 2;
        if (at + length + 24 > bytes.size()) break;
        unsigned short *copy = Bwf_Alloc8Byte(reinterpret_cast<const unsigned short *>(&bytes[at]),
                                              static_cast<int32_t>(length));
        if (!copy) break;
        Bwf_Encrypt(copy, reinterpret_cast<const unsigned char *>(key), static_cast<int32_t>(length));
        std::memcpy(&bytes[at], copy, length);
        std::free(copy);
        at += length;
        int64_t body = 0;
        std::memcpy(&body, &bytes[at], 8);  // little-endian hosts only
        at += 24;
        if (body < 0 || static_cast<uint64_t>(body) > bytes.size()) break;
        at += static_cast<size_t>((body + 7) / 8 * 8);
    }
    return bytes;
}

}  // namespace fuzz
