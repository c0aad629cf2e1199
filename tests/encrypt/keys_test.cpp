// Key texts, key blocks, the quick look and folder names. Expected values
// come from scripts/encrypt-vectors.py (hashlib, OpenSSL's Blowfish) and,
// for folder names, from python3's base64 over the packed, scrambled bytes
// with the alphabet swapped in.
#include "encrypt_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using enc_test::kKeyTime;
using enc_test::kPassword;
using enc_test::text_of;
using enc_test::u16;

struct Free {
    void operator()(void *block) const { std::free(block); }
};
using Owned = std::unique_ptr<unsigned short[], Free>;

TEST(EncryptKeys, BodyKeyTexts) {
    const struct {
        const char16_t *password;
        LONG key_time;
        const char16_t *expected;
    } rows[] = {
        {kPassword, kKeyTime, u"703c2e3247a79dfe087e7fd24ee6a20b20231115071320"},
        {kPassword, 0, u"703c2e3247a79dfe087e7fd24ee6a20b19700101090000"},
        {u"パスワード", kKeyTime, u"faf7f464d96a62858ddf6cdd24814d2120231115071320"},
        {u"", kKeyTime, u"(null)"},
        {nullptr, kKeyTime, u"(null)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(text_of(u16(row.password ? row.password : u"(null)")).size());
        Owned key(Enc_CreateKey(row.password ? u16(row.password) : nullptr, row.key_time, 0));
        EXPECT_EQ(text_of(key.get()), row.expected);
    }
}

TEST(EncryptKeys, KeyBlockAndItsReading) {
    Owned block(Enc_EncryptKey(u16(kPassword), kKeyTime, 0));
    ASSERT_TRUE(block);
    EXPECT_EQ(test::hex(test::Bytes(reinterpret_cast<char *>(block.get()), 96), 96),
              test::hex(enc_test::reference("a_txt").substr(2, 96), 96));

    test::Scratch scratch;
    const struct {
        const char *container;
        const char16_t *password;
        unsigned char cipher;  // after the call; 7 stands for "left alone"
        bool body_key;
    } rows[] = {
        {"a_txt", kPassword, 0, true},
        {"cipher1", kPassword, 1, true},
        {"version3", kPassword, 7, true},
        {"a_txt", u"Password", 0, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.container);
        scratch.write("c.cpt", enc_test::reference(row.container));
        unsigned char cipher = 7;
        Owned key(Enc_DecryptKey(u16(row.password), u16(scratch.path("c.cpt")), cipher));
        ASSERT_TRUE(key);
        EXPECT_EQ(cipher, row.cipher);
        EXPECT_EQ(text_of(key.get()) == u"703c2e3247a79dfe087e7fd24ee6a20b20231115071320",
                  row.body_key);
    }
    unsigned char cipher = 0;
    scratch.write("short.cpt", enc_test::reference("a_txt").substr(0, 97));
    EXPECT_FALSE(Enc_DecryptKey(u16(kPassword), u16(scratch.path("short.cpt")), cipher));
    EXPECT_FALSE(Enc_DecryptKey(u16(kPassword), u16(scratch.path("none.cpt")), cipher));
}

TEST(EncryptKeys, QuickLook) {
    test::Scratch scratch;
    const struct {
        const char *container;
        size_t cut;  // bytes kept
        const char16_t *password;
        int result;
        const char16_t *name;
    } rows[] = {
        {"a_txt", 0, kPassword, 4, u"a.txt"},
        {"version3", 0, kPassword, 3, u"a.txt"},
        {"version2", 0, kPassword, 2, u"a.txt"},
        {"version1", 0, kPassword, 1, u"a.txt"},
        {"japanese", 0, u"パスワード", 4, u"資料"},
        {"a_txt", 0, u"wrong", 0, u"-"},
        {"a_txt", 0, u"", -1, u"-"},
        {"a_txt", 120, kPassword, 4, u"-"},  // the entry is cut: no name
        {"a_txt", 60, kPassword, 0, u"-"},   // the key block is cut
        {"back_slash", 0, kPassword, 4, u"-"},
        {"cipher1", 0, kPassword, 4, u"-"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.container) + " cut " + std::to_string(row.cut));
        const test::Bytes bytes = enc_test::reference(row.container);
        scratch.write("c.cpt", row.cut ? bytes.substr(0, row.cut) : bytes);
        char16_t name[QUORVEL_MAX_TEXT] = u"-";
        EXPECT_EQ(Enc_DecryptView(u16(row.password), u16(scratch.path("c.cpt")), u16(name)),
                  row.result);
        EXPECT_EQ(std::u16string(name), row.name);
    }
    char16_t name[QUORVEL_MAX_TEXT] = u"-";
    EXPECT_EQ(Enc_DecryptView(u16(kPassword), u16(scratch.path("none.cpt")), u16(name)), -1);
}

TEST(FolderNames, EncodedTextsAndBack) {
    const struct {
        const char16_t *name, *password, *encoded;
    } rows[] = {
        {u"ab", u"\u00b5", u"bl4x"},  // password byte 0: the name's bytes unchanged
        {u"abc", u"x", u"bpNKGv"},
        {u"report", u"password", u"bsyeRHmnSv"},
        {u"資料a", u"password", u"bpFMqhnOOW5FNL"},
        {u"報告書 2026", u"パスワード", u"bfrrcAYcj+Yw6_rCcirQbf"},
        {u"a\u00e9\u4e00b", u"pw", u"bscqHFBN+9BNP_"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(text_of(u16(row.encoded)).size());
        Owned encoded(Enc_EncryptFolder(u16(row.name), u16(row.password)));
        EXPECT_EQ(text_of(encoded.get()), row.encoded);
        Owned restored(Enc_DecryptFolder(u16(row.encoded), u16(row.password)));
        EXPECT_EQ(text_of(restored.get()), row.name);
        Owned other(Enc_DecryptFolder(u16(row.encoded), u16(u"other")));
        EXPECT_NE(text_of(other.get()), row.name);
    }
    EXPECT_FALSE(Enc_EncryptFolder(u16(u""), u16(u"pw")));
    EXPECT_FALSE(Enc_EncryptFolder(u16(u"a"), nullptr));
    EXPECT_FALSE(Enc_DecryptFolder(nullptr, u16(u"pw")));
}

}  // namespace
