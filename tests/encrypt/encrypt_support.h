// What the encryption tests share: a Japanese system (code page 932 on
// POSIX, UTC+9 on both builds), the reference containers written by
// scripts/encrypt-vectors.py, and a sandbox folder per test.
#pragma once

#include <quorvel/encrypt.h>

#include "support/bytes.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace enc_test {

// The reference containers' password, key time and file times
// (2020-01-02 03:04:05 and 2021-02-03 04:05:06 UTC).
constexpr char16_t kPassword[] = u"password";
constexpr LONG kKeyTime = 1700000000;
constexpr int32_t kCreated = 1577934245, kWritten = 1612325106;

using test::u16;
inline std::u16string text_of(const unsigned short *text) {
    return text ? std::u16string(reinterpret_cast<const char16_t *>(text)) : u"(null)";
}

// tests/data/encrypt/<name>.cpt
test::Bytes reference(const std::string &name);

using Tree = std::set<std::string>;

class Sandbox : public ::testing::Test {
protected:
    test::Scratch scratch;
    std::u16string path(const std::string &name) { return scratch.path(name); }
    void put(const std::string &name, const test::Bytes &content) { scratch.write(name, content); }
    Tree tree(const std::string &folder = "") { return scratch.tree(folder); }
    // Gives the file the reference times; false where the system keeps no
    // creation time (Wine on Linux, which then reports the last-write time).
    bool set_times(const std::string &name, int32_t created = kCreated);
    int seal(const std::string &name, const std::string &container,
             const char16_t *password = kPassword) {
        return Enc_EncryptHead(u16(password), u16(path(name)), u16(path(container)), kKeyTime);
    }
    // Restores the container into the folder, made first.
    int restore(const std::string &container, const std::string &folder,
                const char16_t *password = kPassword);
};

}  // namespace enc_test
