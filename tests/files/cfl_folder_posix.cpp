// Where the POSIX build finds its folders: TMPDIR and TEMP, the XDG user
// folders, and the variables un-expansion knows.
#include <quorvel/paths.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using test::str16;

// Sets variables for one test and puts the old values back afterwards.
class Environment {
public:
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->had) setenv(it->name.c_str(), it->value.c_str(), 1);
            else unsetenv(it->name.c_str());
        }
    }
    void set(const char *name, const std::string *value) {
        const char *old = std::getenv(name);
        saved_.push_back({name, old != nullptr, old ? old : ""});
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }

private:
    struct Saved {
        std::string name;
        bool had;
        std::string value;
    };
    std::vector<Saved> saved_;
};

// A fresh folder under /tmp, removed with everything in it.
class Folder {
public:
    Folder() {
        char pattern[] = "/tmp/quorvel-folders-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    std::string make(const std::string &below) const {
        const std::string full = path_ + "/" + below;
        mkdir(full.c_str(), 0700);
        return full;
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

std::u16string windows_form(const std::string &posix) {
    std::u16string text = u"Z:";
    for (char c : posix) text += c == '/' ? u'\\' : static_cast<char16_t>(c);
    return text;
}

TEST(CflFolderPosix, TemporaryFolderFromTmpdirThenTemp) {
    Folder scratch;
    const std::string tmpdir = scratch.make("tmpdir");
    const std::string temp = scratch.make("temp");
    const std::string missing = scratch.path() + "/missing";
    const std::string file = scratch.path() + "/file";
    std::ofstream(file) << "x";
    Environment environment;
    unsigned short folder[QUORVEL_MAX_TEXT] = {};

    environment.set("TMPDIR", &tmpdir);
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    EXPECT_EQ(str16(folder), windows_form(tmpdir) + u"\\");

    // TMPDIR names no folder: TEMP, when it names one, is taken instead.
    environment.set("TMPDIR", &missing);
    environment.set("TEMP", &temp);
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    // As the variable wrote it: a rooted path, which is on drive Z:.
    EXPECT_EQ(str16(folder), std::u16string(temp.begin(), temp.end()));

    // Without TEMP the system's answer stands, and its long form fails.
    environment.set("TEMP", nullptr);
    folder[0] = 'k';
    EXPECT_EQ(Cfl_GetTempPath(folder), 0);
    EXPECT_EQ(folder[0], 'k');

    // TEMP naming a file leads to the Windows folder, which POSIX lacks.
    environment.set("TEMP", &file);
    EXPECT_EQ(Cfl_GetTempPath(folder), 0);
    EXPECT_EQ(folder[0], 'k');
}

TEST(CflFolderPosix, DesktopAndDocumentsFromTheXdgUserFolders) {
    Folder home;
    const std::string config = home.make(".config");
    const std::string desktop = home.make("Schreibtisch");
    const std::string documents = home.make("Dokumente");
    std::ofstream(config + "/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\n"
        << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        << "XDG_DOCUMENTS_DIR=\"" << documents << "\"\n";
    Environment environment;
    environment.set("HOME", &home.path());
    environment.set("XDG_CONFIG_HOME", nullptr);
    environment.set("XDG_DESKTOP_DIR", nullptr);
    environment.set("XDG_DOCUMENTS_DIR", nullptr);
    unsigned short folder[QUORVEL_MAX_TEXT] = {};

    EXPECT_EQ(Cfl_GetDesktop(folder), 1);
    EXPECT_EQ(str16(folder), windows_form(desktop) + u"\\");
    EXPECT_EQ(Cfl_GetMyDocument(folder), 1);
    EXPECT_EQ(str16(folder), windows_form(documents) + u"\\");
    EXPECT_EQ(Cfl_GetSystemFolder(folder, CSIDL_PROFILE), 1);
    EXPECT_EQ(str16(folder), windows_form(home.path()) + u"\\");

    // A folder that does not exist is not handed out.
    std::ofstream(config + "/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Gone\"\n";
    folder[0] = 'k';
    EXPECT_EQ(Cfl_GetDesktop(folder), 0);
    EXPECT_EQ(folder[0], 'k');
    EXPECT_EQ(Cfl_GetSystemFolder(folder, CSIDL_WINDOWS), 0);
}

TEST(CflFolderPosix, UnExpandPrefersTheLongestFolderAtAComponentBoundary) {
    Folder home;
    const std::string cache = home.make("cache");
    Environment environment;
    environment.set("HOME", &home.path());
    environment.set("XDG_CACHE_HOME", &cache);
    const std::u16string base = windows_form(home.path());
    EXPECT_EQ(str16(Cfl_PathUnExpandEnvStrings(test::u16((base + u"\\cache\\a").c_str()))),
              u"%XDG_CACHE_HOME%\\a");
    EXPECT_EQ(str16(Cfl_PathUnExpandEnvStrings(test::u16((base + u"\\cached").c_str()))),
              u"%HOME%\\cached");
    EXPECT_EQ(str16(Cfl_PathUnExpandEnvStrings(test::u16(base.c_str()))), u"%HOME%");
    const std::u16string beside = base + u"x\\a";
    EXPECT_EQ(str16(Cfl_PathUnExpandEnvStrings(test::u16(beside.c_str()))), beside);
}

TEST(CflFolderPosix, DriveTypesComeFromTheMount) {
    EXPECT_EQ(GetDriveTypeW(test::u16(u"Z:\\")), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(test::u16(u"Z:")), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeW(test::u16(u"C:\\")), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(GetDriveTypeW(test::u16(u"Z:\\usr\\share\\")),
              static_cast<UINT>(DRIVE_NO_ROOT_DIR));  // a folder, not a mount
    EXPECT_EQ(GetDriveTypeW(test::u16(u"Z:\\proc\\")), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(Cfl_IsLocalDrive(test::u16(u"C:\\a")), 0);
    EXPECT_EQ(Cfl_IsDriveAndFolder(test::u16(u"Z:\\")), 1);
}

}  // namespace
