#include <quorvel/crypto.h>

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using test::Bytes;
using test::from_hex;

// Half 0 or 1 of a block written as 16 hex digits, most significant first.
uint32_t half(const char *hex, int which) {
    return static_cast<uint32_t>(std::stoul(std::string(hex + 8 * which, 8), nullptr, 16));
}

const unsigned char *text(const char *s) { return reinterpret_cast<const unsigned char *>(s); }

Bytes bytes_of(const void *data, std::size_t size) {
    return Bytes(static_cast<const char *>(data), size);
}

bool same(const BWF_CTX &a, const BWF_CTX &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool all_zero(const BWF_CTX &ctx) {
    static const BWF_CTX zero = {};
    return same(ctx, zero);
}

// Schedules a key whatever the key cache holds: scheduling another text
// first makes the cache differ from this key. The key must be terminated,
// as the cache reads it as text.
void schedule(BWF_CTX &ctx, const unsigned char *key, int length) {
    static BWF_CTX scratch;
    Bwf_InitKey(&scratch, text("\x7f sentinel"), 10);
    Bwf_InitKey(&ctx, key, length);
}

// Eric Young's published ECB vectors (a selection): key, plain, cipher.
const char *const kEcbVectors[][3] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

TEST(Blowfish, PublishedEcbVectors) {
    BWF_CTX ctx;
    for (const auto &[key, plain, cipher] : kEcbVectors) {
        SCOPED_TRACE(key);
        schedule(ctx, text(from_hex(key).c_str()), 8);
        uint32_t l = half(plain, 0), r = half(plain, 1);
        Bwf_Encrypt(&ctx, &l, &r);
        EXPECT_EQ(l, half(cipher, 0));
        EXPECT_EQ(r, half(cipher, 1));
        Bwf_Decrypt(&ctx, &l, &r);
        EXPECT_EQ(l, half(plain, 0));
        EXPECT_EQ(r, half(plain, 1));
    }
}

// Eric Young's variable key length vectors: the first n bytes of one key,
// plain text FEDCBA9876543210. The key holds a zero byte at offset 16, so
// these also show that the key length, not the terminator, limits the bytes.
TEST(Blowfish, PublishedVariableKeyLengthVectors) {
    const char *const expected[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    const Bytes key = from_hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    BWF_CTX ctx;
    for (int length = 1; length <= 24; ++length) {
        schedule(ctx, text(key.c_str()), length);
        uint32_t l = 0xFEDCBA98, r = 0x76543210;
        Bwf_Encrypt(&ctx, &l, &r);
        EXPECT_EQ(l, half(expected[length - 1], 0)) << length;
        EXPECT_EQ(r, half(expected[length - 1], 1)) << length;
    }
}

// Expected bytes made with `openssl enc -bf-ecb -nopad -provider legacy
// -provider default -K <hex of the key>`, each 4 bytes reversed on the way
// in and out (OpenSSL's halves are big-endian words).
TEST(Blowfish, BuffersMatchOpenSsl) {
    const unsigned char *key = text("QuorvelBlowfish!");

    // "ファイル名.txt", 9 characters: 18 bytes, processed as 24.
    unsigned short name[12] = {0x30D5, 0x30A1, 0x30A4, 0x30EB, 0x540D, '.', 't', 'x', 't', 0, 0, 0};
    const Bytes original = bytes_of(name, 24);
    EXPECT_EQ(Bwf_Encrypt(name, key, -1), 24);
    EXPECT_EQ(bytes_of(name, 24), from_hex("10309ae8280f6d3eac3012188f474a44d493b7b2e03f819c"));
    EXPECT_EQ(Bwf_Decrypt(name, key, 24), 24);
    EXPECT_EQ(bytes_of(name, 24), original);

    // 37 bytes 00..24: the 3 bytes up to 40 (AA here) are enciphered too.
    unsigned short raw[20];
    auto *bytes = reinterpret_cast<unsigned char *>(raw);
    for (int i = 0; i < 40; ++i) bytes[i] = static_cast<unsigned char>(i < 37 ? i : 0xAA);
    const Bytes before = bytes_of(raw, 40);
    EXPECT_EQ(Bwf_Encrypt(raw, key, 37), 40);
    EXPECT_EQ(bytes_of(raw, 40), from_hex("6356e6f17a87c65f9b4034e99d3624a13afcea6860f6182e"
                                          "2c9bd59430bb800e5ff30060da9bfda7"));
    EXPECT_EQ(Bwf_Decrypt(raw, key, 37), 40);
    EXPECT_EQ(bytes_of(raw, 40), before);
}

TEST(Blowfish, KeyCacheStandsForTheLastScheduledText) {
    BWF_CTX first, host = {};
    schedule(first, text("alpha"), 5);
    Bwf_InitKey(&host, text("alpha"), 5);  // same text: nothing happens
    EXPECT_TRUE(all_zero(host));

    // A, B, A: three schedules, the third one complete.
    BWF_CTX b, again = {};
    Bwf_InitKey(&b, text("beta"), 4);
    Bwf_InitKey(&again, text("alpha"), 5);
    EXPECT_FALSE(all_zero(b));
    EXPECT_TRUE(same(again, first));

    // The buffer functions schedule the shared context through the same cache.
    unsigned short data[4] = {1, 2, 3, 4};
    EXPECT_EQ(Bwf_Encrypt(data, text("gamma"), 8), 8);
    BWF_CTX after_buffer = {};
    Bwf_InitKey(&after_buffer, text("gamma"), 5);
    EXPECT_TRUE(all_zero(after_buffer));

    // An empty key while the cache is empty leaves the context unscheduled.
    BWF_CTX scratch, empty = {};
    Bwf_InitKey(&scratch, text(""), 0);  // empties the cache, if it was not already
    Bwf_InitKey(&empty, text(""), 0);
    EXPECT_TRUE(all_zero(empty));
}

TEST(Blowfish, OnlyTheFirst72KeyBytesCount) {
    std::string key;
    for (int i = 0; i < 80; ++i) key += static_cast<char>('!' + i);
    BWF_CTX full, cut;
    schedule(full, text(key.c_str()), 80);
    schedule(cut, text(key.substr(0, 72).c_str()), 72);
    EXPECT_TRUE(same(full, cut));
    key[71] = '#';
    schedule(cut, text(key.c_str()), 72);
    EXPECT_FALSE(same(full, cut));
}

TEST(Blowfish, BufferLengthsRoundToBlocks) {
    const unsigned char *key = text("0123456789abcdef0123456789abcdef");
    unsigned short data[12];
    for (int i = 0; i < 12; ++i) data[i] = static_cast<unsigned short>(i * 0x0D1A);
    const Bytes before = bytes_of(data, 24);

    EXPECT_EQ(Bwf_Encrypt(data, key, 0), 0);
    EXPECT_EQ(bytes_of(data, 24), before);
    EXPECT_EQ(Bwf_Encrypt(data, key, 10), 16);
    EXPECT_NE(bytes_of(data, 16), before.substr(0, 16));
    EXPECT_EQ(bytes_of(data + 8, 8), before.substr(16));  // past the second block: untouched
    EXPECT_EQ(Bwf_Decrypt(data, key, 10), 16);
    EXPECT_EQ(bytes_of(data, 24), before);
}

TEST(Blowfish, Alloc8ByteMakesAZeroPaddedCopy) {
    // "doc文書": 10 text bytes, 6 of padding, 2 of terminator: 18 bytes.
    const unsigned short source[] = {'d', 'o', 'c', 0x6587, 0x66F8, 0};
    const Bytes padded = bytes_of(source, 10) + Bytes(8, '\0');
    unsigned short *copy = Bwf_Alloc8Byte(source, -1);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(bytes_of(copy, 18), padded);
    // Text and padding are enciphered; the spare terminator is left alone.
    EXPECT_EQ(Bwf_Encrypt(copy, text("key"), -1), 16);
    EXPECT_NE(bytes_of(copy, 10), bytes_of(source, 10));
    EXPECT_EQ(copy[8], 0);
    EXPECT_EQ(Bwf_Decrypt(copy, text("key"), 16), 16);
    EXPECT_EQ(bytes_of(copy, 18), padded);
    std::free(copy);

    // An explicit byte count: whole blocks stay terminated, odd ones padded.
    const unsigned short eight[] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0};
    for (auto [count, size] : {std::pair{16, 18}, {3, 10}, {0, 2}}) {
        SCOPED_TRACE(count);
        copy = Bwf_Alloc8Byte(eight, count);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(bytes_of(copy, size), bytes_of(eight, count) + Bytes(size - count, '\0')) << count;
        std::free(copy);
    }
}

TEST(Blowfish, BadInputFailsQuietly) {
    unsigned short data[4] = {1, 2, 3, 4};
    EXPECT_EQ(Bwf_Encrypt(nullptr, text("key"), 8), 0);
    EXPECT_EQ(Bwf_Encrypt(data, nullptr, 8), 0);
    EXPECT_EQ(Bwf_Decrypt(data, text("key"), -2), 0);
    EXPECT_EQ(Bwf_Encrypt(data, text("key"), INT32_MIN), 0);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[3], 4);
    EXPECT_EQ(Bwf_Alloc8Byte(nullptr, 8), nullptr);
    EXPECT_EQ(Bwf_Alloc8Byte(data, -8), nullptr);
    Bwf_InitKey(nullptr, text("key"), 3);
    Bwf_Encrypt(static_cast<BWF_CTX *>(nullptr), nullptr, nullptr);
    Bwf_Decrypt(static_cast<BWF_CTX *>(nullptr), nullptr, nullptr);
}

}  // namespace
