// What the encryption tests share: a Japanese system (code page 932 on
// POSIX, UTC+9 on both builds), the reference containers of
// scripts/encrypt-vectors.py, and a listing of what a run left on disk.
#pragma once

#include <quorvel/encrypt.h>

#include "support/bytes.h"
#include "support/scratch.h"

#include <filesystem>
#include <set>
#include <string>

namespace enc_test {

// The reference containers' password and key time.
constexpr char16_t kPassword[] = u"password";
constexpr LONG kKeyTime = 1700000000;

inline const unsigned short *u16(const char16_t *text) {
    return reinterpret_cast<const unsigned short *>(text);
}
inline const unsigned short *u16(const std::u16string &text) { return u16(text.c_str()); }
inline unsigned short *u16(char16_t *text) { return reinterpret_cast<unsigned short *>(text); }
inline std::u16string text_of(const unsigned short *text) {
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text)) : u"(null)";
}

// The reference containers' file times: 2020-01-02 03:04:05 and
// 2021-02-03 04:05:06 UTC.
constexpr int32_t kCreated = 1577934245;
constexpr int32_t kWritten = 1612325106;
// False where the system keeps no creation time (Wine on Linux, which then
// reports the last-write time).
bool set_reference_times(const test::Scratch &scratch, const std::string &name,
                         int32_t created = kCreated);

// tests/data/encrypt/<name>.cpt
test::Bytes reference(const std::string &name);

// Every file ("a/x") and folder ("a/") under `root`, relative, sorted.
std::set<std::string> tree(const std::filesystem::path &root);

// A path buffer of the drivers' size holding `path`.
struct PathBuffer {
    char16_t units[QUORVEL_MAX_TEXT] = {};
    explicit PathBuffer(const std::u16string &path) { path.copy(units, path.size()); }
    unsigned short *get() { return u16(units); }
    std::u16string text() const { return units; }
};

}  // namespace enc_test
