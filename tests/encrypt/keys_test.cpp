// Key texts, key blocks, the quick look and folder names. Expected values
// come from scripts/encrypt-vectors.py (hashlib, OpenSSL's Blowfish) and,
// for folder names, from python3's base64 over the packed, scrambled bytes
// with the alphabet swapped in.
#include "encrypt_support.h"

#include <cstdlib>
#include <memory>

namespace {

using namespace enc_test;
using Keys = Sandbox;

struct Free {
    void operator()(void *block) const { std::free(block); }
};
using Owned = std::unique_ptr<unsigned short[], Free>;

const char16_t kBodyKey[] = u"703c2e3247a79dfe087e7fd24ee6a20b20231115071320";

TEST_F(Keys, BodyKeyTextsAndBlocks) {
    const struct { const char16_t *password; LONG key_time; const char16_t *expected; } rows[] = {
        {kPassword, kKeyTime, kBodyKey},
        {kPassword, 0, u"703c2e3247a79dfe087e7fd24ee6a20b19700101090000"},
        {u"パスワード", kKeyTime, u"faf7f464d96a62858ddf6cdd24814d2120231115071320"},
        {u"", kKeyTime, u"(null)"},
    };
    for (const auto &row : rows) {
        Owned key(Enc_CreateKey(u16(row.password), row.key_time, 0));
        EXPECT_EQ(text_of(key.get()), row.expected) << row.key_time;
    }
    EXPECT_FALSE(Enc_CreateKey(nullptr, kKeyTime, 0));
    Owned block(Enc_EncryptKey(u16(kPassword), kKeyTime, 0));
    ASSERT_TRUE(block);
    EXPECT_EQ(test::Bytes(reinterpret_cast<char *>(block.get()), 96),
              reference("a_txt").substr(2, 96));
    // Read back: the stored cipher type (format 4 and up only) and the key.
    for (const auto &[container, cipher] : {std::pair{"cipher1", 1}, {"version3", 7}}) {
        SCOPED_TRACE(container);
        put("c.cpt", reference(container));
        unsigned char stored = 7;
        Owned key(Enc_DecryptKey(u16(kPassword), u16(path("c.cpt")), stored));
        EXPECT_EQ(text_of(key.get()), kBodyKey);
        EXPECT_EQ(stored, cipher);
    }
}

TEST_F(Keys, QuickLook) {
    // cut: the bytes kept, 0 for all.
    const struct { const char *container; size_t cut; const char16_t *password; int result;
                   const char16_t *name; } rows[] = {
        {"a_txt", 0, kPassword, 4, u"a.txt"},     {"version3", 0, kPassword, 3, u"a.txt"},
        {"version2", 0, kPassword, 2, u"a.txt"},  {"version1", 0, kPassword, 1, u"a.txt"},
        {"japanese", 0, u"パスワード", 4, u"資料"}, {"a_txt", 0, u"wrong", 0, u"-"},
        {"a_txt", 0, u"", -1, u"-"},              {"a_txt", 120, kPassword, 4, u"-"},
        {"a_txt", 60, kPassword, 0, u"-"},        {"back_slash", 0, kPassword, 4, u"-"},
        {"cipher1", 0, kPassword, 4, u"-"},       {"none", 0, kPassword, -1, u"-"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.container) + " cut " + std::to_string(row.cut));
        const test::Bytes bytes = reference(row.container);
        std::filesystem::remove(scratch.native("c.cpt"));
        if (!bytes.empty()) put("c.cpt", row.cut ? bytes.substr(0, row.cut) : bytes);
        char16_t name[QUORVEL_MAX_TEXT] = u"-";
        EXPECT_EQ(Enc_DecryptView(u16(row.password), u16(path("c.cpt")),
                                  reinterpret_cast<unsigned short *>(name)),
                  row.result);
        EXPECT_EQ(std::u16string(name), row.name);
    }
}

TEST(FolderNames, EncodedTextsAndBack) {
    const struct { const char16_t *name, *password, *encoded; } rows[] = {
        {u"ab", u"\u00b5", u"bl4x"},  // password byte 0: the name's bytes unchanged
        {u"abc", u"x", u"bpNKGv"},
        {u"report", u"password", u"bsyeRHmnSv"},
        {u"資料a", u"password", u"bpFMqhnOOW5FNL"},
        {u"報告書 2026", u"パスワード", u"bfrrcAYcj+Yw6_rCcirQbf"},
        {u"a\u00e9\u4e00b", u"pw", u"bscqHFBN+9BNP_"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(row.name)));
        Owned encoded(Enc_EncryptFolder(u16(row.name), u16(row.password)));
        Owned restored(Enc_DecryptFolder(u16(row.encoded), u16(row.password)));
        Owned other(Enc_DecryptFolder(u16(row.encoded), u16(u"other")));
        EXPECT_EQ(text_of(encoded.get()), row.encoded);
        EXPECT_EQ(text_of(restored.get()), row.name);
        EXPECT_NE(text_of(other.get()), row.name);
    }
    EXPECT_FALSE(Enc_EncryptFolder(u16(u""), u16(u"pw")));
    EXPECT_FALSE(Enc_DecryptFolder(nullptr, u16(u"pw")));
}

}  // namespace
