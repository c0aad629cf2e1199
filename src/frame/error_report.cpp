// Error reports: the thread's last-error code with the system's text.
#include <quorvel/error.h>

#include "platform/win32.h"

#include <cassert>
#include <cstdio>

namespace {

constexpr int kReportLength = 4096;
constexpr DWORD kSystemTextFlags = 0x1300;  // allocate, ignore inserts, from system
constexpr DWORD kUserDefaultLanguage = 0x0400;

// The system's text for `code`, allocated by the system; null when it has
// none. Release with LocalFree.
WCHAR *system_text(DWORD code) {
    WCHAR *text = nullptr;
    if (FormatMessageW(kSystemTextFlags, nullptr, code, kUserDefaultLanguage,
                       reinterpret_cast<WCHAR *>(&text), 0, nullptr) == 0)
        return nullptr;
    return text;
}

// Copies at most capacity - 1 units of `source` after `length` units already
// in `target`; returns the new length.
int append(WCHAR *target, int length, int capacity, const WCHAR *source) {
    assert(length >= 0 && length < capacity);
    while (source && *source && length < capacity - 1) target[length++] = *source++;
    target[length] = 0;
    return length;
}

}  // namespace

LONG Err_Message(LONG noReport) {
    const DWORD code = GetLastError();
    if (code == 0) return 0;
    if (static_cast<int32_t>(code) == noReport) return noReport;

    WCHAR report[kReportLength];
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "[Error:%d] ", static_cast<int>(code));
    int length = 0;
    for (const char *p = prefix; *p; ++p) report[length++] = static_cast<WCHAR>(*p);
    report[length] = 0;
    if (WCHAR *text = system_text(code)) {
        append(report, length, kReportLength, text);
        LocalFree(text);
    }
    MessageBoxW(nullptr, report, as_wide(u"Error Message"), MB_OK | MB_ICONINFORMATION);
    // The box's own calls may change the last error (Wine's do); the caller
    // goes on to return its failure with the code reported.
    SetLastError(code);
    return static_cast<int32_t>(code);
}

LONG Err_GetMessageN(unsigned short *text, LONG capacity, LONG noReport) {
    const DWORD code = GetLastError();
    if (code == 0) return 0;
    if (static_cast<int32_t>(code) == noReport) return noReport;
    if (text && capacity > 0) {
        WCHAR *system = system_text(code);
        append(as_wide(text), 0, capacity, system);
        if (system) LocalFree(system);
    }
    return static_cast<int32_t>(code);
}

LONG Err_GetMessage(unsigned short *text, LONG noReport) {
    return Err_GetMessageN(text, INT32_MAX, noReport);
}
