// The file name SQLite opens for a database path of the interface.
#pragma once

#include <string>

namespace dbengine {

// UTF-8, as sqlite3_open_v2 takes it: the path itself on Windows, the POSIX
// path it maps to elsewhere. False when the path has no such form.
bool sqlite_file_name(const std::u16string &path, std::string *name);

}  // namespace dbengine
