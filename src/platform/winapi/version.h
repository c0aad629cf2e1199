/* POSIX platform layer (private to Quorvel): module file names and version
 * resources. The version calls read a PE file's resource section (the
 * VS_VERSIONINFO block of its RT_VERSION resource) from disk, the way
 * version.dll reads a module's; an ELF module (libquorvel.so) carries the
 * same block in its section ".vs_version_info". */
#ifndef QUORVEL_PLATFORM_WINAPI_VERSION_H
#define QUORVEL_PLATFORM_WINAPI_VERSION_H

#include "base.h"

namespace quorvel_win32 {

#define ERROR_BAD_FORMAT 11
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813

/* The path of a loaded module (null: the executable), as a Windows path.
 * A buffer too small gets the start of it, terminated, the size as the
 * result and ERROR_INSUFFICIENT_BUFFER. A handle that is no module's load
 * address fails with ERROR_MOD_NOT_FOUND. */
QUORVEL_WINAPI DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);

/* The size of the file's version block; 0 with ERROR_BAD_FORMAT for a file
 * that is no PE or ELF image or whose block is inconsistent, and
 * ERROR_RESOURCE_TYPE_NOT_FOUND for one without a block. `handle` gets 0. */
QUORVEL_WINAPI DWORD GetFileVersionInfoSizeW(LPCWSTR path, DWORD *handle);
/* Copies up to `size` bytes of the block into `data`. */
QUORVEL_WINAPI BOOL GetFileVersionInfoW(LPCWSTR path, DWORD handle, DWORD size, void *data);
/* Looks `subBlock` up in a block that GetFileVersionInfoW filled: "\" (the
 * fixed part), "\VarFileInfo\Translation", "\StringFileInfo\<lang><cp>\<name>";
 * names match without regard to ASCII case, as version.dll matches them.
 * `length` gets bytes for binary values and characters for texts. */
QUORVEL_WINAPI BOOL VerQueryValueW(const void *block, LPCWSTR subBlock, void **value, UINT *length);

}  // namespace quorvel_win32

#endif
