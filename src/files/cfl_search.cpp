// The recursive file search and its result list.
#include <quorvel/paths.h>
#include <quorvel/search.h>

#include "platform/win32.h"
#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The first `length` units of `text`, then `name`, as a malloc'd string.
unsigned short *join(const unsigned short *text, size_t length, const WCHAR *name) {
    const unsigned short *tail = as_exported(name);
    const size_t tail_length = platform::u16_length(tail);
    auto *path = static_cast<unsigned short *>(
        std::malloc((length + tail_length + 1) * sizeof(unsigned short)));
    if (!path) return nullptr;
    std::memcpy(path, text, length * sizeof(unsigned short));
    std::memcpy(path + length, tail, (tail_length + 1) * sizeof(unsigned short));
    return path;
}

void free_record(tagFINDFILE *record) {
    std::free(record->pszFullPath);
    std::free(record->pszExtra);
    std::memset(record, 0, sizeof *record);
    delete record;
}

bool is_dots(const WCHAR *name) {
    return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

// One folder being listed: its listing, where its base ends in the shared
// path buffer, and the entry in hand.
struct Level {
    intptr_t find;
    size_t base_length;
    bool first;  // the entry in hand came with the listing and is not yet used
    struct _wfinddatai64_t found;
};

// Starts listing `folder` + backslash + pattern, the text built in `path`.
// False when the listing cannot start or the text would not fit.
bool open_level(unsigned short *path, const unsigned short *folder,
                const unsigned short *pattern, Level &level) {
    size_t length = platform::u16_length(folder);
    if (length + 1 >= QUORVEL_MAX_TEXT) return false;
    std::memmove(path, folder, (length + 1) * sizeof(unsigned short));
    Cfl_AddBackslash(path);
    length = platform::u16_length(path);
    const size_t pattern_length = platform::u16_length(pattern);
    if (length + pattern_length >= QUORVEL_MAX_TEXT) return false;
    std::memcpy(path + length, pattern, (pattern_length + 1) * sizeof(unsigned short));
    level.base_length = length;
    level.first = true;
    level.find = _wfindfirsti64(as_wide(path), &level.found);
    return level.find != -1;
}

}  // namespace

// Depth-first with a stack of listings rather than recursion, so that a deep
// tree needs no deep call stack; the order is the recursive one: a folder's
// record, then what its listing finds, then the folder's next sibling.
int Cfl_FileSearch(const unsigned short *folder, const unsigned short *pattern, tagSEQ &list,
                   int includeFolders) {
    if (!folder || !pattern) return 0;
    const unsigned skip = _A_HIDDEN | _A_SYSTEM | (includeFolders ? 0 : _A_SUBDIR);
    unsigned short path[QUORVEL_MAX_TEXT];
    std::vector<Level> levels(1);
    if (!open_level(path, folder, pattern, levels[0])) return 0;
    int result = 0;
    bool out_of_memory = false;
    while (!levels.empty() && !out_of_memory) {
        Level &level = levels.back();
        if (!level.first && _wfindnexti64(level.find, &level.found) != 0) {
            _findclose(level.find);
            levels.pop_back();
            continue;
        }
        level.first = false;
        const struct _wfinddatai64_t &found = level.found;
        if (found.attrib & skip) continue;
        auto *record = new (std::nothrow) tagFINDFILE();
        // This level's base is at the start of `path`: deeper levels begin
        // their own texts with it.
        if (record) record->pszFullPath = join(path, level.base_length, found.name);
        if (!record || !record->pszFullPath || !AddTail(list, record)) {
            if (record) free_record(record);
            out_of_memory = true;
            break;
        }
        record->attrib = found.attrib;
        record->time_create = static_cast<LONG>(found.time_create);
        record->time_access = static_cast<LONG>(found.time_access);
        record->time_write = static_cast<LONG>(found.time_write);
        record->size = found.size;
        if (levels.size() == 1) result = 1;
        if (!(found.attrib & _A_SUBDIR)) continue;
        if (is_dots(found.name)) {
            free_record(static_cast<tagFINDFILE *>(RemoveTail(list)));
            continue;
        }
        // A linked folder is listed but not entered (it may lead back up).
        if (found.attrib & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        // Failures inside a folder are silent; its listing text begins with
        // this level's base, so the base stays in place either way.
        Level inner;
        if (open_level(path, record->pszFullPath, pattern, inner)) levels.push_back(inner);
    }
    for (Level &level : levels) _findclose(level.find);
    return result;
}

void Cfl_FileSearchFree(tagSEQ &list) {
    for (tagNODE *node = list.pHead; node; node = node->pNext)
        if (node->pData) free_record(static_cast<tagFINDFILE *>(node->pData));
    RemoveAll(list);
}
