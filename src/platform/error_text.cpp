// FormatMessageW for system error codes: the English texts that Windows
// gives for the codes this platform layer produces.
#include "platform/win32.h"
#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>

namespace {

struct ErrorText {
    DWORD code;
    const char *text;
};

const ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of the file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {53, "The network path was not found."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {131, "An attempt was made to move the file pointer before the beginning of the file."},
    {145, "The directory is not empty."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {203, "The system could not find the environment option that was entered."},
    {206, "The filename or extension is too long."},
    {267, "The directory name is invalid."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1142, "An attempt was made to create more links on a file than the file system supports."},
    {1223, "The operation was canceled by the user."},
    {1921, "The name of the file cannot be resolved by the system."},
    // COM and OLE Automation status codes.
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x8007000E, "Not enough memory resources are available to complete this operation."},
    {0x80070057, "The parameter is incorrect."},
    {0x80020004, "Parameter not found."},
    {0x80020005, "Type mismatch."},
    {0x8002000A, "Out of present range."},
    {0x8002000B, "Invalid index."},
    {0x80040154, "Class not registered"},
};

const char *find_text(DWORD code) {
    for (const ErrorText &entry : kErrorTexts)
        if (entry.code == code) return entry.text;
    return nullptr;
}

}  // namespace

HLOCAL quorvel_win32::LocalAlloc(UINT flags, size_t bytes) {
    void *memory = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1)
                                           : std::malloc(bytes ? bytes : 1);
    if (!memory) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return memory;
}

HLOCAL quorvel_win32::LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

DWORD quorvel_win32::FormatMessageW(DWORD flags, const void *, DWORD messageId, DWORD,
                                LPWSTR buffer, DWORD size, va_list *) {
    const char *text = (flags & FORMAT_MESSAGE_FROM_SYSTEM) ? find_text(messageId) : nullptr;
    if (!text) {
        SetLastError(flags & FORMAT_MESSAGE_FROM_SYSTEM ? 317 /* ERROR_MR_MID_NOT_FOUND */
                                                        : ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string wide = platform::utf8_to_utf16(std::string(text) + "\r\n");
    const DWORD length = static_cast<DWORD>(wide.size());
    WCHAR *target;
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        target = static_cast<WCHAR *>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
        if (!target) return 0;
        *reinterpret_cast<WCHAR **>(buffer) = target;
    } else {
        if (!buffer || size <= length) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        target = buffer;
    }
    std::memcpy(target, wide.data(), length * sizeof(WCHAR));
    target[length] = 0;
    return length;
}
