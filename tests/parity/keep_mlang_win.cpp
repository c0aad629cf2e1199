// Keeps mlang.dll loaded while the dump runs: Str_UnicodeToEucJP loads and
// frees it on every call, which costs Wine milliseconds each time.
#include <windows.h>

namespace {
const HMODULE kept = LoadLibraryW(L"mlang.dll");
}
