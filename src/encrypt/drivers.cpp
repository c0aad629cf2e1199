// The drivers: one file or a folder tree, encrypted or restored under the
// option globals, with the host's start and result callbacks around each
// container.
#include "encrypt/container.h"
#include "encrypt/run_state.h"
#include "files/long_form.h"

#include <quorvel/fileops.h>
#include <quorvel/frame.h>
#include <quorvel/paths.h>
#include <quorvel/progress.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t kHiddenNameUnits = 60;
constexpr int kFolderNameTries = 8;

// Paths are edited as strings of any length; the library's path limit is
// checked where a path meets the system or a caller's buffer, so that no
// edit can leave a cut or empty path behind.
std::u16string edited(std::u16string path, unsigned short *(*edit)(unsigned short *)) {
    path.append(2, u'\0');  // room for the backslash Cfl_AddBackslash adds
    return u16_string(edit(as_exported(&path[0])));
}

std::u16string without_extension(std::u16string path) {
    path.push_back(0);
    Cfl_RemoveExtension(as_exported(&path[0]));
    return std::u16string(path.c_str());
}

std::u16string extension(const std::u16string &path) {
    return u16_string(Cfl_GetExtension(as_exported(path)));
}

std::u16string parent_of(const std::u16string &path) {
    return edited(edited(path, Cfl_RemoveFileSpec), Cfl_AddBackslash);
}

std::u16string name_of(const std::u16string &path) { return edited(path, Cfl_StripPath); }

// Into a caller's buffer of QUORVEL_MAX_TEXT units; false (path too long)
// when it does not fit, the buffer unchanged.
bool store(unsigned short *buffer, const std::u16string &path) {
    const files::FixedPath checked(path);
    if (!checked) return false;
    std::memcpy(buffer, checked.get(), (path.size() + 1) * sizeof(char16_t));
    return true;
}

// The output folder chosen by g_cOutFolder; false for values past 3.
bool output_global(std::u16string &folder) {
    const unsigned short *globals[] = {g_szDesktop, g_szMyDocument, g_szWrkDir};
    if (g_cOutFolder < 1 || g_cOutFolder > 3) return false;
    folder = u16_string(globals[g_cOutFolder - 1]);
    // An empty folder global would send the output to the working folder.
    return !folder.empty();
}

bool drive_root(const std::u16string &path) {
    return path.size() == 3 && path[1] == u':' && path[2] == u'\\';
}

bool excluded(DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return ((attributes & FILE_ATTRIBUTE_HIDDEN) && !g_cHideFile) ||
           ((attributes & FILE_ATTRIBUTE_SYSTEM) && !g_cSystemFolder);
}

DWORD attributes_of(const std::u16string &path) {
    const files::LongPath long_path(path);
    return long_path ? GetFileAttributesW(as_wide(long_path.get())) : INVALID_FILE_ATTRIBUTES;
}

// "<folder><key time>_<counter>.cpt", the first that does not exist in
// `existing_in` (naming 1).
std::u16string time_name(const std::u16string &folder, const std::u16string &existing_in,
                         LONG keyTime) {
    char16_t stamp[15] = u"";
    encrypt::time_text(keyTime, stamp);
    for (int counter = 0;; ++counter) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "_%04d", counter);
        const std::u16string name = stamp + std::u16string(digits, digits + std::strlen(digits));
        if (!Cfl_IsExist(as_exported(existing_in + name + u".cpt")) || counter == 9999)
            return folder + name + u".cpt";
    }
}

// The MD5 hex of the name's ANSI form (naming 2).
std::u16string digest_name(const std::u16string &name) {
    unsigned char digest[33] = {};
    encrypt::ansi_digest(name, digest);
    return std::u16string(digest, digest + std::strlen(reinterpret_cast<char *>(digest)));
}

int skip_rule(int result) {
    return result == 0 && !Prg_IsCancel() && g_cSkipError ? 1 : result;
}

void call_start(int flag, const std::u16string &path, const std::u16string &other, int tag) {
    if (auto start = encrypt::callbacks().start)
        start(static_cast<unsigned char>(flag), as_exported(path), as_exported(other), tag);
}

void call_result(int result, const std::u16string &path, const unsigned short *other, int tag) {
    if (auto callback = encrypt::callbacks().result)
        callback(static_cast<unsigned char>(result), as_exported(path), other, tag);
}

// Releases each listed name and empties the list.
void release(tagSEQ &list) {
    while (GetCount(list) > 0) std::free(RemoveHead(list));
}

void show(const char16_t *message, const std::u16string &name) {
    Prg_SetMessage(as_exported(message));
    Prg_SetFileName(as_exported(name));
    Prg_SetProgress(0, 0);
}

// Renames a folder in place, refused when the new name exists. A folder has
// no read-only attribute to clear first, so the system's move is all of it.
int rename_folder(const std::u16string &from, const std::u16string &to) {
    const files::LongPath long_from(from), long_to(to);
    if (!long_from || !long_to || Cfl_IsExist(as_exported(to))) return 0;
    return MoveFileW(as_wide(long_from.get()), as_wide(long_to.get())) ? 1 : 0;
}

// The hidden form of a folder name, checked by restoring it.
std::u16string hidden_name(const std::u16string &name, const unsigned short *password) {
    std::u16string hidden;
    for (int attempt = 0; attempt < kFolderNameTries; ++attempt) {
        unsigned short *encoded = Enc_EncryptFolder(as_exported(name), password);
        if (!encoded) return {};
        hidden = u16_string(encoded);
        std::free(encoded);
        unsigned short *restored = Enc_DecryptFolder(as_exported(hidden), password);
        const bool same = restored && u16_string(restored) == name;
        std::free(restored);
        if (same) break;
    }
    return hidden;
}

int encrypt_file(unsigned short *path, const unsigned short *password, LONG keyTime, int tag) {
    if (g_cOnlyFolder) return 1;
    const std::u16string source = u16_string(path);
    const std::u16string parent = parent_of(source);
    if (!drive_root(parent) && excluded(attributes_of(parent))) return 1;

    std::u16string base = source;
    if (g_cOutName == 1) base = time_name(parent, parent, keyTime);
    if (g_cOutName == 2) base = parent + digest_name(name_of(source));
    std::u16string container;
    if (g_cOutFolder == 0) {
        container = (g_cOutName == 0 ? base : without_extension(base)) + u".cpt";
    } else {
        std::u16string folder;
        if (!output_global(folder)) return 0;
        container = folder + without_extension(name_of(base)) + u".cpt";
    }
    if (g_cOutputLog) encrypt::open_log(as_exported(without_extension(container) + u"_Enc.log"));
    call_start(1, source, container, tag);
    int result = Enc_EncryptHead(password, as_exported(source), as_exported(container), keyTime);
    call_result(result, source, as_exported(container), tag);
    result = skip_rule(result);
    encrypt::close_log();
    return result;
}

// One container, restored beside it or into the output folder global.
int decrypt_file(const unsigned short *path, const unsigned short *password, int tag) {
    if (g_cOnlyFolder) return 1;
    const std::u16string container = u16_string(path);
    encrypt::OpenedContainer opened(path);
    if (!opened.opens_with(password)) {
        opened.close();
        SetLastError(ERROR_INVALID_PASSWORD);
        call_result(0, container, nullptr, tag);
        return 0;
    }
    std::u16string output;
    if (g_cOutFolder == 0)
        output = parent_of(container);
    else if (!output_global(output))
        return 0;
    output = edited(output, Cfl_AddBackslash);
    call_start(1, container, output, tag);
    const int result = encrypt::decrypt_opened(password, opened, path, as_exported(output));
    call_result(result, container, as_exported(output), tag);
    return skip_rule(result);
}

}  // namespace

int Enc_ListSubFolder(const unsigned short *folder, tagSEQ *folders, tagSEQ *files,
                      int containersWanted) {
    if (!folder || !folders || !files) return 0;
    std::u16string pattern = u16_string(folder);
    // An empty folder would list "\*.*", the drive's root.
    if (pattern.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    // An excluded folder lists as empty. Its "." entry tells on Windows, but
    // not where a leading dot alone hides the name (POSIX, Wine): the
    // folder's own attributes are asked too. A drive's root, hidden and
    // system on Windows, has no "." entry and is listed.
    const std::u16string own = edited(pattern, Cfl_RemoveBackslash);
    if (!drive_root(own) && excluded(attributes_of(own))) return 1;
    if (pattern.back() != u'\\') pattern += u'\\';
    pattern += u"*.*";
    const files::LongPath long_pattern(pattern);
    if (!long_pattern) return 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(as_wide(long_pattern.get()), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;

    int result = 1;
    do {
        if (Prg_DoCancel()) {
            result = 0;
            break;
        }
        const std::u16string name = u16_string(found.cFileName);
        if (excluded(found.dwFileAttributes)) {
            // The folder itself is excluded: it lists as empty.
            if (name == u".") break;
            continue;
        }
        if (name == u"." || name == u"..") continue;
        // A link is passed by: what it leads to is no part of this tree.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        const bool is_folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool container = extension(name) == u".cpt";
        tagSEQ *list = nullptr;
        if (is_folder && g_cSubFolder) list = folders;
        if (!is_folder && !g_cOnlyFolder && container == (containersWanted != 0)) list = files;
        if (!list) continue;
        const size_t bytes = (name.size() + 1) * sizeof(char16_t);
        void *copy = std::malloc(bytes);
        if (!copy) {
            result = 0;
            break;
        }
        std::memcpy(copy, name.c_str(), bytes);
        AddTail(*list, copy);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return result;
}

int Enc_EncryptSub(const unsigned short *password, unsigned short *folder,
                   const unsigned short *outputParent, LONG keyTime, int tag) {
    if (Prg_DoCancel()) return 0;
    if (!folder || !outputParent) return 0;
    const std::u16string parent = u16_string(outputParent);
    const std::u16string name = name_of(u16_string(folder));
    std::u16string output = name;
    if (parent != name) {
        if (excluded(attributes_of(u16_string(folder)))) return 1;
        output = parent + name;
        if (g_cEncFolder && extension(name) != u".cpf" && name.size() <= kHiddenNameUnits) {
            show(u"フォルダ名を暗号化しています", name);
            const std::u16string hidden = hidden_name(name, password);
            if (!hidden.empty() && output + u"\\" == u16_string(folder)) {
                const std::u16string renamed = parent + hidden + u".cpf";
                // The caller's buffer must take the new path before the
                // folder is renamed: else the run would go on at a path
                // that is gone.
                if (!files::FixedPath(renamed + u"\\")) return 0;
                if (rename_folder(output, renamed)) {
                    output = renamed;
                    store(folder, renamed + u"\\");
                }
            } else if (!hidden.empty()) {
                output = parent + hidden + u".cpf";
            }
        }
    }
    output = edited(output, Cfl_AddBackslash);
    if (!Cfl_CreateFolder(as_exported(output))) return 0;

    tagSEQ folders, files;
    int result = Enc_ListSubFolder(folder, &folders, &files, 0);
    const std::u16string source_folder = edited(u16_string(folder), Cfl_AddBackslash);
    while (result && GetCount(files) > 0) {
        auto *item = static_cast<unsigned short *>(RemoveHead(files));
        const std::u16string file = u16_string(item);
        std::free(item);
        std::u16string container = output + file + u".cpt";
        if (g_cOutName == 1) container = time_name(output, output, keyTime);
        if (g_cOutName == 2) container = output + digest_name(file) + u".cpt";
        const std::u16string source = source_folder + file;
        call_start(result, source, parent, tag);
        result = Enc_EncryptHead(password, as_exported(source), as_exported(container), keyTime);
        call_result(result, source, as_exported(container), tag);
        result = skip_rule(result);
    }
    release(files);
    while (g_cSubFolder && result && GetCount(folders) > 0) {
        auto *item = static_cast<unsigned short *>(RemoveHead(folders));
        files::FixedPath sub(source_folder + u16_string(item) + u"\\");
        std::free(item);
        // A folder too deep for the library's paths fails the run.
        result = sub ? Enc_EncryptSub(password, sub.get(), as_exported(output), keyTime, tag) : 0;
    }
    release(folders);
    return result;
}

int Enc_Encrypt(HWND, unsigned short *path, const unsigned short *password, LONG keyTime,
                int tag) {
    if (!path || !password) return 0;
    if (!Cfl_IsFolder(path)) return encrypt_file(path, password, keyTime, tag);
    Cfl_AddBackslash(path);
    std::u16string output;
    if (g_cOutFolder == 0)
        output = parent_of(u16_string(path));
    else if (!output_global(output))
        return 0;
    if (g_cOutputLog)
        encrypt::open_log(as_exported(output + name_of(u16_string(path)) + u"_Enc.log"));
    const int result = Enc_EncryptSub(password, path, as_exported(output), keyTime, tag);
    encrypt::close_log();
    return result;
}

int Enc_Decrypt(HWND window, unsigned short *path, const unsigned short *password, int tag) {
    if (Prg_DoCancel()) return 0;
    if (!path) return 0;
    if (Cfl_IsFolder(path)) {
        const std::u16string name = name_of(u16_string(path));
        if (g_cEncFolder && extension(name) == u".cpf") {
            show(u"フォルダ名を複合化しています", name);
            unsigned short *restored =
                Enc_DecryptFolder(as_exported(without_extension(name)), password);
            // A restored name that is no plain name would move the folder.
            if (restored && encrypt::plain_name(u16_string(restored))) {
                const std::u16string current = edited(u16_string(path), Cfl_RemoveBackslash);
                const std::u16string renamed = parent_of(current) + u16_string(restored);
                if (!files::FixedPath(renamed + u"\\")) {
                    std::free(restored);
                    return 0;
                }
                if (rename_folder(current, renamed)) store(path, renamed);
            }
            std::free(restored);
        }
        Cfl_AddBackslash(path);
        const std::u16string folder = u16_string(path);
        tagSEQ folders, files;
        int result = Enc_ListSubFolder(path, &folders, &files, 1);
        for (tagSEQ *list : {&files, &folders}) {
            while (result && GetCount(*list) > 0) {
                auto *item = static_cast<unsigned short *>(RemoveHead(*list));
                files::FixedPath entry(folder + u16_string(item));
                std::free(item);
                // The listing has told files from folders already.
                if (!entry)
                    result = 0;
                else if (list == &folders)
                    result = Enc_Decrypt(window, entry.get(), password, tag);
                else
                    result = Prg_DoCancel() ? 0 : decrypt_file(entry.get(), password, tag);
            }
            release(*list);
        }
        return result;
    }
    return decrypt_file(path, password, tag);
}
