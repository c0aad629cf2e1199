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

// The families that may take SIMD paths (the database's cipher uses AES-NI):
// texts converted, enciphered, digested, and a database with a password.
// Buffers released with delete[] are left to the process's end: this host
// has no C++ runtime.
void simd_paths() {
    int count = 0;
    const char *utf8 = Str_UnicodeToUtf8(L"\x65E5\x672C", count);
    check(count == 6 && same(utf8, "\xE6\x97\xA5\xE6\x9C\xAC"), "Str_UnicodeToUtf8 of U+65E5 U+672C");
    const char *sjis = Str_Utf8ToShiftJis("\xE6\x97\xA5\xE6\x9C\xAC");
    check(sjis && same(sjis, "\x93\xFA\x96\x7B"), "Str_Utf8ToShiftJis: 0x93FA 0x967B");
    ciphers();
    unsigned char key[16], mac[16];
    memset(key, 0x0B, sizeof key);
    Md5_HMAC(reinterpret_cast<const unsigned char *>("Hi There"), 8, key, 16, mac);
    const unsigned char rfc2104[16] = {0x92, 0x94, 0x72, 0x7a, 0x36, 0x38, 0xbb, 0x1c,
                                       0x13, 0xf4, 0x8e, 0xf8, 0x15, 0x8b, 0xfc, 0x9d};
    bool equal = true;
    for (int i = 0; i < 16; ++i) equal = equal && mac[i] == rfc2104[i];
    check(equal, "Md5_HMAC: the first vector of RFC 2104");

    temp_path(L"quorvel-mshost.mdb");
    const wchar_t *file = reinterpret_cast<wchar_t *>(path);
    DeleteFileW(file);
    DatabasePtr db = Mdb_CreateDatabase(file, L"\x79D8\x5BC6");
    check(db != nullptr, "Mdb_CreateDatabase with a password");
    if (!db) return;
    Mdb_CreateTable(db, L"T", L"ID LONG, NAME TEXT(20)");
    Mdb_Insert(db, L"T", L"7, 'seven'");
    Mdb_CloseDatabase(db);
    db = Mdb_OpenDatabase(file, L"\x79D8\x5BC6");
    RecordsetPtr records = db ? Mdb_Select(db, 1, L"SELECT NAME FROM T WHERE ID = 7") : nullptr;
    unsigned short *name =
        records && Mdb_SelectCount(records) == 1 ? Mdb_GetColValue(records, LONG(0)) : nullptr;
    check(name && same(name, L"seven"), "the row read back with the password");
    free(name);
    if (records) Mdb_SelectClose(records);
    records = nullptr;
    if (db) Mdb_CloseDatabase(db);
    db = nullptr;
    DeleteFileW(file);
}

// Calls `run` with the stack `bytes` below a 16-byte boundary at the call:
// Microsoft's 32-bit convention promises 4-byte alignment only, so every
// offset must do. (x86_64's convention keeps 16 bytes: a plain call.)
void call_with_stack_at(void (*run)(), unsigned bytes) {
#if defined(_M_IX86)
    __asm__ volatile("movl %%esp, %%esi\n\t"
                     "andl $-16, %%esp\n\t"
                     "subl %1, %%esp\n\t"
                     "calll *%0\n\t"
                     "movl %%esi, %%esp"
                     :
                     : "r"(run), "r"(bytes)
                     : "esi", "eax", "ecx", "edx", "memory", "cc");
#else
    (void)bytes;
    run();
#endif
}

}  // namespace

extern "C" void mainCRTStartup() {
    files();
    folders();
    encryption();
    text();
    calendar();
    frame();
    for (unsigned bytes = 0; bytes < 16; bytes += 4) call_with_stack_at(simd_paths, bytes);
    if (!failures) say("all checks passed\n");
    ExitProcess(failures);
}
