// The container writer: a header, then one entry holding the original
// file's name, size, times and enciphered body.
#include "encrypt/container.h"
#include "encrypt/run_state.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/search.h>

#include "crypto/stream_state.h"
#include "files/long_form.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

using encrypt::MallocText;

constexpr DWORD kHiddenBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr int kNameChecks = 11;

const char16_t *const kEncryptingTexts[] = {
    u"ファイルをBlowfishで暗号化しています",
    u"ファイルをCamelliaで暗号化しています",
    u"ファイルをAESで暗号化しています",
};

bool write_all(void *file, const void *bytes, uint32_t count) {
    return Fl_Write(file, bytes, count) == count;
}

// The fields before a body, gathered so that they are written with one call.
struct Fields {
    std::string bytes;
    void add(const void *data, size_t count) {
        bytes.append(static_cast<const char *>(data), count);
    }
    void le(uint64_t value, int count) {
        for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
    void time(const FILETIME &time) {
        le(time.dwLowDateTime | static_cast<uint64_t>(time.dwHighDateTime) << 32, 8);
    }
    bool write(void *file) const {
        return write_all(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
};

std::u16string last_component(const unsigned short *path) {
    std::u16string copy(as_u16(path));
    copy.push_back(0);
    Cfl_StripPath(as_exported(&copy[0]));
    return std::u16string(copy.c_str());
}

// Fails with the reason as the last error, for the host's result callback.
int fail(DWORD reason) {
    SetLastError(reason);
    return 0;
}

// Removes a container this run began and could not complete, leaving the
// reason for the failure as the last error: a half container is never
// left to pass for one.
void discard(const files::LongPath &container, DWORD reason) {
    SetFileAttributesW(as_wide(container.get()), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(as_wide(container.get()));
    SetLastError(Prg_IsCancel() ? ERROR_CANCELLED : reason);
}

// The enciphered name, checked by deciphering it again; null when no try
// reads back.
MallocText stored_name(const std::u16string &name, const unsigned char *key, int32_t &length) {
    for (int attempt = 0; attempt < kNameChecks; ++attempt) {
        MallocText stored(Bwf_Alloc8Byte(as_exported(name), -1));
        if (!stored) return nullptr;
        length = Bwf_Encrypt(stored.get(), key, -1);
        MallocText check(Bwf_Alloc8Byte(stored.get(), length));
        if (!check) return nullptr;
        Bwf_Decrypt(check.get(), key, length);
        if (name == as_u16(check.get())) return stored;
    }
    return nullptr;
}

void show(const char16_t *message, const std::u16string &name) {
    Prg_SetMessage(as_exported(message));
    Prg_SetFileName(as_exported(name));
    Prg_SetProgress(0, 0);
}

}  // namespace

namespace {

// The original's attributes, size and times, read with one look at its
// path; `known` is false when they could not be.
struct Original {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    bool known = false;

    explicit Original(const unsigned short *path)
        : known(GetFileAttributesExW(as_wide(path), GetFileExInfoStandard, &data) != 0) {}
    DWORD attributes() const { return known ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES; }
    // A link's own size and times are not those of the file it leads to,
    // whose body is read: those are asked of the open file.
    bool measured() const { return known && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT); }
    int64_t size() const { return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow; }
};

// One file entry after `fields` (the container's header when it is new).
// The body is read up to the size measured: one that comes short fails.
int encrypt_entry(void *container, const unsigned char *bodyKey, const unsigned short *original,
                  const unsigned short *containerPath, unsigned char level,
                  const Original &measured, Fields &fields) {
    // A name the reader would refuse is not written: such a container
    // could never be opened.
    const std::u16string name = last_component(original);
    if (!encrypt::plain_name(name)) return fail(ERROR_INVALID_NAME);
    const DWORD attributes = measured.attributes();
    void *input = Fl_Open(original, FL_READ, 0);
    int64_t size = -1;
    FILETIME creation = {}, write = {};
    if (input && measured.measured()) {
        size = measured.size();
        creation = measured.data.ftCreationTime;
        write = measured.data.ftLastWriteTime;
    } else if (input) {
        size = Fl_FileSize(input);
        if (size >= 0 && !Fl_GetFileTime(input, &creation, nullptr, &write)) size = -1;
    } else {
        size = Cfl_GetFileSize(original, 1);
    }
    if (size < 0) {
        Fl_Close(input);
        return 0;
    }
    if (!input) {
        // Not readable, or gone since it was measured: a complete empty
        // entry, the open's failure shown.
        if (void *again = Fl_Open(original, FL_READ, 1)) Fl_Close(again);
        size = 0;
    }
    int32_t length = 0;
    MallocText stored = stored_name(name, bodyKey, length);
    if (!stored || length > 0xFFFF) {
        Fl_Close(input);
        return fail(ERROR_INVALID_NAME);
    }
    const unsigned char head[2] = {level, encrypt::kFile};
    fields.add(head, 2);
    fields.le(attributes, 4);
    fields.le(static_cast<uint64_t>(length), 2);
    fields.add(stored.get(), static_cast<size_t>(length));
    fields.le(static_cast<uint64_t>(size), 8);
    fields.time(creation);
    fields.time(write);
    // An entry without a body: the fields alone.
    if (!input && !fields.write(container)) return 0;
    int result = 1;
    if (input) {
        const int64_t body =
            g_cVerify ? Fl_Seek(container, 0, FILE_CURRENT) + int64_t(fields.bytes.size()) : 0;
        show(kEncryptingTexts[0], name);
        Bwf_FuncCall(Prg_ProgressCall);
        // The original was just opened: at its start, of the size taken. The
        // fields go with the body's first piece, in one write.
        result = crypto::encrypt_stream(input, container, bodyKey, size, {size, 0}, fields.bytes);
        if (result && g_cVerify) {
            Fl_Seek(container, body, FILE_BEGIN);
            Fl_Seek(input, 0, FILE_BEGIN);
            show(u"ファイルの暗号化を検証しています", name);
            Bwf_FuncCall(Prg_ProgressCall);
            SetLastError(ERROR_SUCCESS);
            result = Bwf_Verify(container, input, bodyKey, size);
            // A body that reads back otherwise than it was written.
            if (!result && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_CRC);
            Fl_Seek(container, 0, FILE_END);
            if (auto verify = encrypt::callbacks().verify)
                verify(static_cast<unsigned char>(result), original, containerPath, size);
        }
    }
    Fl_Close(input);
    encrypt::log_file(level, size, original);
    if (auto logging = encrypt::callbacks().logging)
        logging(static_cast<unsigned char>(result), original, containerPath, size);
    return result;
}

// The key block and the body key of a password at a key time. The last
// ones are kept: a run gives every container the same, and working the
// block out again would schedule the digest's key between two bodies.
struct Keys {
    std::u16string key_text, password;
    unsigned char block[encrypt::kKeyBlockBytes];
    encrypt::AnsiText body_key;
};

const Keys *keys_for(const unsigned short *password, LONG keyTime) {
    static Keys last;
    MallocText key_text(Enc_CreateKey(password, keyTime, encrypt::kBlowfish));
    if (!key_text) return nullptr;
    const std::u16string text = u16_string(key_text.get());
    if (last.body_key && text == last.key_text && u16_string(password) == last.password)
        return &last;
    last.body_key.reset();
    MallocText block(Enc_EncryptKey(password, keyTime, encrypt::kBlowfish));
    encrypt::AnsiText body_key = encrypt::ansi(key_text.get());
    if (!block || !body_key) return nullptr;
    std::memcpy(last.block, block.get(), sizeof last.block);
    last.key_text = text;
    last.password = u16_string(password);
    last.body_key = std::move(body_key);
    return &last;
}

}  // namespace

int Enc_EncryptBody(void *container, const unsigned char *bodyKey, const unsigned short *original,
                    const unsigned short *containerPath, unsigned char level,
                    unsigned char cipherType) {
    if (!container || !bodyKey || !original || cipherType != encrypt::kBlowfish)
        return fail(ERROR_INVALID_PARAMETER);
    Fields fields;
    return encrypt_entry(container, bodyKey, original, containerPath, level, Original(original),
                         fields);
}

int Enc_EncryptHead(const unsigned short *password, const unsigned short *original,
                    const unsigned short *container, LONG keyTime) {
    if (Prg_DoCancel()) return fail(ERROR_CANCELLED);
    // No cipher but Blowfish exists to finish a container of another type.
    if (g_cEncryptType != encrypt::kBlowfish || !password || !original || !container)
        return fail(ERROR_INVALID_PARAMETER);
    const files::LongPath long_original(original), long_container(container);
    if (!long_original || !long_container) return 0;
    // Checked before the container is made, so that none is left behind.
    if (!encrypt::plain_name(last_component(original))) return fail(ERROR_INVALID_NAME);
    const Original measured(long_original.get());
    const DWORD attributes = measured.attributes();
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kHiddenBits))
        SetFileAttributesW(as_wide(long_container.get()), attributes & ~kHiddenBits);

    const Keys *keys = keys_for(password, keyTime);
    if (!keys) return fail(ERROR_INVALID_PARAMETER);

    void *file = Fl_Open(container, FL_WRITE, 1);
    if (!file) return 0;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    Fields fields;
    const unsigned char head[2] = {encrypt::kFormatVersion, g_cEncryptType};
    fields.add(head, 2);
    fields.add(keys->block, encrypt::kKeyBlockBytes);
    fields.le(static_cast<uint32_t>(keyTime), 4);
    const int result =
        encrypt_entry(file, reinterpret_cast<const unsigned char *>(keys->body_key.get()),
                      original, container, 0, measured, fields);
    // The container is opened without cutting it: an older, longer one of
    // the same name ends here.
    const DWORD reason = GetLastError();
    if (!created) SetEndOfFile(file);
    Fl_Close(file);
    if (result != 1) {
        discard(long_container, reason);
    } else if (attributes != INVALID_FILE_ATTRIBUTES &&
               !(created && attributes == FILE_ATTRIBUTE_ARCHIVE)) {  // a new file has it
        SetFileAttributesW(as_wide(long_container.get()), attributes);
    }
    return result;
}
