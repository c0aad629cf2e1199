// The Fl_ family: Win32 file handles with the library's sentinels and
// error reports.
#include <quorvel/fl.h>

#include <quorvel/error.h>
#include <quorvel/paths.h>

#include "platform/byte_order.h"
#include "platform/utf16.h"
#include "platform/win32.h"

namespace {

constexpr int kLongPathUnits = 4096;

struct OpenSettings {
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr OpenSettings kModes[] = {
    {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
     FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL},
    {kReadWrite, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {kReadWrite, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL},
    {kReadWrite, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL},
    {kReadWrite, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS},
};

}  // namespace

void *Fl_Open(const unsigned short *path, _FL_MODE mode, int report) {
    unsigned short long_path[kLongPathUnits];
    long_path[0] = 0;
    if (path && Cfl_IndexUNCPath(path) >= 0) {
        // The long form adds at most 6 units; a longer path is refused, not cut.
        size_t length = 0;
        while (path[length] && length < kLongPathUnits) ++length;
        if (length + 7 > kLongPathUnits) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            if (report) Err_Message(0);
            return nullptr;
        }
        Cfl_ChangeUNCPath(path, long_path);
    }
    if (static_cast<unsigned>(mode) > FL_FOLDER) {
        if (report) Err_Message(0);
        return nullptr;
    }
    const OpenSettings &settings = kModes[mode];
    HANDLE file = CreateFileW(as_wide(long_path), settings.access, settings.share, nullptr,
                              settings.disposition, settings.flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (report) Err_Message(0);
    return nullptr;
}

int Fl_Close(void *file) {
    if (!file) return 1;
    return CloseHandle(file) ? 1 : 0;
}

uint32_t Fl_Read(void *file, void *buffer, uint32_t count) {
    if (!file) return FL_FAILED;
    DWORD read = 0;
    if (!ReadFile(file, buffer, count, &read, nullptr)) {
        Err_Message(0);
        return FL_FAILED;
    }
    return read;
}

uint32_t Fl_Write(void *file, const void *buffer, uint32_t count) {
    if (!file) return FL_FAILED;
    DWORD written = 0;
    if (!WriteFile(file, buffer, count, &written, nullptr)) {
        Err_Message(0);
        return FL_FAILED;
    }
    return written;
}

uint32_t Fl_Read(void *file, unsigned short *buffer) {
    if (!file) return FL_FAILED;
    unsigned char count_bytes[4];
    if (Fl_Read(file, count_bytes, 4) != 4) return FL_FAILED;
    const uint32_t count = platform::load_le32(count_bytes);
    if (!buffer || count > FL_MAX_STRING) return FL_FAILED;
    for (uint32_t i = 0; i <= count; ++i) buffer[i] = 0;
    const uint32_t bytes = count * 2;
    return Fl_Read(file, buffer, bytes) == bytes ? bytes : FL_FAILED;
}

uint32_t Fl_Write(void *file, const unsigned short *text) {
    if (!file) return FL_FAILED;
    static const unsigned short kEmpty = 0;
    if (!text) text = &kEmpty;
    const auto count = static_cast<uint32_t>(platform::u16_length(text));
    const unsigned char count_bytes[4] = {
        static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
        static_cast<unsigned char>(count >> 16), static_cast<unsigned char>(count >> 24)};
    const uint32_t written = Fl_Write(file, count_bytes, 4);
    if (written != 4) return written;
    return Fl_Write(file, text, count * 2);
}

int64_t Fl_Seek(void *file, int64_t distance, uint32_t method) {
    if (!file) return -1;
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!SetFilePointerEx(file, move, &position, method)) return -1;
    return position.QuadPart;
}

int64_t Fl_FileSize(void *file) {
    if (!file) return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        Err_Message(0);
        return -1;
    }
    return size.QuadPart;
}

int Fl_GetFileTime(void *file, FILETIME *creation, FILETIME *access, FILETIME *write) {
    if (!file) return 0;
    if (!GetFileTime(file, creation, access, write)) {
        Err_Message(0);
        return 0;
    }
    return 1;
}

int Fl_SetFileTime(void *file, const FILETIME *creation, const FILETIME *access,
                   const FILETIME *write) {
    if (!file) return 0;
    if (!SetFileTime(file, creation, access, write)) {
        Err_Message(0);
        return 0;
    }
    return 1;
}
