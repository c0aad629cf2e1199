#include <quorvel/crypto.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> from_hex(const std::string &hex) {
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

uint32_t word(const std::string &hex) { return static_cast<uint32_t>(std::stoul(hex, nullptr, 16)); }

const unsigned char *text(const char *s) { return reinterpret_cast<const unsigned char *>(s); }

bool all_zero(const BWF_CTX &ctx) {
    static const BWF_CTX zero = {};
    return std::memcmp(&ctx, &zero, sizeof ctx) == 0;
}

bool same(const BWF_CTX &a, const BWF_CTX &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Schedules a key whatever the key cache holds: scheduling another text
// first makes the cache differ from this key. The key must be terminated,
// as the cache reads it as text.
void schedule(BWF_CTX &ctx, const unsigned char *key, int length) {
    static BWF_CTX scratch;
    Bwf_InitKey(&scratch, text("\x7f sentinel"), 10);
    Bwf_InitKey(&ctx, key, length);
}

// Eric Young's published ECB vectors: key, plain, cipher; halves written
// most significant byte first.
const char *const kEcbVectors[][3] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
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
    for (const auto &v : kEcbVectors) {
        SCOPED_TRACE(v[0]);
        std::vector<unsigned char> key = from_hex(v[0]);
        key.push_back(0);
        schedule(ctx, key.data(), 8);
        std::string plain = v[1], cipher = v[2];
        uint32_t l = word(plain.substr(0, 8)), r = word(plain.substr(8));
        Bwf_Encrypt(&ctx, &l, &r);
        EXPECT_EQ(l, word(cipher.substr(0, 8)));
        EXPECT_EQ(r, word(cipher.substr(8)));
        Bwf_Decrypt(&ctx, &l, &r);
        EXPECT_EQ(l, word(plain.substr(0, 8)));
        EXPECT_EQ(r, word(plain.substr(8)));
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
    std::vector<unsigned char> key = from_hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    key.push_back(0);
    BWF_CTX ctx;
    for (int length = 1; length <= 24; ++length) {
        SCOPED_TRACE(length);
        schedule(ctx, key.data(), length);
        uint32_t l = 0xFEDCBA98, r = 0x76543210;
        Bwf_Encrypt(&ctx, &l, &r);
        EXPECT_EQ(l, word(std::string(expected[length - 1]).substr(0, 8)));
        EXPECT_EQ(r, word(std::string(expected[length - 1]).substr(8)));
    }
}

// Expected bytes made with `openssl enc -bf-ecb -nopad -provider legacy
// -provider default -K <hex of the key>`, each 4 bytes reversed on the way
// in and out (OpenSSL's halves are big-endian words).
TEST(Blowfish, BuffersMatchOpenSsl) {
    const unsigned char *key = text("QuorvelBlowfish!");

    // "ファイル名.txt", 9 characters: 18 bytes, processed as 24.
    unsigned short name[12] = {0x30D5, 0x30A1, 0x30A4, 0x30EB, 0x540D, '.', 't', 'x', 't', 0, 0, 0};
    unsigned short original[12];
    std::memcpy(original, name, sizeof name);
    EXPECT_EQ(Bwf_Encrypt(name, key, -1), 24);
    EXPECT_EQ(from_hex("10309ae8280f6d3eac3012188f474a44d493b7b2e03f819c"),
              std::vector<unsigned char>(reinterpret_cast<unsigned char *>(name),
                                         reinterpret_cast<unsigned char *>(name) + 24));
    EXPECT_EQ(Bwf_Decrypt(name, key, 24), 24);
    EXPECT_EQ(std::memcmp(name, original, sizeof name), 0);

    // 37 bytes 00..24: the 3 bytes up to 40 (AA here) are enciphered too.
    unsigned char raw[40];
    for (int i = 0; i < 40; ++i) raw[i] = static_cast<unsigned char>(i < 37 ? i : 0xAA);
    EXPECT_EQ(Bwf_Encrypt(reinterpret_cast<unsigned short *>(raw), key, 37), 40);
    EXPECT_EQ(from_hex("6356e6f17a87c65f9b4034e99d3624a13afcea6860f6182e2c9bd59430bb800e5ff30060da9bfda7"),
              std::vector<unsigned char>(raw, raw + 40));
    EXPECT_EQ(Bwf_Decrypt(reinterpret_cast<unsigned short *>(raw), key, 37), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(raw[i], i < 37 ? i : 0xAA) << i;
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
    BWF_CTX one, repeated;
    schedule(one, text("k"), 1);
    std::string ks(72, 'k');
    schedule(repeated, text(ks.c_str()), 72);
    EXPECT_TRUE(same(one, repeated));

    std::string long_key;
    for (int i = 0; i < 80; ++i) long_key += static_cast<char>('!' + i);
    BWF_CTX full, cut;
    schedule(full, text(long_key.c_str()), 80);
    schedule(cut, text(long_key.substr(0, 72).c_str()), 72);
    EXPECT_TRUE(same(full, cut));
    std::string other = long_key.substr(0, 71) + "#";
    schedule(cut, text(other.c_str()), 72);
    EXPECT_FALSE(same(full, cut));
}

TEST(Blowfish, BufferLengthsRoundToBlocks) {
    const unsigned char *key = text("0123456789abcdef0123456789abcdef");
    unsigned char data[24], before[24];
    for (int i = 0; i < 24; ++i) data[i] = before[i] = static_cast<unsigned char>(i * 13);
    auto *wide = reinterpret_cast<unsigned short *>(data);

    EXPECT_EQ(Bwf_Encrypt(wide, key, 0), 0);
    EXPECT_EQ(std::memcmp(data, before, 24), 0);

    EXPECT_EQ(Bwf_Encrypt(wide, key, 10), 16);
    EXPECT_NE(std::memcmp(data, before, 16), 0);
    EXPECT_EQ(std::memcmp(data + 16, before + 16, 8), 0);  // past the second block: untouched
    EXPECT_EQ(Bwf_Decrypt(wide, key, 10), 16);
    EXPECT_EQ(std::memcmp(data, before, 24), 0);

    // Each block by itself: equal blocks give equal cipher blocks.
    unsigned char twin[16] = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(Bwf_Encrypt(reinterpret_cast<unsigned short *>(twin), key, 16), 16);
    EXPECT_EQ(std::memcmp(twin, twin + 8, 8), 0);
}

TEST(Blowfish, WideTextRoundTripKeepsPaddingAndTerminator) {
    const unsigned short source[] = {'d', 'o', 'c', 0x6587, 0x66F8, 0};  // "doc文書"
    unsigned short *copy = Bwf_Alloc8Byte(source, -1);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Bwf_Encrypt(copy, text("key"), -1), 16);
    EXPECT_NE(std::memcmp(copy, source, 10), 0);
    EXPECT_EQ(copy[8], 0);  // the spare terminator is left alone
    EXPECT_EQ(Bwf_Decrypt(copy, text("key"), 16), 16);
    EXPECT_EQ(std::memcmp(copy, source, sizeof source), 0);
    for (int i = 5; i < 9; ++i) EXPECT_EQ(copy[i], 0) << i;
    std::free(copy);
}

TEST(Blowfish, Alloc8ByteMakesAZeroPaddedCopy) {
    const unsigned short hello[] = {'h', 'e', 'l', 'l', 'o', 0};
    unsigned short *copy = Bwf_Alloc8Byte(hello, -1);
    ASSERT_NE(copy, nullptr);
    // 10 text bytes, 6 of padding, 2 of terminator: 18 bytes.
    EXPECT_EQ(std::memcmp(copy, hello, 10), 0);
    for (int i = 5; i < 9; ++i) EXPECT_EQ(copy[i], 0) << i;
    std::free(copy);

    const unsigned short eight[] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0};
    copy = Bwf_Alloc8Byte(eight, 16);  // whole blocks: still terminated
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(copy, eight, 16), 0);
    EXPECT_EQ(copy[8], 0);
    std::free(copy);

    copy = Bwf_Alloc8Byte(eight, 3);  // explicit byte count, odd
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(copy, eight, 3), 0);
    const unsigned char *bytes = reinterpret_cast<unsigned char *>(copy);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(bytes[i], 0) << i;
    std::free(copy);

    copy = Bwf_Alloc8Byte(eight, 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy[0], 0);
    std::free(copy);
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
