// A host as Microsoft's compiler builds it (clang in Microsoft mode, linked by
// lld-link against Quorvel.lib alone, without a C runtime): calls one export
// or more of every family through its decorated name and checks the results
// against published values. Prints the failed checks; exits with their count.
#include <quorvel/wchar.h>

extern "C" int _fltused = 0;
// The Universal C Runtime's heap, as a host built with /MD meets it.
extern "C" __declspec(dllimport) intptr_t _get_heap_handle();

namespace {

int failures = 0;

void say(const char *text) {
    DWORD length = 0, written = 0;
    while (text[length]) ++length;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, nullptr);
}

void check(bool ok, const char *what) {
    if (ok) return;
    ++failures;
    say("FAILED: ");
    say(what);
    say("\n");
}

template <class A, class B> bool same(const A *a, const B *b) {
    for (; *a || *b; ++a, ++b)
        if (static_cast<unsigned>(*a) != static_cast<unsigned>(*b)) return false;
    return true;
}

unsigned short path[QUORVEL_MAX_TEXT];

// path := the temporary folder and a name.
void temp_path(const wchar_t *name) {
    check(Cfl_GetTempPath(path) == 1, "Cfl_GetTempPath");
    unsigned short *end = path;
    while (*end) ++end;
    while ((*end++ = *name++)) {}
}

void files() {
    check(Cfl_IndexUNCPath(L"\\\\?\\UNC\\srv\\share") == 8,
          "Cfl_IndexUNCPath of a long UNC path");
    temp_path(L"quorvel-mshost.bin");

    void *file = Fl_Open(path, FL_CREATE, 0);
    check(file != nullptr, "Fl_Open");
    if (!file) return;
    check(Fl_Write(file, "0123456789", 10) == 10, "Fl_Write");
    check(Fl_Seek(file, 0, 2) == 10, "Fl_Seek to the end (64-bit result)");
    check(Fl_Close(file) != 0, "Fl_Close");

    struct _stati64 status;
    check(Cfl_GetFileInfo(path, &status) == 1 && status.st_size == 10 &&
              status.st_mtime > 1700000000,
          "Cfl_GetFileInfo fills the runtime's _stati64 record");
    DeleteFileW(reinterpret_cast<wchar_t *>(path));
}

void folders() {
    temp_path(L"quorvel-mshost\\sub");
    check(Cfl_CreateFolder(path) == 1 && Cfl_IsFolder(path) == 1, "Cfl_CreateFolder");
    RemoveDirectoryW(reinterpret_cast<wchar_t *>(path));
    RemoveDirectoryW(reinterpret_cast<wchar_t *>(Cfl_RemoveBackslash(Cfl_RemoveFileSpec(path))));
}

void text() {
    check(same(Str_AddCommaInt(1234567), L"1,234,567"), "Str_AddCommaInt");
    wchar_t *hex = Str_CharTo16(L"AB");
    check(hex && same(hex, L"00410042"), "Str_CharTo16");
    // The block must come from the heap that the host's free releases.
    check(hex && HeapValidate(reinterpret_cast<HANDLE>(_get_heap_handle()), 0, hex),
          "Str_CharTo16's block is in the heap of the host's free");
    free(hex);
}

void calendar() {
    check(Tm_Holiday(2026, 1, 1, -1, -1) == TM_DAY_HOLIDAY, "Tm_Holiday of a date");
    check(same(Tm_HolidayStr(2026, 1, 1, -1, -1), L"\x5143\x65E5"), "Tm_HolidayStr: New Year's Day");
    check(Tm_Holiday(LONG(1767268800)) == TM_DAY_HOLIDAY, "Tm_Holiday of a time (2026-01-01 12:00 UTC)");
    const FILETIME epoch = Tm_UnixTimeToFileTime(0);
    check(epoch.dwLowDateTime == 0xD53E8000u && epoch.dwHighDateTime == 0x019DB1DEu,
          "Tm_UnixTimeToFileTime(0) is 116444736000000000");
    check(Tm_FileTimeToUnixTime(epoch) == 0, "Tm_FileTimeToUnixTime");
    const struct tm morning = Tm_Jd2Date(2451544.25);
    check(morning.tm_year == 100 && morning.tm_mon == 0 && morning.tm_mday == 1 &&
              morning.tm_hour == 6,
          "Tm_Jd2Date: 2000-01-01 06:00");
    check(Tm_LastDay(2024, 2) == 29, "Tm_LastDay");
}

void ciphers() {
    unsigned char digest[33];
    Md5(reinterpret_cast<const unsigned char *>("abc"), digest);
    check(same(digest, "900150983cd24fb0d6963f7d28e17f72"), "Md5 of \"abc\"");
    unsigned short block[4] = {0x41, 0x42, 0x43, 0x44};
    const unsigned char *key = reinterpret_cast<const unsigned char *>("key");
    check(Bwf_Encrypt(block, key, 8) == 8 && block[0] != 0x41, "Bwf_Encrypt of a buffer");
    check(Bwf_Decrypt(block, key, 8) == 8 && block[0] == 0x41 && block[3] == 0x44,
          "Bwf_Decrypt restores it");
}

void encryption() {
    check(g_cSkipError == 1, "g_cSkipError is 1 at load");
    wchar_t *hidden = Enc_EncryptFolder(L"Reports 2026", L"password");
    wchar_t *name = hidden ? Enc_DecryptFolder(hidden, L"password") : nullptr;
    check(name && same(name, L"Reports 2026"), "Enc_EncryptFolder and Enc_DecryptFolder");
    free(hidden);
    free(name);
}

void frame() {
    check(CF_HTML != 0 && CF_HTML == RegisterClipboardFormatW(L"HTML Format"), "CF_HTML");
    g_szDesktop[0] = 'C';
    check(g_szDesktop[0] == 'C', "g_szDesktop");
    SetLastError(0);
    check(Err_Message(0) == 0, "Err_Message with no error");
    tagSEQ list;
    int a = 1, b = 2;
    AddTail(list, &a);
    AddTail(list, &b);
    check(GetCount(list) == 2 && GetHead(list) == &a && GetTail(list) == &b, "the linked sequence");
    Prg_SetCancel(1);
    check(Prg_IsProgress() == 0 && Prg_IsCancel() == 1, "Prg_IsCancel");
    Prg_SetCancel(0);
}

}  // namespace

extern "C" void mainCRTStartup() {
    files();
    folders();
    encryption();
    text();
    calendar();
    ciphers();
    frame();
    if (!failures) say("all checks passed\n");
    ExitProcess(failures);
}
