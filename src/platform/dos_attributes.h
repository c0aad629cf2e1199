// Windows attributes of POSIX files: read-only from the permission bits;
// hidden, system and archive from the extended attribute "user.DOSATTRIB",
// the convention Samba and Wine share, so that a tree looks the same to all
// three; hidden also for a name with a leading dot, as Wine shows it.
#pragma once

#include "platform/win32.h"

#include <string>
#include <sys/types.h>

namespace platform {

extern const char kDosAttribute[];

// The attributes a "user.DOSATTRIB" value holds, or -1 when it holds none
// this layer can read. The value begins with "0x" and the attributes in
// hex, ended by the value's end (Samba 3, Wine) or a zero byte (Samba 4's
// binary record follows it).
int64_t parse_dos_attributes(const char *value, size_t length);
// The attributes kept for `path`, or -1 when none are.
int64_t kept_dos_attributes(const std::string &path);

// A name with a leading dot, "." and ".." apart.
bool dot_name(const char *name);
// The last component of a POSIX path ("/a/.b/" gives ".b").
std::string last_component(const std::string &path);

// The attributes of a file of this mode and name, with the kept value (-1
// for none). A file with fewer bytes allocated than its size is sparse.
DWORD file_attributes(mode_t mode, bool dot_named, int64_t kept, bool sparse);

// The attributes of a symbolic link, as Windows gives a reparse point's:
// a writable folder's when it leads to a folder, else a writable file's (a
// dangling link included), hidden for a leading dot, and the reparse-point
// bit. `name` is relative to the descriptor `folder` (or AT_FDCWD).
DWORD link_attributes(int folder, const char *name, bool dot_named);

}  // namespace platform
