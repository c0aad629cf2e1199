// The container reader: entries restored into an output folder, with the
// checks that keep a hostile container inside that folder.
#include "crypto/stream_state.h"
#include "encrypt/container.h"
#include "encrypt/run_state.h"
#include "files/long_form.h"
#include "platform/utf16.h"

#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>
#include <quorvel/search.h>
#include <quorvel/fileops.h>

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

using encrypt::Entry;
using encrypt::MallocText;

// Room for a joined path: the long form adds up to 8 units, and the
// library's path calls work in buffers of QUORVEL_MAX_TEXT.
constexpr size_t kLongestPath = QUORVEL_MAX_TEXT - 9;

// Into one of the reader's path buffers; callers have refused longer paths.
void copy_to(unsigned short *buffer, const std::u16string &text) {
    assert(text.size() < QUORVEL_MAX_TEXT);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

// Whether the entry may be restored where the reader stands: levels come
// one folder down at a time and never climb above the output folder, and a
// file's body lies inside the container.
bool in_order(const Entry &entry, unsigned char depth, int64_t body_room) {
    if (entry.kind == encrypt::kFile)
        return entry.level <= depth && entry.size >= 0 && entry.size <= body_room &&
               (entry.size + 7) / 8 * 8 <= body_room;
    if (entry.kind == encrypt::kFolder) return entry.level >= 1 && entry.level <= depth + 1;
    // Other kinds are folders that climb nothing: only one level down.
    return entry.level == depth + 1;
}

void set_attributes(const std::u16string &path, DWORD attributes) {
    if (const files::LongPath long_path(path); long_path)
        SetFileAttributesW(as_wide(long_path.get()), attributes);
}

int restore_folder(const Entry &entry, const std::u16string &name,
                   const unsigned short *containerPath, unsigned short *folder,
                   unsigned char depth) {
    std::u16string path = u16_string(folder) + name + u"\\";
    if (g_cExistFolder && Cfl_IsExist(as_exported(path)))
        path = u16_string(folder) + u"dpt_" + name + u"\\";
    int result = 0;
    if (path.size() > kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    } else if (Cfl_CreateFolder(as_exported(path))) {
        // A link there fails the entry; later entries never go through it.
        // Without its backslash: "link\" would name what the link leads to.
        if (HANDLE handle = encrypt::open_unlinked(path.substr(0, path.size() - 1), true)) {
            result = 1;
            copy_to(folder, path);
            Fl_SetFileTime(handle, &entry.creation, nullptr, &entry.write);  // shown there
            CloseHandle(handle);
            encrypt::log_folder(depth, as_exported(path));
        }
    }
    if (auto logging = encrypt::callbacks().logging)
        logging(static_cast<unsigned char>(result), containerPath, as_exported(path), -1);
    return result;
}

// `body` is where the body lies in the container, of `end` bytes.
int restore_file(void *container, const Entry &entry, const std::u16string &name,
                 const unsigned char *key, const unsigned short *containerPath,
                 const unsigned short *folder, unsigned char depth, unsigned char version,
                 const crypto::InputAt &body) {
    const std::u16string path = u16_string(folder) + name;
    if (path.size() > kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    bool created = false;
    void *output = encrypt::open_unlinked(path, false, OPEN_ALWAYS, &created);
    if (!output) return 0;
    Prg_SetMessage(as_exported(u"ファイルを複合化しています"));
    Prg_SetFileName(as_exported(name));
    Prg_SetProgress(0, 0);
    Bwf_FuncCall(Prg_ProgressCall);
    const int result = crypto::decrypt_stream(container, output, key, entry.size, body);
    if (result != 1 && Prg_IsCancel()) SetLastError(ERROR_CANCELLED);
    const DWORD reason = GetLastError();
    // The file is opened without cutting it: what an older, longer file of
    // the name held after the new content goes.
    if (!created) SetEndOfFile(output);
    // A body cut short by a failure or a cancel keeps what was written,
    // but not the original's times and attributes: it does not pass for
    // the original.
    if (result == 1) Fl_SetFileTime(output, &entry.creation, nullptr, &entry.write);
    LARGE_INTEGER written;
    const int64_t size = GetFileSizeEx(output, &written) ? written.QuadPart : -1;
    Fl_Close(output);
    // A new file has the archive bit alone already.
    if (result == 1 && version >= 2 && !(created && entry.attributes == FILE_ATTRIBUTE_ARCHIVE))
        set_attributes(path, entry.attributes);

    encrypt::log_file(depth, size, as_exported(path));
    if (auto logging = encrypt::callbacks().logging)
        logging(static_cast<unsigned char>(result), containerPath, as_exported(path), size);
    if (result != 1) SetLastError(reason);
    return result;
}

// The entry at `start` of a container of `end` bytes, the input's position;
// `next` is where the entry after it begins. A run through a container
// knows both from the layout and asks the file for neither.
int decrypt_entry(encrypt::ContainerInput &input, const unsigned char *key,
                  const unsigned short *containerPath, unsigned short *folder,
                  unsigned char &depth, unsigned char version, int64_t start, int64_t end,
                  int64_t &next) {
    Entry entry;
    // A short, hostile or damaged entry: the reason the host is given.
    if (!encrypt::read_entry(input, version, end - start, entry)) {
        SetLastError(ERROR_FILE_CORRUPT);
        return 0;
    }
    const std::u16string name = encrypt::decipher_name(entry, key);
    const int64_t body = start + entry.field_bytes;
    if (!encrypt::plain_name(name) || !in_order(entry, depth, end - body)) {
        SetLastError(ERROR_FILE_CORRUPT);
        return 0;
    }

    const bool climbs = entry.kind == encrypt::kFile || entry.kind == encrypt::kFolder;
    while (climbs && (entry.kind == encrypt::kFile ? entry.level < depth : entry.level <= depth)) {
        Cfl_AddBackslash(Cfl_RemoveFileSpec(folder));
        --depth;
    }
    depth = entry.level;
    if (entry.kind != encrypt::kFile) {
        next = body;
        return restore_folder(entry, name, containerPath, folder, depth);
    }
    // The body is read in whole 8-byte blocks, those read ahead first.
    const int64_t body_bytes = (entry.size + 7) / 8 * 8;
    next = body + body_bytes;
    const int result =
        restore_file(input.file(), entry, name, key, containerPath, folder, depth, version,
                     {end, body, input.held(), input.held_bytes()});
    input.passed(body_bytes);
    return result;
}

}  // namespace

int Enc_DecryptBody(void *container, const unsigned short *bodyKeyText,
                    const unsigned short *containerPath, unsigned short *folder,
                    unsigned char &depth, unsigned char version, unsigned char cipherType) {
    if (!container || !bodyKeyText || !folder || cipherType != encrypt::kBlowfish) return 0;
    const int64_t end = Fl_FileSize(container);
    const int64_t start = Fl_Seek(container, 0, FILE_CURRENT);
    if (end < 0 || start < 0) return 0;
    encrypt::AnsiText key = encrypt::ansi(bodyKeyText);
    if (!key) return 0;
    int64_t next = 0;
    encrypt::ContainerInput input(container);
    return decrypt_entry(input, reinterpret_cast<unsigned char *>(key.get()), containerPath,
                         folder, depth, version, start, end, next);
}

namespace {

// What Enc_DecryptHead does before it opens the container: false when the
// run is cancelled.
bool begin_container(const unsigned short *container, const unsigned short *outputFolder) {
    if (Prg_DoCancel()) {
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    if (g_cOutputLog) {
        std::u16string name = u16_string(container);
        name.push_back(0);
        Cfl_RemoveExtension(Cfl_StripPath(as_exported(&name[0])));
        const std::u16string log = u16_string(outputFolder) + name.c_str() + u"_Dec.log";
        if (log.size() <= kLongestPath) encrypt::open_log(as_exported(log));
    }
    return true;
}

// Every entry of an opened container, then the container and the log
// closed, the reason for a failure kept as the last error for the host's
// result callback.
int restore_and_close(const unsigned short *password, encrypt::OpenedContainer &opened,
                      const unsigned short *container, const unsigned short *outputFolder) {
    int result = 0;
    const int64_t size = opened.size;
    const encrypt::Header &header = opened.header;
    MallocText key;
    if (!opened.file) {
        // The open's failure stays the reason.
    } else if (!opened.whole) {
        SetLastError(ERROR_FILE_CORRUPT);
    } else if (header.cipher != encrypt::kBlowfish) {
        SetLastError(ERROR_NOT_SUPPORTED);
    } else {
        key.reset(Enc_CreateKey(password, header.key_time, header.cipher));
    }
    encrypt::AnsiText body_key = key ? encrypt::ansi(key.get()) : nullptr;
    if (key && platform::u16_length(outputFolder) > kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    } else if (body_key && size >= 0) {
        unsigned short folder[encrypt::kFolderUnits] = {};
        copy_to(folder, u16_string(outputFolder));
        Cfl_AddBackslash(folder);
        unsigned char depth = 0;
        int64_t at = header.length;
        do {
            result = decrypt_entry(opened.input, reinterpret_cast<unsigned char *>(body_key.get()),
                                   container, folder, depth, header.version, at, size, at);
        } while (result == 1 && at < size);
    }
    const DWORD reason = GetLastError();
    opened.close();
    encrypt::close_log();
    SetLastError(reason);
    return result;
}

}  // namespace

int Enc_DecryptHead(const unsigned short *password, const unsigned short *container,
                    const unsigned short *outputFolder) {
    if (!container || !outputFolder || !begin_container(container, outputFolder)) return 0;
    encrypt::OpenedContainer opened(container, 1);
    return restore_and_close(password, opened, container, outputFolder);
}

namespace encrypt {

OpenedContainer::OpenedContainer(const unsigned short *path, int report)
    : file(Fl_Open(path, FL_READ, report)), input(file) {
    if (!file) return;
    LARGE_INTEGER length;
    if (GetFileSizeEx(file, &length)) size = length.QuadPart;
    // No more than the file holds: a read asked for more goes on to find
    // the end with another call.
    input.read_ahead(static_cast<uint32_t>(
        size >= 0 ? std::min<int64_t>(size, ContainerInput::kAheadBytes)
                  : ContainerInput::kAheadBytes));
    whole = read_header(input, header);
}

void OpenedContainer::close() {
    Fl_Close(file);
    file = nullptr;
}

int decrypt_opened(const unsigned short *password, OpenedContainer &opened,
                   const unsigned short *container, const unsigned short *outputFolder) {
    if (!opened.file || !begin_container(container, outputFolder)) return 0;
    return restore_and_close(password, opened, container, outputFolder);
}

}  // namespace encrypt
