// The temporary folder, long names, the shell's special folders and the
// working folder.
#include "platform/last_error.h"
#include "platform/native_path.h"
#include "platform/text16.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string home_folder() {
    if (const char *home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd *user = ::getpwuid(::getuid()); user && user->pw_dir) return user->pw_dir;
    return "/";
}

// A folder of the XDG user folders: the variable, then user-dirs.dirs
// (lines such as XDG_DESKTOP_DIR="$HOME/Desktop"), then the default.
std::string xdg_user_folder(const std::string &key, const std::string &fallback) {
    if (const char *set = std::getenv(key.c_str()); set && set[0] == '/') return set;
    const char *config = std::getenv("XDG_CONFIG_HOME");
    const std::string config_folder =
        config && config[0] == '/' ? config : home_folder() + "/.config";
    std::ifstream dirs(config_folder + "/user-dirs.dirs");
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key + "=\"", 0) != 0 || line.back() != '"') continue;
        std::string value = line.substr(key.size() + 2, line.size() - key.size() - 3);
        if (value.rfind("$HOME", 0) == 0) return home_folder() + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return fallback;
}

std::string xdg_base_folder(const char *variable, const char *below_home) {
    if (const char *set = std::getenv(variable); set && set[0] == '/') return set;
    return home_folder() + below_home;
}

bool is_folder(const std::string &path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

DWORD quorvel_win32::GetTempPathW(DWORD size, LPWSTR buffer) {
    const char *set = std::getenv("TMPDIR");
    std::string folder = set && set[0] == '/' ? set : "/tmp";
    if (folder.back() != '/') folder += '/';
    return platform::copy_out(platform::windows_path(folder), buffer, size);
}

DWORD quorvel_win32::GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size) {
    std::string native;
    if (!platform::native_path(shortPath, native)) return 0;
    struct stat status{};
    if (::stat(native.c_str(), &status) != 0) {
        platform::set_last_error_from_errno();
        return 0;
    }
    // In Windows form, as every path the library hands out: a rooted POSIX
    // path ("/tmp/a", say from TEMP) is on drive Z:.
    std::u16string text(as_u16(shortPath));
    if (text.rfind(u"\\\\?\\", 0) != 0) {
        for (auto &c : text)
            if (c == u'/') c = u'\\';
        if (text[0] == u'\\') text.insert(0, u"Z:");
    }
    return platform::copy_out(text, longPath, size);
}

HRESULT quorvel_win32::SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path) {
    if (!path) return E_INVALIDARG;
    std::string folder;
    switch (csidl & 0xFF) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        folder = xdg_user_folder("XDG_DESKTOP_DIR", home_folder() + "/Desktop");
        break;
    case CSIDL_PERSONAL: folder = xdg_user_folder("XDG_DOCUMENTS_DIR", home_folder()); break;
    case CSIDL_MYMUSIC: folder = xdg_user_folder("XDG_MUSIC_DIR", home_folder()); break;
    case CSIDL_MYVIDEO: folder = xdg_user_folder("XDG_VIDEOS_DIR", home_folder()); break;
    case CSIDL_MYPICTURES: folder = xdg_user_folder("XDG_PICTURES_DIR", home_folder()); break;
    case CSIDL_TEMPLATES: folder = xdg_user_folder("XDG_TEMPLATES_DIR", home_folder()); break;
    case CSIDL_APPDATA: folder = xdg_base_folder("XDG_CONFIG_HOME", "/.config"); break;
    case CSIDL_LOCAL_APPDATA: folder = xdg_base_folder("XDG_DATA_HOME", "/.local/share"); break;
    case CSIDL_PROFILE: folder = home_folder(); break;
    case CSIDL_WINDOWS: folder = "/"; break;  // where the system lives
    default: return E_FAIL;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!is_folder(folder)) return E_FAIL;
    const std::u16string text = platform::windows_path(folder);
    if (text.size() >= MAX_PATH) return E_FAIL;
    platform::copy_out(text, path, MAX_PATH);
    return S_OK;
}

DWORD quorvel_win32::GetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
    std::string folder(256, '\0');
    while (!::getcwd(&folder[0], folder.size())) {
        if (errno != ERANGE) {
            platform::set_last_error_from_errno();
            return 0;
        }
        folder.resize(folder.size() * 2);
    }
    folder.resize(std::strlen(folder.c_str()));
    return platform::copy_out(platform::windows_path(folder), buffer, size);
}

BOOL quorvel_win32::SetCurrentDirectoryW(LPCWSTR path) {
    std::string native;
    if (!platform::native_path(path, native)) return FALSE;
    if (::chdir(native.c_str()) != 0) {
        platform::set_last_error_from_errno();
        return FALSE;
    }
    return TRUE;
}
