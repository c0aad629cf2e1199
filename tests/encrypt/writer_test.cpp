// The container writer against the reference containers of
// scripts/encrypt-vectors.py: the same bytes for the same file, password,
// key time and times.
#include "encrypt_support.h"

#include <quorvel/fl.h>

#include <gtest/gtest.h>

namespace {

using enc_test::kKeyTime;
using enc_test::kPassword;
using enc_test::u16;

int encrypt(const test::Scratch &scratch, const std::string &name) {
    return Enc_EncryptHead(u16(kPassword), u16(scratch.path(name)),
                           u16(scratch.path(name + ".cpt")), kKeyTime);
}

TEST(ContainerWriter, ReferenceContainers) {
    const struct {
        const char *name, *content, *reference;
    } rows[] = {
        {"a.txt", "Hello, world!", "a_txt"},  // 13 bytes: 166
        {"e.bin", "", "empty_file"},
    };
    test::Scratch scratch;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        scratch.write(row.name, row.content);
        test::Bytes expected = enc_test::reference(row.reference);
        // Both names take 16 bytes: the creation time is at 102 + 8 + 16 + 8.
        if (!enc_test::set_reference_times(scratch, row.name))
            expected.replace(134, 8, expected.substr(142, 8));
        ASSERT_EQ(encrypt(scratch, row.name), 1);
        EXPECT_EQ(test::hex(scratch.read(std::string(row.name) + ".cpt"), 400),
                  test::hex(expected, 400));
    }
    // An older, longer container of the name ends where the new one does.
    scratch.write("a.txt.cpt", test::pattern(1000));
    ASSERT_EQ(encrypt(scratch, "a.txt"), 1);
    EXPECT_EQ(scratch.read("a.txt.cpt").size(), 166u);
}

TEST(ContainerWriter, NameLengths) {
    const struct {
        const char *name;
        int stored_bytes;
    } rows[] = {{"abcd", 8}, {"abcde", 16}, {"abcdefgh", 16}, {"報告書.txt", 16}};
    test::Scratch scratch;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        scratch.write(row.name, "x");
        ASSERT_EQ(encrypt(scratch, row.name), 1);
        const test::Bytes bytes = scratch.read(std::string(row.name) + ".cpt");
        ASSERT_GT(bytes.size(), 110u);
        EXPECT_EQ(static_cast<unsigned char>(bytes[108]) | static_cast<unsigned char>(bytes[109]) << 8,
                  row.stored_bytes);
        EXPECT_EQ(bytes.size(), 102u + 8 + row.stored_bytes + 24 + 8);
    }
}

int g_verified = -1;
void on_verify(unsigned char result, const unsigned short *, const unsigned short *, int64_t) {
    g_verified = result;
}

TEST(ContainerWriter, VerificationAndRefusedTypes) {
    test::Scratch scratch;
    scratch.file("big.bin", 3 * 1024 * 1024 + 5);
    g_cVerify = 1;
    Enc_FuncCallVerify(on_verify);
    EXPECT_EQ(encrypt(scratch, "big.bin"), 1);
    EXPECT_EQ(g_verified, 1);
    g_cVerify = 0;
    Enc_FuncCallVerify(nullptr);

    scratch.write("t.txt", "x");
    g_cEncryptType = 1;  // no cipher but Blowfish: nothing is written
    EXPECT_EQ(encrypt(scratch, "t.txt"), 0);
    g_cEncryptType = 0;
    EXPECT_FALSE(std::filesystem::exists(scratch.native("t.txt.cpt")));
}

}  // namespace
