// Cfl_DeleteFile and the recursive Cfl_DeleteFolder.
#include <quorvel/attributes.h>
#include <quorvel/error.h>
#include <quorvel/fileops.h>
#include <quorvel/paths.h>

#include "files/long_form.h"
#include "platform/win32.h"

namespace {

bool is_dot_entry(const WCHAR *name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// A linked folder (a symbolic link or junction) is taken off as a link,
// never followed into.
int delete_link(const unsigned short *path) {
    if (RemoveDirectoryW(as_wide(path)) || DeleteFileW(as_wide(path))) return 1;
    Err_Message(0);
    return 0;
}

// Lists `folder` (long form with its backslash) followed by `query` and
// calls visit(entry path, is folder, is link) for each entry but "." and
// "..", while `result` stays non-zero. False when the listing cannot start.
template <class Visit>
bool list(const unsigned short *folder, const unsigned short *query, const int &result,
          Visit visit) {
    unsigned short pattern_path[QUORVEL_MAX_TEXT], entry[QUORVEL_MAX_TEXT];
    if (!files::join(folder, query, pattern_path)) return false;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(as_wide(pattern_path), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        if (is_dot_entry(found.cFileName)) continue;
        if (!files::join(folder, as_exported(found.cFileName), entry)) {
            Err_Message(0);
            visit(nullptr, false, false);
            continue;
        }
        const DWORD attributes = found.dwFileAttributes;
        visit(entry, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    } while (result && FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

constexpr char16_t kEverything[] = u"*.*";

}  // namespace

int Cfl_DeleteFile(const unsigned short *path, int atReboot, int report) {
    if (!path) return 0;
    if (!Cfl_IsExist(path)) return 1;
    unsigned short target[QUORVEL_MAX_TEXT];
    if (!files::long_form(path, target)) {
        if (report) Err_Message(0);
        return 0;
    }
    if (!atReboot) {
        if (DeleteFileW(as_wide(target))) return 1;
        if (!Cfl_RemoveFileAttrReadOnly(path)) return 0;
        if (DeleteFileW(as_wide(target))) return 1;
    }
    // Left to the system's next start (POSIX has none: that fails).
    if (MoveFileExW(as_wide(target), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 1;
    if (report) Err_Message(0);
    return 0;
}

int Cfl_DeleteFolder(const unsigned short *folderPath, const unsigned short *pattern) {
    // With room for the backslash added below.
    unsigned short folder[QUORVEL_MAX_TEXT + 1];
    if (!folderPath || !files::long_form(folderPath, folder)) return 0;
    Cfl_AddBackslash(folder);
    int result = 1, remaining = 0;
    const unsigned short *everything = as_exported(kEverything);

    // An entry of the first listing: matching files go, matching folders go whole.
    auto delete_entry = [&](const unsigned short *entry, bool is_folder, bool is_link) {
        if (!entry) {
            result = 0;
            return;
        }
        if (is_folder && is_link) result = delete_link(entry);
        else if (is_folder) result = Cfl_DeleteFolder(entry, nullptr);
        else result = Cfl_DeleteFile(entry, 0, 1);
        if (Cfl_IsExist(entry)) ++remaining;
    };

    if (!pattern) {
        if (!list(folder, everything, result, delete_entry)) return 0;
    } else {
        if (!list(folder, pattern, result, delete_entry)) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND) {
                Err_Message(0);
                return 0;
            }
        }
        // The matching files are gone: what files are left stay, and each
        // folder is searched in turn.
        const bool listed = list(folder, everything, result,
                                 [&](const unsigned short *entry, bool is_folder, bool is_link) {
                                     if (!entry) {
                                         result = 0;
                                         return;
                                     }
                                     if (is_folder && !is_link)
                                         result = Cfl_DeleteFolder(entry, pattern);
                                     if (Cfl_IsExist(entry)) ++remaining;
                                 });
        if (!listed) return 0;
    }
    if (!result) return 0;
    if (remaining) return result;
    Cfl_RemoveBackslash(folder);
    if (!RemoveDirectoryW(as_wide(folder))) {
        Err_Message(0);
        return 0;
    }
    return 1;
}
