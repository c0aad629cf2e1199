// Shortcut (.lnk) and Internet-shortcut (.url) files as bytes: the shell
// link binary format (header, link information, string data, extra data
// blocks) and the Internet shortcut's INI text. Pure formats, no file
// access: the POSIX link functions write and read files with them, and the
// fuzz targets feed them directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace files {

// What a shortcut holds, as the shell-link object hands it out.
struct ShellLink {
    std::u16string target;  // the target's path (local or \\server\share\...)
    std::u16string description, relative_path, working_folder, arguments, icon_location;
    int32_t icon_index = 0;
    uint32_t show_command = 1;  // SW_SHOWNORMAL
    uint16_t hotkey = 0;
    // The target's facts when the shortcut was made (0 when unknown).
    uint32_t attributes = 0, size = 0;
    uint64_t created = 0, accessed = 0, written = 0;  // FILETIMEs
};

// The shortcut's bytes. The target goes into the link information (a local
// path on a fixed drive, or a share's name and the rest of the path), in
// the ANSI code page and, when that does not carry it exactly, in UTF-16
// too; the strings are UTF-16. A drive path gets a target ID list too.
std::vector<unsigned char> encode_link(const ShellLink &link);

// Reads a shortcut. False for anything that is not a whole, consistent
// shell link. The target comes from the link information, else the
// environment-variable block, else the target ID list; a shortcut without
// a file-system target (one that names a shell object only) reads with an
// empty target.
bool decode_link(const unsigned char *bytes, size_t size, ShellLink &link);

// An Internet shortcut's text: "[InternetShortcut]" with "URL=" in the ANSI
// code page, and, when the URL is not plain ASCII, "[InternetShortcut.W]"
// with it in UTF-7, as the shell writes it.
std::string encode_url_file(const std::u16string &url);

// The URL of an Internet shortcut's text (ANSI, UTF-8 or UTF-16 with their
// byte-order marks): the UTF-7 form when there is one, else the ANSI one.
// False when the file holds no URL.
bool decode_url_file(const unsigned char *bytes, size_t size, std::u16string &url);

}  // namespace files
