// Key derivation, the key block, the password check and the quick look at
// a container's first name.
#include "encrypt/container.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/paths.h>

#include <cstring>

namespace {

using encrypt::MallocText;

const char16_t kSalt[] = u"QUILLMARKVOSE";

// The MD5 hex of the password's ANSI form: the key of the key block.
bool password_digest(const unsigned short *password, unsigned char digest[33]) {
    return encrypt::ansi_digest(u16_string(password), digest);
}

}  // namespace

namespace encrypt {

bool password_matches(const unsigned short *password, const unsigned char *key_block) {
    // The last answer is kept: the containers of a run share one key block,
    // and deciphering it again would schedule its key between two bodies.
    struct Answer {
        unsigned char digest[33], block[kKeyBlockBytes];
        bool matches;
    };
    static Answer last{{}, {}, false};
    Answer now{};
    if (!password || !*password || !password_digest(password, now.digest)) return false;
    std::memcpy(now.block, key_block, sizeof now.block);
    if (std::memcmp(now.digest, last.digest, sizeof now.digest) == 0 &&
        std::memcmp(now.block, last.block, sizeof now.block) == 0)
        return last.matches;
    // The key text's digest part, which does not depend on the key time.
    unsigned char salted[33];
    MallocText stored(Bwf_Alloc8Byte(reinterpret_cast<const unsigned short *>(now.block),
                                     sizeof now.block));
    if (!stored || !ansi_digest(u16_string(password) + kSalt, salted)) return false;
    Bwf_Decrypt(stored.get(), now.digest, sizeof now.block);
    now.matches = true;
    for (int i = 0; i < kDigestUnits; ++i) now.matches &= stored[i] == salted[i];
    last = now;
    return now.matches;
}

}  // namespace encrypt

unsigned short *Enc_CreateKey(const unsigned short *password, LONG keyTime, unsigned char) {
    if (!password || !*password) return nullptr;
    unsigned char digest[33];
    char16_t time[15];
    if (!encrypt::ansi_digest(u16_string(password) + kSalt, digest) ||
        !encrypt::time_text(keyTime, time))
        return nullptr;
    std::u16string text(digest, digest + 32);
    text += time;
    return Bwf_Alloc8Byte(as_exported(text), -1);
}

unsigned short *Enc_EncryptKey(const unsigned short *password, LONG keyTime,
                               unsigned char cipherType) {
    unsigned char digest[33];
    if (!password || !*password || !password_digest(password, digest)) return nullptr;
    unsigned short *block = Enc_CreateKey(password, keyTime, cipherType);
    if (block) Bwf_Encrypt(block, digest, -1);
    return block;
}

unsigned short *Enc_DecryptKey(const unsigned short *password, const unsigned short *container,
                               unsigned char &cipherType) {
    unsigned char digest[33];
    if (!password || !*password || !password_digest(password, digest)) return nullptr;
    const encrypt::OpenedContainer opened(container);
    const encrypt::Header &header = opened.header;
    if (!header.key_block_read) return nullptr;
    if (header.version >= 4) cipherType = header.cipher;
    unsigned short *copy = Bwf_Alloc8Byte(reinterpret_cast<const unsigned short *>(header.key_block),
                                          sizeof header.key_block);
    if (copy) Bwf_Decrypt(copy, digest, sizeof header.key_block);
    return copy;
}

int Enc_DecryptView(const unsigned short *password, const unsigned short *container,
                    unsigned short *name) {
    if (!Cfl_IsExist(container) || !password || !*password) return -1;
    encrypt::OpenedContainer opened(container);
    const encrypt::Header &header = opened.header;
    if (!opened.opens_with(password)) return 0;
    encrypt::Entry entry;
    const bool whole =
        opened.whole && encrypt::read_entry(opened.input, header.version,
                                            opened.size < 0 ? -1 : opened.size - header.length,
                                            entry);
    if (whole && header.cipher == encrypt::kBlowfish && name) {
        MallocText key_text(Enc_CreateKey(password, header.key_time, header.cipher));
        encrypt::AnsiText key = key_text ? encrypt::ansi(key_text.get()) : nullptr;
        const std::u16string stored =
            key ? encrypt::decipher_name(entry, reinterpret_cast<unsigned char *>(key.get()))
                : std::u16string();
        // A name the reader would refuse is not shown either.
        if (encrypt::plain_name(stored) && stored.size() < QUORVEL_MAX_TEXT)
            std::memcpy(name, stored.c_str(), (stored.size() + 1) * sizeof(char16_t));
    }
    return header.version;
}
