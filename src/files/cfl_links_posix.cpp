// Shortcut and Internet-shortcut files without the shell's objects: written
// and read as files in the formats the shell uses (files/shortcut_format.h),
// so a shortcut made here opens on Windows and one made there reads here.
// Resolving is reading the stored target: nothing searches for a target
// that has moved.
#include <quorvel/links.h>

#include "files/shortcut_format.h"
#include "platform/win32.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Shortcuts are a few kilobytes; anything past this is not one.
constexpr DWORD kLargestShortcut = 16u << 20;
// Show commands: SW_SHOWNORMAL, or SW_MINIMIZE for a minimised start, the
// value the shell-link object is given on Windows.
constexpr uint32_t kShowNormal = 1;
constexpr uint32_t kShowMinimised = 6;

bool read_file(const unsigned short *path, std::vector<unsigned char> &bytes) {
    const HANDLE file = CreateFileW(as_wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kLargestShortcut;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
              read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

bool write_file(const unsigned short *path, const void *bytes, size_t size) {
    const HANDLE file = CreateFileW(as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) &&
                    written == size;
    return CloseHandle(file) && ok;
}

// The full Windows form of a target, as the shell-link object keeps it: a
// drive path or a share as given, anything else taken from the current
// folder; slashes become backslashes.
std::u16string full_target(const unsigned short *path) {
    std::u16string target = u16_string(path);
    std::replace(target.begin(), target.end(), u'/', u'\\');
    const bool drive = target.size() >= 2 && target[1] == u':';
    if (drive || (target.size() >= 2 && target[0] == u'\\' && target[1] == u'\\')) return target;
    WCHAR folder[QUORVEL_MAX_TEXT];
    const DWORD n = GetCurrentDirectoryW(QUORVEL_MAX_TEXT, folder);
    if (n == 0 || n >= QUORVEL_MAX_TEXT) return target;
    std::u16string current(as_u16(folder), n);
    if (!target.empty() && target[0] == u'\\') return current.substr(0, 2) + target;
    if (current.back() != u'\\') current += u'\\';
    return current + target;
}

void copy_out(const std::u16string &text, unsigned short *buffer, int size) {
    if (!buffer || size <= 0) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[n] = 0;
}

}  // namespace

int Cfl_CreateLinkFile(const unsigned short *target, const unsigned short *linkFile,
                       const unsigned short *arguments, const unsigned short *workingFolder,
                       const unsigned short *iconFile, unsigned short hotkey,
                       unsigned char normalWindow) {
    if (!target || !*target || !linkFile) return 0;
    files::ShellLink link;
    link.target = full_target(target);
    link.arguments = u16_string(arguments);
    link.working_folder = u16_string(workingFolder);
    link.icon_location = u16_string(iconFile);
    link.hotkey = hotkey;
    link.show_command = normalWindow ? kShowNormal : kShowMinimised;
    // The target's facts, when it is there, as the shell records them.
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(as_wide(target), &found);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        link.attributes = found.dwFileAttributes;
        link.size = found.nFileSizeLow;
        auto time = [](const FILETIME &t) {
            return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
        };
        link.created = time(found.ftCreationTime);
        link.accessed = time(found.ftLastAccessTime);
        link.written = time(found.ftLastWriteTime);
    }
    const std::vector<unsigned char> bytes = files::encode_link(link);
    return write_file(linkFile, bytes.data(), bytes.size()) ? 1 : 0;
}

int Cfl_ReadLinkFile(const unsigned short *linkFile, unsigned short *target, int targetSize,
                     unsigned short *arguments, int argumentsSize, unsigned short *workingFolder,
                     int workingFolderSize, int *showCommand) {
    std::vector<unsigned char> bytes;
    files::ShellLink link;
    if (!linkFile || !read_file(linkFile, bytes) ||
        !files::decode_link(bytes.data(), bytes.size(), link) || link.target.empty())
        return 0;
    copy_out(link.target, target, targetSize);
    copy_out(link.arguments, arguments, argumentsSize);
    copy_out(link.working_folder, workingFolder, workingFolderSize);
    if (showCommand) *showCommand = static_cast<int>(link.show_command);
    return 1;
}

int Cfl_CreateUrlFile(const unsigned short *url, const unsigned short *urlFile) {
    if (!url || !urlFile) return 0;
    const std::string text = files::encode_url_file(u16_string(url));
    return write_file(urlFile, text.data(), text.size()) ? 1 : 0;
}

int Cfl_ReadUrlFile(const unsigned short *urlFile, unsigned short *url) {
    std::vector<unsigned char> bytes;
    if (!urlFile || !read_file(urlFile, bytes)) return 0;
    std::u16string stored;
    // The caller's buffer has no size: a URL longer than the library's text
    // buffers is not handed out.
    if (url && files::decode_url_file(bytes.data(), bytes.size(), stored) &&
        stored.size() < QUORVEL_MAX_TEXT)
        copy_out(stored, url, QUORVEL_MAX_TEXT);
    return 1;
}
