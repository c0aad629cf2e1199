/* POSIX platform layer (private to Quorvel): last-error codes, error texts, message boxes,
 * clipboard format names and a minimal COM apartment. */
#ifndef QUORVEL_PLATFORM_WINAPI_BASE_H
#define QUORVEL_PLATFORM_WINAPI_BASE_H

#include <stdarg.h>
#include <quorvel/posix/message_box.h>
#include <quorvel/posix/wintypes.h>

namespace quorvel_win32 {

/* The calls are C++ names in this namespace, so that they never meet the
 * same names of another Win32 layer loaded into the process. */
#define QUORVEL_WINAPI __attribute__((visibility("default")))

/* The calling convention of system calls: the platform's own here. */
#define WINAPI

/* Win32 error codes the platform layer produces. */
#define ERROR_SUCCESS 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_OUTOFMEMORY 14
#define ERROR_NOT_SAME_DEVICE 17
#define ERROR_CRC 23
#define ERROR_NO_MORE_FILES 18
#define ERROR_WRITE_PROTECT 19
#define ERROR_SHARING_VIOLATION 32
#define ERROR_LOCK_VIOLATION 33
#define ERROR_HANDLE_EOF 38
#define ERROR_HANDLE_DISK_FULL 39
#define ERROR_NOT_SUPPORTED 50
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PASSWORD 86
#define ERROR_INVALID_PARAMETER 87
#define ERROR_BROKEN_PIPE 109
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_INVALID_NAME 123
#define ERROR_DIR_NOT_EMPTY 145
#define ERROR_BUSY 170
#define ERROR_ALREADY_EXISTS 183
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_NO_UNICODE_TRANSLATION 1113
#define ERROR_IO_DEVICE 1117
#define ERROR_CANCELLED 1223
#define ERROR_FILE_CORRUPT 1392
#define ERROR_DIRECTORY 267
#define ERROR_TOO_MANY_LINKS 1142
#define ERROR_CANT_ACCESS_FILE 1920
#define ERROR_CANT_RESOLVE_FILENAME 1921

QUORVEL_WINAPI DWORD GetLastError(void);
QUORVEL_WINAPI void SetLastError(DWORD code);

/* Error texts: the English system texts, each ending in "\r\n". Only the
 * FROM_SYSTEM form is supported; ALLOCATE_BUFFER returns a LocalAlloc'd
 * buffer through `buffer` (an LPWSTR*). */
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
QUORVEL_WINAPI DWORD FormatMessageW(DWORD flags, const void *source, DWORD messageId,
                                    DWORD languageId, LPWSTR buffer, DWORD size,
                                    va_list *arguments);
QUORVEL_WINAPI HLOCAL LocalAlloc(UINT flags, size_t bytes);
QUORVEL_WINAPI HLOCAL LocalFree(HLOCAL memory);
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040

/* Message boxes: see <quorvel/posix/message_box.h>. */
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_RETRYCANCEL 0x00000005
#define MB_CANCELTRYCONTINUE 0x00000006
#define MB_TYPEMASK 0x0000000F
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON2 0x00000100
#define MB_DEFBUTTON3 0x00000200
#define MB_DEFMASK 0x00000F00
#define MB_TOPMOST 0x00040000
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11
QUORVEL_WINAPI int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

/* Clipboard format names: one identifier per name (case-insensitive), from
 * 0xC000 up, for the life of the process. */
QUORVEL_WINAPI UINT RegisterClipboardFormatW(LPCWSTR name);

/* A minimal COM: per-thread apartment bookkeeping. */
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define RPC_E_CHANGED_MODE ((HRESULT)0x80010106L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
QUORVEL_WINAPI HRESULT CoInitializeEx(void *reserved, DWORD coInit);
QUORVEL_WINAPI void CoUninitialize(void);

/* Modules: "kernel32.dll" is this platform layer, the only system module
 * there is; GetProcAddress finds the calls the library looks up at run time
 * (GetDiskFreeSpaceExW), others fail with ERROR_PROC_NOT_FOUND. Other
 * module names fail with ERROR_MOD_NOT_FOUND. */
typedef int (*FARPROC)(void);
QUORVEL_WINAPI HMODULE GetModuleHandleW(LPCWSTR name);
QUORVEL_WINAPI FARPROC GetProcAddress(HMODULE module, const char *name);

QUORVEL_WINAPI DWORD GetCurrentThreadId(void);
QUORVEL_WINAPI void Sleep(DWORD milliseconds);
QUORVEL_WINAPI DWORD GetTickCount(void);

}  // namespace quorvel_win32

#endif
