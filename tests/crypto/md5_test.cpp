#include <quorvel/crypto.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const unsigned char *bytes(const char *s) { return reinterpret_cast<const unsigned char *>(s); }

std::string md5_text(const char *text) {
    unsigned char out[40];
    std::memset(out, 0xEE, sizeof out);
    Md5(bytes(text), out);
    EXPECT_EQ(out[32], 0);
    EXPECT_EQ(out[33], 0xEE);  // exactly 33 bytes written
    return reinterpret_cast<const char *>(out);
}

std::string hmac(const std::string &text, const std::string &key) {
    unsigned char digest[16];
    Md5_HMAC(bytes(text.data()), static_cast<int>(text.size()), bytes(key.data()),
             static_cast<int>(key.size()), digest);
    unsigned char out[34];
    std::memset(out, 'X', sizeof out);
    Md5_Print(out, digest);
    EXPECT_EQ(out[33], 'X');  // 32 digits and a terminator
    return reinterpret_cast<const char *>(out);
}

TEST(Md5, Rfc1321TestSuite) {
    const char *const suite[][2] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &[text, digest] : suite) EXPECT_EQ(md5_text(text), digest) << text;
}

// Long texts, expected values from python3's hashlib: "abc...z" repeated.
// The text ends at its first zero byte.
TEST(Md5, LongTextsAndZeroBytes) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += static_cast<char>('a' + i % 26);
    EXPECT_EQ(md5_text(text.substr(0, 4096).c_str()), "ab6bc685710814791f9d9a4570514525");
    EXPECT_EQ(md5_text(text.c_str()), "4dc94d33774d650f84cb896a7ba9b558");
    EXPECT_EQ(md5_text("abc\0def"), md5_text("abc"));
    EXPECT_EQ(md5_text("\0abc"), "d41d8cd98f00b204e9800998ecf8427e");
}

// RFC 2104's three samples and RFC 2202's further HMAC-MD5 cases.
TEST(Md5, HmacPublishedVectors) {
    EXPECT_EQ(hmac("Hi There", std::string(16, '\x0b')), "9294727a3638bb1c13f48ef8158bfc9d");
    EXPECT_EQ(hmac("what do ya want for nothing?", "Jefe"), "750c783e6ab0b503eaa86e310a5db738");
    EXPECT_EQ(hmac(std::string(50, '\xdd'), std::string(16, '\xaa')),
              "56be34521d144c88dbb8c733f0e8b3f6");
    std::string key25;
    for (int i = 1; i <= 25; ++i) key25 += static_cast<char>(i);
    EXPECT_EQ(hmac(std::string(50, '\xcd'), key25), "697eaf0aca3a3aea3a75164746ffaa79");
    EXPECT_EQ(hmac("Test With Truncation", std::string(16, '\x0c')),
              "56461ef2342edc00f9bab995690efd4c");
    EXPECT_EQ(hmac("Test Using Larger Than Block-Size Key - Hash Key First", std::string(80, '\xaa')),
              "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd");
    EXPECT_EQ(hmac("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
                   std::string(80, '\xaa')),
              "6f630fad67cda0ee1fb1f562db3aa53e");
}

// Expected values from python3's hmac module. A 64-byte key is used as it
// is, a 65-byte one is replaced by its digest; zero bytes in the text and the
// key are hashed like any other.
TEST(Md5, HmacKeySizesAndZeroBytes) {
    std::string key64, key65;
    for (int i = 0; i < 65; ++i) key65 += static_cast<char>((i * 7 + 1) & 0xFF);
    key64 = key65.substr(0, 64);
    EXPECT_EQ(hmac("quorvel", key64), "6edfc21930bccef84c152828ad6c2ac2");
    EXPECT_EQ(hmac("quorvel", key65), "f5f00104da1d45181cae1e80ea5fde87");
    EXPECT_EQ(hmac(std::string("ab\0cd", 5), "key"), "0d802a2ab5cd064496aefee621e312dd");
}

TEST(Md5, BadInputGivesNoDigest) {
    unsigned char digest[16];
    std::memset(digest, 0xEE, sizeof digest);
    Md5_HMAC(bytes("text"), -1, bytes("key"), 3, digest);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(digest), 16), std::string(16, '\0'));
    std::memset(digest, 0xEE, sizeof digest);
    Md5_HMAC(nullptr, 4, bytes("key"), 3, digest);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(digest), 16), std::string(16, '\0'));

    unsigned char out[33] = {'X'};
    Md5(nullptr, out);
    EXPECT_EQ(out[0], 0);
    Md5(bytes("abc"), nullptr);
    Md5_HMAC(bytes("text"), 4, bytes("key"), 3, nullptr);
    Md5_Print(nullptr, digest);
}

}  // namespace
