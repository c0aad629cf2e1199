// Folder analysis, file and drive sizes, the size text and the checksum.
#include <quorvel/error.h>
#include <quorvel/paths.h>
#include <quorvel/search.h>
#include <quorvel/text.h>

#include "files/long_form.h"
#include "platform/listing_hint.h"

#include <cstring>

namespace {

const unsigned short kAllEntries[] = {'*', '.', '*', 0};
const unsigned short kBackslashAll[] = {'\\', '*', '.', '*', 0};

bool is_dots(const WCHAR *name) {
    return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

// A listing for sizes and kinds: hidden, system and archive are not read
// (on POSIX a call per entry).
HANDLE list_sizes(const unsigned short *pattern, WIN32_FIND_DATAW &found) {
    return FindFirstFileExW(as_wide(pattern), FindExInfoStandard, &found, FindExSearchNameMatch,
                            nullptr, FIND_FIRST_EX_QUORVEL_NO_DOS_ATTRIBUTES);
}

int64_t size_of(const WIN32_FIND_DATAW &found) {
    return static_cast<int64_t>(static_cast<uint64_t>(found.nFileSizeHigh) << 32 |
                                found.nFileSizeLow);
}

}  // namespace

int Cfl_FolderAnalyze(const unsigned short *folder, LONG &files, LONG &folders, int64_t &bytes,
                      int compressed, int recursive, int report) {
    if (!folder) return 0;
    // Entered with SetCurrentDirectoryW, a folder is listed by bare names;
    // else through the long form of its absolute path.
    WCHAR saved[2048];
    const DWORD saved_length = GetCurrentDirectoryW(2046, saved);
    const bool entered = saved_length > 0 && saved_length < 2046 &&
                         SetCurrentDirectoryW(as_wide(folder));
    // The base that entry names follow: none in the entered folder.
    unsigned short base[QUORVEL_MAX_TEXT] = {0};
    WIN32_FIND_DATAW found;
    HANDLE find = INVALID_HANDLE_VALUE;
    if (entered) {
        find = list_sizes(kAllEntries, found);
    } else if (files::long_form(folder, base) && files::join(base, kBackslashAll, g_szCflWork)) {
        // With room for a backslash and "*.*" after it, the base has room for
        // its own backslash.
        Cfl_AddBackslash(base);
        files::join(base, kAllEntries, g_szCflWork);
        find = list_sizes(g_szCflWork, found);
    }
    auto restore = [&] {
        if (entered) SetCurrentDirectoryW(saved);
    };
    if (find == INVALID_HANDLE_VALUE) {
        if (report) Err_Message(0);
        restore();
        return 0;
    }

    // The name of an entry as the calls below take it.
    unsigned short path[QUORVEL_MAX_TEXT];
    auto name_of = [&](const WIN32_FIND_DATAW &entry) -> const unsigned short * {
        return files::join(base, as_exported(entry.cFileName), path) ? path : nullptr;
    };

    int result = 1;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (is_dots(found.cFileName)) continue;
            // A linked folder is counted, with the link's own size (none on
            // Windows), and never entered: a link may lead back up the tree.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) bytes += size_of(found);
            else if (recursive) {
                const unsigned short *inner = name_of(found);
                result = inner ? Cfl_FolderAnalyze(inner, files, folders, bytes, compressed,
                                                   recursive, 1)
                               : 0;
            }
            ++folders;
        } else {
            const DWORD packed = FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE;
            if (compressed && (found.dwFileAttributes & packed)) {
                const unsigned short *name = name_of(found);
                DWORD high = 0;
                const DWORD low = name ? GetCompressedFileSizeW(as_wide(name), &high)
                                       : INVALID_FILE_SIZE;
                const DWORD error = low == INVALID_FILE_SIZE ? GetLastError() : ERROR_SUCCESS;
                if (low != INVALID_FILE_SIZE)
                    bytes += static_cast<int64_t>(static_cast<uint64_t>(high) << 32 | low);
                else if (error == ERROR_SUCCESS) bytes += size_of(found);
                else if (report) Err_Message(0);
            } else {
                bytes += size_of(found);
            }
            ++files;
        }
    } while (result && FindNextFileW(find, &found));
    if (GetLastError() != ERROR_NO_MORE_FILES && report) Err_Message(0);
    FindClose(find);
    restore();
    return result;
}

int64_t Cfl_GetFileSize(const unsigned short *path, int report) {
    unsigned short long_path[QUORVEL_MAX_TEXT];
    if (!files::long_form(path, long_path)) {
        if (report) Err_Message(0);
        return -1;
    }
    HANDLE file = CreateFileW(as_wide(long_path), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!file) return -1;
    if (file == INVALID_HANDLE_VALUE) {
        // A folder, or a file held against sharing: its directory entry.
        WIN32_FIND_DATAW found;
        HANDLE find = list_sizes(long_path, found);
        if (find == INVALID_HANDLE_VALUE) {
            if (report) Err_Message(0);
            return -1;
        }
        FindClose(find);
        return size_of(found);
    }
    LARGE_INTEGER size;
    int64_t result = -1;
    if (GetFileSizeEx(file, &size)) result = size.QuadPart;
    else if (report) Err_Message(0);
    CloseHandle(file);
    return result;
}

namespace {

using DiskFreeSpaceEx = BOOL(WINAPI *)(LPCWSTR, ULARGE_INTEGER *, ULARGE_INTEGER *,
                                       ULARGE_INTEGER *);

// The drive's caller-free and total bytes through the system's call, looked
// up at run time as an older system might lack it.
bool disk_space(const unsigned short *path, int report, ULARGE_INTEGER &caller_free,
                ULARGE_INTEGER &total) {
    if (!path) return false;
    HMODULE kernel = GetModuleHandleW(as_wide(u"kernel32.dll"));
    auto call = kernel ? reinterpret_cast<DiskFreeSpaceEx>(reinterpret_cast<void *>(
                             GetProcAddress(kernel, "GetDiskFreeSpaceExW")))
                       : nullptr;
    if (!call) return false;
    const unsigned short *drive = Cfl_GetDriveName(path);
    ULARGE_INTEGER free_bytes;
    if (call(as_wide(drive[0] ? drive : path), &caller_free, &total, &free_bytes)) return true;
    if (report) Err_Message(0);
    return false;
}

}  // namespace

int64_t Cfl_GetDispTotalSpace(const unsigned short *path, int report) {
    ULARGE_INTEGER caller_free, total;
    return disk_space(path, report, caller_free, total) ? static_cast<int64_t>(total.QuadPart)
                                                        : -1;
}

int64_t Cfl_GetDispFreeSpace(const unsigned short *path, int report) {
    ULARGE_INTEGER caller_free, total;
    return disk_space(path, report, caller_free, total)
               ? static_cast<int64_t>(caller_free.QuadPart)
               : -1;
}

unsigned short *Cfl_DispByteSize(int64_t size, unsigned char mode) {
    enum Unit { kBytes, kKilo, kMega, kGiga, kTera };
    static const char16_t *const kUnits[] = {u" B", u" KB", u" MB", u" GB", u" TB"};
    if (mode > 5) return g_szCflWork;
    // Whole kilobytes in 64 bits: from 4 TiB up the count would wrap in 32.
    const uint64_t k = static_cast<uint64_t>(size / 1024);
    const double values[] = {0, static_cast<double>(size) / 1024, k / 1024.0,
                             (k >> 10) / 1024.0, (k >> 20) / 1024.0};
    int unit = mode - 1;
    int decimals = 2;
    if (mode == 0) {
        if (values[kGiga] >= 1000) unit = kTera;
        else if (values[kMega] >= 1000) unit = kGiga;
        else if (values[kMega] >= 1) unit = kMega;
        else if (values[kKilo] >= 1) unit = kKilo;
        else unit = kBytes;
        const double shown = values[unit];
        decimals = unit == kKilo ? 0 : shown >= 100 ? 0 : shown >= 10 ? 1 : 2;
    }
    const unsigned short *number = unit == kBytes ? Str_AddCommaInt(size)
                                                  : Str_AddCommaReal(values[unit], decimals);
    files::join(number, as_exported(kUnits[unit]), g_szCflWork);
    return g_szCflWork;
}

DWORD Cfl_CheckSum(const void *data, unsigned int length, DWORD seed) {
    const auto *bytes = static_cast<const unsigned char *>(data);
    DWORD sum = seed;
    if (!bytes) return sum;
    unsigned int i = 0;
    for (; i + 4 <= length; i += 4)
        sum ^= static_cast<DWORD>(bytes[i]) | static_cast<DWORD>(bytes[i + 1]) << 8 |
               static_cast<DWORD>(bytes[i + 2]) << 16 | static_cast<DWORD>(bytes[i + 3]) << 24;
    DWORD tail = 0;
    for (; i < length; ++i) tail = tail << 8 | bytes[i];
    return sum ^ tail;
}
