#include <quorvel/paths.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using test::MessageBoxCapture;
using test::Scratch;
using test::str16;
using test::u16;

void set_variable(const char *name, const char *value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

TEST(CflEdit, BackslashesParentFolderAndLastComponent) {
    const struct {
        unsigned short *(*edit)(unsigned short *);
        const char16_t *text, *expected;
    } cases[] = {
        {Cfl_AddBackslash, u"", u""},
        {Cfl_AddBackslash, u"C:\\a", u"C:\\a\\"},
        {Cfl_AddBackslash, u"C:\\a\\", u"C:\\a\\"},
        {Cfl_RemoveBackslash, u"C:\\", u"C:\\"},
        {Cfl_RemoveBackslash, u"C:\\a\\", u"C:\\a"},
        {Cfl_RemoveBackslash, u"C:\\a\\\\", u"C:\\a\\"},
        {Cfl_RemoveBackslash, u"\\", u""},
        {Cfl_RemoveBackslash, u"C:\\a", u"C:\\a"},
        {Cfl_RemoveFileSpec, u"C:\\a\\b.txt", u"C:\\a\\"},
        {Cfl_RemoveFileSpec, u"C:\\a\\b\\", u"C:\\a\\"},
        {Cfl_RemoveFileSpec, u"C:\\b.txt", u"C:\\"},
        {Cfl_RemoveFileSpec, u"\\\\srv\\share", u"\\\\srv\\"},
        {Cfl_StripPath, u"C:\\a\\b.txt", u"b.txt"},
        {Cfl_StripPath, u"C:\\a\\b\\", u"b"},
        {Cfl_StripPath, u"\\\\srv\\share\\", u"share"},
    };
    unsigned short buffer[64];
    const auto edited = [&](unsigned short *(*edit)(unsigned short *), const char16_t *text) {
        std::memset(buffer, 0, sizeof buffer);
        std::memcpy(buffer, text, std::char_traits<char16_t>::length(text) * 2);
        EXPECT_EQ(edit(buffer), buffer);
        return str16(buffer);
    };
    for (const auto &c : cases)
        EXPECT_EQ(edited(c.edit, c.text), c.expected) << testing::PrintToString(std::u16string(c.text));
    // Neither has a folder to take off.
    for (auto *edit : {Cfl_RemoveFileSpec, Cfl_StripPath})
        for (const char16_t *same : {u"C:\\", u"C:", u"b.txt", u""})
            EXPECT_EQ(edited(edit, same), same) << testing::PrintToString(std::u16string(same));
    for (auto *edit : {Cfl_AddBackslash, Cfl_RemoveBackslash, Cfl_RemoveFileSpec, Cfl_StripPath})
        EXPECT_EQ(edit(nullptr), nullptr) << reinterpret_cast<void *>(edit);
}

TEST(CflEdit, Extensions) {
    unsigned short path[32];
    std::memcpy(path, u"C:\\a.b\\c.tar.gz", 32);
    const unsigned short *dot = Cfl_GetExtension(path);
    EXPECT_EQ(dot, path + 12);
    EXPECT_EQ(str16(dot), u".gz");
    Cfl_RemoveExtension(path);
    EXPECT_EQ(str16(path), u"C:\\a.b\\c.tar");
    std::memcpy(path, u"C:\\a.b\\c", 18);
    EXPECT_EQ(str16(Cfl_GetExtension(path)), u"");
    EXPECT_EQ(Cfl_GetExtension(path), path + 8);  // at the terminator
    Cfl_RemoveExtension(path);
    EXPECT_EQ(str16(path), u"C:\\a.b\\c");
    Cfl_RemoveExtension(nullptr);
}

TEST(CflLongPath, PrefixesAndTheirLengths) {
    EXPECT_EQ(Cfl_IndexUNCPath(u16(u"C:\\a")), 0);
    EXPECT_EQ(Cfl_IndexUNCPath(u16(u"\\\\srv\\share")), 0);
    EXPECT_EQ(Cfl_IndexUNCPath(u16(u"")), 0);
    EXPECT_EQ(Cfl_IndexUNCPath(u16(u"\\\\?\\C:\\a")), 4);
    EXPECT_EQ(Cfl_IndexUNCPath(u16(u"\\\\?\\UNC\\srv\\share")), 8);
    EXPECT_EQ(Cfl_IndexUNCPath(nullptr), -1);

    unsigned short first[64], second[64];
    const std::pair<const char16_t *, const char16_t *> forms[] = {
        {u"C:\\a", u"\\\\?\\C:\\a"},
        {u"\\\\srv\\share\\a", u"\\\\?\\UNC\\srv\\share\\a"},
        {u"\\\\?\\C:\\a", u"\\\\?\\C:\\a"},
        {u"\\\\?\\UNC\\srv\\s", u"\\\\?\\UNC\\srv\\s"},
        {u"rel\\a", u"\\\\?\\rel\\a"},
    };
    for (const auto &[source, expected] : forms) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(source)));
        EXPECT_EQ(Cfl_ChangeUNCPath(u16(source), first), first);
        EXPECT_EQ(str16(first), expected);
        Cfl_ChangeUNCPath(first, second);  // the long form is a fixed point
        EXPECT_EQ(str16(second), expected);
    }
    first[0] = 'k';
    EXPECT_EQ(Cfl_ChangeUNCPath(nullptr, first), nullptr);
    EXPECT_EQ(first[0], 'k');
}

TEST(CflLongPath, DriveName) {
    EXPECT_EQ(str16(Cfl_GetDriveName(u16(u"C:\\a\\b.txt"))), u"C:");
    EXPECT_EQ(Cfl_GetDriveName(u16(u"d:x")), g_szCflDrive);
    EXPECT_EQ(str16(g_szCflDrive), u"d:");
    EXPECT_EQ(str16(Cfl_GetDriveName(u16(u"\\\\srv\\share\\a"))), u"");
    EXPECT_EQ(str16(Cfl_GetDriveName(u16(u"a\\b"))), u"");
}

TEST(CflPredicate, NamesAndShares) {
    EXPECT_EQ(Cfl_IsUNC(u16(u"\\\\srv\\share\\a")), 1);
    EXPECT_EQ(Cfl_IsUNC(u16(u"C:\\a")), 0);
    // The long UNC form is tested after its prefix: "srv\share\a".
    EXPECT_EQ(Cfl_IsUNC(u16(u"\\\\?\\UNC\\srv\\share\\a")), 0);
    EXPECT_EQ(Cfl_IsUNCServer(u16(u"\\\\srv\\share")), 1);
    EXPECT_EQ(Cfl_IsUNCServer(u16(u"\\\\srv\\share\\a")), 0);
    EXPECT_EQ(Cfl_IsUNCServer(u16(u"C:\\share")), 0);
    EXPECT_NE(Cfl_IsNetworkPath(u16(u"\\\\srv\\share\\a")), 0);
    for (auto *predicate : {Cfl_IsExist, Cfl_IsFolder, Cfl_IsUNC, Cfl_IsUNCServer,
                            Cfl_IsNetworkPath, Cfl_IsLocalDrive, Cfl_IsNetDrive,
                            Cfl_IsDriveAndFolder})
        EXPECT_EQ(predicate(nullptr), 0);
}

TEST(CflPredicate, FilesFoldersAndDrivesWithAndWithoutTheLongForm) {
    Scratch scratch;
    const auto file = scratch.file("here.txt", 3);
    const auto missing = scratch.path("gone.txt");
    const auto folder = scratch.path();
    const auto root = folder.substr(0, 3);
    for (const std::u16string prefix : {u"", u"\\\\?\\"}) {
        SCOPED_TRACE(prefix.empty() ? "plain form" : "long form");
        EXPECT_NE(Cfl_IsExist(u16(prefix + file)), 0);
        EXPECT_NE(Cfl_IsExist(u16(prefix + folder)), 0);
        EXPECT_EQ(Cfl_IsExist(u16(prefix + missing)), 0);
        EXPECT_EQ(Cfl_IsFolder(u16(prefix + folder)), 1);
        EXPECT_EQ(Cfl_IsFolder(u16(prefix + file)), 0);
        EXPECT_EQ(Cfl_IsLocalDrive(u16(prefix + file)), 1);
        EXPECT_EQ(str16(g_szCflDrive), root);
        EXPECT_EQ(Cfl_IsNetDrive(u16(prefix + file)), 0);
        EXPECT_EQ(Cfl_IsNetworkPath(u16(prefix + file)), 0);
        EXPECT_EQ(Cfl_IsDriveAndFolder(u16(prefix + file)), 0);
        EXPECT_EQ(Cfl_IsDriveAndFolder(u16(prefix + missing)), 0);
    }
    EXPECT_EQ(Cfl_IsDriveAndFolder(u16(folder)), 1);
    EXPECT_EQ(Cfl_IsDriveAndFolder(u16(root)), 1);
}

TEST(CflStatus, TimesAndRecord) {
    Scratch scratch;
    const auto file = scratch.file("stamped.txt", 5);
    EXPECT_EQ(Cfl_SetFileTime(u16(file), 1000000000, 1200000000), 1);
    EXPECT_EQ(Cfl_GetFileLtTime(u16(file)), 1200000000);
    EXPECT_EQ(Cfl_GetFileAsTime(u16(file)), 1000000000);
    EXPECT_GT(Cfl_GetFileCtTime(u16(file)), 0);
    struct _stati64 status;
    std::memset(&status, 0, sizeof status);
    EXPECT_EQ(Cfl_GetFileInfo(u16(file), &status), 1);
    EXPECT_EQ(status.st_size, 5);
    EXPECT_EQ(status.st_mode & 0xF000, 0x8000);
    EXPECT_EQ(Cfl_GetFileInfo(u16(scratch.path().substr(0, 3)), &status), 1);
    EXPECT_EQ(status.st_mode & 0xF000, 0x4000);

    const auto missing = scratch.path("gone.txt");
    for (auto *time_of : {Cfl_GetFileLtTime, Cfl_GetFileCtTime, Cfl_GetFileAsTime}) {
        SCOPED_TRACE(reinterpret_cast<void *>(time_of));
        EXPECT_EQ(time_of(u16(missing)), 0);
        EXPECT_EQ(time_of(nullptr), 0);
    }
    EXPECT_EQ(Cfl_GetFileInfo(u16(missing), &status), 0);
    EXPECT_EQ(Cfl_SetFileTime(u16(missing), 1, 1), 0);
    EXPECT_EQ(Cfl_GetFileInfo(nullptr, &status), 0);
}

TEST(CflEnvironment, ExpandsKnownNamesAndKeepsTheRest) {
    MessageBoxCapture capture;
    unsigned short *plain = Cfl_ExpandEnvironmentStrings(u16(u"C:\\no\\percent"));
    EXPECT_EQ(plain, g_szCflWork);
    EXPECT_EQ(str16(plain), u"C:\\no\\percent");

    set_variable("QUORVEL_FILES_TEST", "value");
    set_variable("QUORVEL_FILES_UNSET", nullptr);
    EXPECT_EQ(str16(Cfl_ExpandEnvironmentStrings(
                  u16(u"a%QUORVEL_FILES_TEST%b%QUORVEL_FILES_UNSET%c%"))),
              u"avalueb%QUORVEL_FILES_UNSET%c%");
    // An unknown name, empty ones too, stays with both '%' (as wine64 shows).
    for (const auto &[text, expanded] : {std::pair{u"50% of %QUORVEL_FILES_TEST%", u"50% of %QUORVEL_FILES_TEST%"},
                                         {u"%%QUORVEL_FILES_TEST%%", u"%%QUORVEL_FILES_TEST%%"},
                                         {u"%%%QUORVEL_FILES_TEST%", u"%%value"}})
        EXPECT_EQ(str16(Cfl_ExpandEnvironmentStrings(u16(text))), expanded);
    EXPECT_EQ(str16(Cfl_ExpandEnvironmentStrings(u16(u"%quorvel_files_test%"))),
              u"value");
    set_variable("QUORVEL_FILES_TEST", nullptr);
    EXPECT_EQ(Cfl_ExpandEnvironmentStrings(nullptr), nullptr);
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CflEnvironment, UnExpandsTheUsersFolder) {
    const char16_t *name = test::kWindowsBuild ? u"USERPROFILE" : u"HOME";
    const std::u16string variable = u"%" + std::u16string(name) + u"%";
    std::u16string home = str16(Cfl_ExpandEnvironmentStrings(u16(variable)));
    ASSERT_NE(home, variable);
    if (!test::kWindowsBuild) {
        // The variable holds a POSIX path; the library sees it in Windows form.
        for (auto &c : home)
            if (c == u'/') c = u'\\';
        home.insert(0, u"Z:");
    }
    const std::u16string inside = home + u"\\quorvel\\a.txt";
    const unsigned short *result = Cfl_PathUnExpandEnvStrings(u16(inside));
    EXPECT_EQ(result, g_szCflWork);
    EXPECT_EQ(str16(result), variable + u"\\quorvel\\a.txt");
    EXPECT_EQ(Cfl_PathUnExpandEnvStrings(nullptr), nullptr);

    // A path under no variable's folder comes back as it was.
    const std::u16string elsewhere = u"Q:\\quorvel\\a.txt";
    SetLastError(0);
    EXPECT_EQ(Cfl_PathUnExpandEnvStrings(u16(elsewhere)), u16(elsewhere));
}

TEST(CflFolder, TemporaryAndShellFolders) {
    unsigned short folder[QUORVEL_MAX_TEXT] = {};
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    const std::u16string temp = str16(folder);
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), u'\\');
    EXPECT_EQ(Cfl_IsFolder(folder), 1);
    EXPECT_EQ(str16(g_szCflResult), temp);
    EXPECT_EQ(Cfl_GetTempPath(nullptr), 0);
    EXPECT_EQ(Cfl_GetSystemFolder(nullptr, 0), 0);
    EXPECT_EQ(Cfl_GetMyDocument(nullptr), 0);
    EXPECT_EQ(Cfl_GetDesktop(nullptr), 0);
    folder[0] = 'k';
    EXPECT_EQ(Cfl_GetSystemFolder(folder, 0x7777), 0);  // no such folder
    EXPECT_EQ(folder[0], 'k');
}

}  // namespace
