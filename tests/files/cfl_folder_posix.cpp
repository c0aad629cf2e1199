// Where the POSIX build finds its folders: TMPDIR and TEMP, the XDG user
// folders, and the variables un-expansion knows.
#include <quorvel/paths.h>

#include "support/message_box_capture.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

using test::str16;
using Folder = std::optional<std::string>;

// Sets variables for one test and puts the old values back afterwards.
class Environment {
public:
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) put(it->first, it->second);
    }
    void set(const char *name, const Folder &value) {
        const char *old = std::getenv(name);
        saved_.emplace_back(name, old ? Folder(old) : std::nullopt);
        put(name, value);
    }

private:
    static void put(const std::string &name, const Folder &value) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
    std::vector<std::pair<std::string, Folder>> saved_;
};

// A folder made in the scratch folder: its POSIX name.
std::string make(const test::Scratch &scratch, const std::string &name) {
    std::filesystem::create_directory(scratch.native(name));
    return scratch.native(name).string();
}

TEST(CflFolderPosix, TemporaryFolderFromTmpdirThenTemp) {
    test::Scratch scratch;
    const std::string tmpdir = make(scratch, "tmpdir"), temp = make(scratch, "temp");
    scratch.write("file", "x");
    Environment environment;
    unsigned short folder[QUORVEL_MAX_TEXT] = {};

    environment.set("TMPDIR", tmpdir);
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    EXPECT_EQ(str16(folder), scratch.path("tmpdir") + u"\\");

    // TMPDIR names no folder: TEMP, when it names one, is taken instead.
    environment.set("TMPDIR", scratch.native("missing").string());
    environment.set("TEMP", temp);
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    // A rooted path, which is on drive Z:, in Windows form.
    EXPECT_EQ(str16(folder), scratch.path("temp") + u"\\");

    // Without TEMP the system's answer stands, and its long form fails.
    environment.set("TEMP", std::nullopt);
    folder[0] = 'k';
    EXPECT_EQ(Cfl_GetTempPath(folder), 0);
    EXPECT_EQ(folder[0], 'k');

    // TEMP naming a file leads to Temp in the Windows folder, the root.
    environment.set("TEMP", scratch.native("file").string());
    EXPECT_EQ(Cfl_GetTempPath(folder), 1);
    EXPECT_EQ(str16(folder), u"Z:\\Temp\\");
}

TEST(CflFolderPosix, DesktopAndDocumentsFromTheXdgUserFolders) {
    test::Scratch home;
    const std::string config = make(home, ".config");
    make(home, "Schreibtisch");
    const std::string documents = make(home, "Dokumente");
    std::ofstream(config + "/user-dirs.dirs")
        << "# written by xdg-user-dirs-update\n"
        << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        << "XDG_DOCUMENTS_DIR=\"" << documents << "\"\n";
    Environment environment;
    environment.set("HOME", home.native().string());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR"})
        environment.set(name, std::nullopt);
    unsigned short folder[QUORVEL_MAX_TEXT] = {};

    EXPECT_EQ(Cfl_GetDesktop(folder), 1);
    EXPECT_EQ(str16(folder), home.path("Schreibtisch") + u"\\");
    EXPECT_EQ(Cfl_GetMyDocument(folder), 1);
    EXPECT_EQ(str16(folder), home.path("Dokumente") + u"\\");
    EXPECT_EQ(Cfl_GetSystemFolder(folder, CSIDL_PROFILE), 1);
    EXPECT_EQ(str16(folder), home.path());

    // A folder that does not exist is not handed out.
    std::ofstream(config + "/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Gone\"\n";
    folder[0] = 'k';
    EXPECT_EQ(Cfl_GetDesktop(folder), 0);
    EXPECT_EQ(folder[0], 'k');
    EXPECT_EQ(Cfl_GetSystemFolder(folder, CSIDL_WINDOWS), 1);
    EXPECT_EQ(str16(folder), u"Z:\\");
}

TEST(CflFolderPosix, UnExpandPrefersTheLongestFolderAtAComponentBoundary) {
    test::Scratch home;
    Environment environment;
    environment.set("HOME", home.native().string());
    environment.set("XDG_CACHE_HOME", make(home, "cache"));
    std::u16string base = home.path();
    base.pop_back();
    const auto unexpanded = [](const std::u16string &path) {
        return str16(Cfl_PathUnExpandEnvStrings(test::u16(path)));
    };
    EXPECT_EQ(unexpanded(base + u"\\cache\\a"), u"%XDG_CACHE_HOME%\\a");
    EXPECT_EQ(unexpanded(base + u"\\cached"), u"%HOME%\\cached");
    EXPECT_EQ(unexpanded(base), u"%HOME%");
    EXPECT_EQ(unexpanded(base + u"x\\a"), base + u"x\\a");
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
