// File attributes through the system's calls, on the long-path form.
#include <quorvel/attributes.h>

#include <quorvel/error.h>

#include "files/long_form.h"
#include "platform/win32.h"

int Cfl_GetFileAttr(const unsigned short *path, DWORD &attributes, int report) {
    unsigned short long_path[QUORVEL_MAX_TEXT];
    attributes = files::long_form(path, long_path) ? GetFileAttributesW(as_wide(long_path))
                                                   : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES) return 1;
    if (report) Err_Message(0);
    return 0;
}

int Cfl_SetFileAttr(const unsigned short *path, DWORD attributes, int report) {
    unsigned short long_path[QUORVEL_MAX_TEXT];
    if (files::long_form(path, long_path) && SetFileAttributesW(as_wide(long_path), attributes))
        return 1;
    if (report) Err_Message(0);
    return 0;
}

int Cfl_RemoveFileAttrReadOnly(const unsigned short *path) {
    DWORD attributes;
    if (!Cfl_GetFileAttr(path, attributes, 1)) return 0;
    return Cfl_SetFileAttr(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY), 1);
}
