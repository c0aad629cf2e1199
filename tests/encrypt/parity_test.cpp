// Containers made by the Windows build (under wine64, on a Japanese system
// at UTC+9) and committed in tests/data/encrypt/windows: every build reads
// them and writes the same bytes for the same file, password, key time and
// file times. QUORVEL_WRITE_CORPUS=FOLDER writes them anew instead.
#include "encrypt_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

using enc_test::kKeyTime;
using enc_test::u16;

TEST(Parity, WindowsCorpus) {
    const struct {
        const char *corpus, *name;
        test::Bytes content;
        const char16_t *password;
    } rows[] = {
        {"ascii", "a.txt", "Hello, world!", u"password"},
        {"japanese", "報告書.txt", "日本語のテキスト\n", u"パスワード"},
        {"empty", "空.bin", "", u"パスワード"},
        {"blocks", "data.bin", test::pattern(8191), u"password"},
    };
    const char *write_to = std::getenv("QUORVEL_WRITE_CORPUS");
    for (const auto &row : rows) {
        SCOPED_TRACE(row.corpus);
        test::Scratch scratch;
        scratch.write(row.name, row.content);
        // Wine keeps no creation time and reports the last-write time: the
        // corpus holds that in both fields, and so every build is given it.
        enc_test::set_reference_times(scratch, row.name, enc_test::kWritten);
        ASSERT_EQ(Enc_EncryptHead(u16(row.password), u16(scratch.path(row.name)),
                                  u16(scratch.path("c.cpt")), kKeyTime),
                  1);
        const std::string corpus = std::string("windows/") + row.corpus;
        if (write_to) {
            std::ofstream(std::string(write_to) + "/" + row.corpus + ".cpt", std::ios::binary)
                << scratch.read("c.cpt");
            continue;
        }
        EXPECT_EQ(scratch.read("c.cpt"), enc_test::reference(corpus));

        scratch.write("w.cpt", enc_test::reference(corpus));
        std::filesystem::create_directories(scratch.native("out"));
        EXPECT_EQ(Enc_DecryptHead(u16(row.password), u16(scratch.path("w.cpt")),
                                  u16(scratch.path("out") + u"\\")),
                  1);
        EXPECT_EQ(scratch.read(std::string("out/") + row.name), row.content);
    }
}

}  // namespace
