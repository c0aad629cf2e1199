// The file name SQLite opens for a database path of the interface, and how
// a database file is replaced.
#pragma once

#include <string>

namespace dbengine {

// UTF-8, as sqlite3_open_v2 takes it: the path itself on Windows, the POSIX
// path it maps to elsewhere. False when the path has no such form.
bool sqlite_file_name(const std::u16string &path, std::string *name);

// Whether a file SQLite holds open can be renamed over. On POSIX it can, and
// the lock held on it meanwhile keeps other writers out; on Windows SQLite
// opens files without sharing their deletion, so the connection closes
// first and any other holder of the file makes the rename fail.
bool can_replace_open_file();

}  // namespace dbengine
