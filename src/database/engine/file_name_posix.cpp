// Database paths are Windows paths; the platform layer maps them.
#include "database/engine/file_name.h"

#include "platform/native_path.h"
#include "platform/text16.h"

namespace dbengine {

bool sqlite_file_name(const std::u16string &path, std::string *name) {
    return platform::native_path(as_wide(path), *name);
}

bool can_replace_open_file() { return true; }

}  // namespace dbengine
