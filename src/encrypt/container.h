// The container's byte layout and the pieces its writer and readers share:
// header and entry fields, the keys' text forms, name checks.
#pragma once

#include <quorvel/encrypt.h>

#include "platform/win32.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace encrypt {

constexpr unsigned char kFormatVersion = 4;
constexpr unsigned char kBlowfish = 0;
constexpr uint32_t kKeyBlockBytes = 96;
constexpr int kBodyKeyUnits = 46;
// The part of a body key text that does not depend on the key time: the
// salted digest, which the password check compares.
constexpr int kDigestUnits = 32;
constexpr unsigned char kFile = 0;
constexpr unsigned char kFolder = 1;
// The reader's current-folder buffer, in units.
constexpr size_t kFolderUnits = 4096;

struct FreeDeleter {
    void operator()(void *block) const { std::free(block); }
};
using MallocText = std::unique_ptr<unsigned short[], FreeDeleter>;
struct ArrayDeleter {
    void operator()(char *text) const { delete[] text; }
};
using AnsiText = std::unique_ptr<char[], ArrayDeleter>;

// The thread ANSI code page form of a zero-terminated wide text, terminated.
AnsiText ansi(const unsigned short *text);
// MD5 hex of the ANSI form of `text`; false when it cannot be converted.
bool ansi_digest(const std::u16string &text, unsigned char digest[33]);

// A container's bytes in order: first those read ahead at its start (one
// read takes most containers whole), then the file's. The file is never
// sought while it is read through one, so the bytes held end where the
// file stands.
class ContainerInput {
public:
    static constexpr uint32_t kAheadBytes = 4096;
    explicit ContainerInput(void *file) : file_(file) {}
    // Reads up to `count` (at most kAheadBytes) bytes ahead; fewer at the end.
    void read_ahead(uint32_t count);
    // The next `count` bytes; false when fewer remain or the read fails.
    bool read(void *bytes, uint32_t count);
    // Up to `count` of the next bytes held, left to be read; how many.
    uint32_t peek(void *bytes, uint32_t count) const;
    // The bytes held and not yet read, which a body stream takes first.
    const unsigned char *held() const { return ahead_ + at_; }
    uint32_t held_bytes() const { return held_ - at_; }
    // `count` bytes taken by such a stream: the held ones, then the file's.
    void passed(int64_t count);
    void *file() const { return file_; }

private:
    void *file_;
    unsigned char ahead_[kAheadBytes];
    uint32_t held_ = 0, at_ = 0;
};

struct Header {
    unsigned char version = 0;
    unsigned char cipher = 0;
    unsigned char key_block[kKeyBlockBytes] = {};
    int32_t key_time = 0;
    uint32_t length = 0;  // the bytes it takes, as its version lays it out
    bool key_block_read = false;
};
// Reads the header from the bytes read ahead, stopping where they end
// (fields not read stay 0). True when it was read whole.
bool read_header(ContainerInput &input, Header &header);

struct Entry {
    unsigned char level = 0;
    unsigned char kind = 0;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    uint32_t name_bytes = 0;
    MallocText stored_name;  // name_bytes enciphered bytes, zero-padded to 8, +2
    int64_t size = 0;
    FILETIME creation = {};
    FILETIME write = {};
    int64_t field_bytes = 0;  // the bytes read for it, up to its body
};
// Reads an entry's fields up to its times, as the format version lays them
// out. `limit` is the number of bytes left in the container from the
// input's position (-1: unknown): a name that runs past it is refused before
// anything is allocated. False at the first short read or refusal.
bool read_entry(ContainerInput &input, unsigned char version, int64_t limit, Entry &entry);

// The stored name deciphered under the ANSI body key, up to its first zero
// unit.
std::u16string decipher_name(const Entry &entry, const unsigned char *body_key);

// The password check: the salted digest at the start of a container's
// deciphered key block equals the one the password gives now.
bool password_matches(const unsigned short *password, const unsigned char *key_block);

// A container open for reading, its header read: what a run through its
// entries starts from, the file opened once for the password check too.
struct OpenedContainer {
    void *file;
    int64_t size = -1;  // as the open file had it (-1: unknown)
    ContainerInput input;
    Header header;
    bool whole = false;  // the header was read whole
    // `report`: an open that fails is shown, as Fl_Open shows it.
    explicit OpenedContainer(const unsigned short *path, int report = 0);
    ~OpenedContainer() { close(); }
    // The password check on the key block read.
    bool opens_with(const unsigned short *password) const {
        return header.key_block_read && password_matches(password, header.key_block);
    }
    void close();
    OpenedContainer(const OpenedContainer &) = delete;
    OpenedContainer &operator=(const OpenedContainer &) = delete;
};
// Enc_DecryptHead for a container already open, which it closes.
int decrypt_opened(const unsigned short *password, OpenedContainer &opened,
                   const unsigned short *container, const unsigned short *outputFolder);

// A name that may be joined to a folder: not empty, not ending in a dot or
// a space (so neither "." nor ".."), no separator, drive or other character
// a Windows file name cannot hold, no device name.
bool plain_name(const std::u16string &name);

// The local key time as "YYYYMMDDhhmmss"; false when it cannot be converted.
bool time_text(int32_t key_time, char16_t text[15]);

}  // namespace encrypt
