// SQLite's Windows file layer takes the path as UTF-8.
#include "database/engine/file_name.h"

#include "platform/text16.h"

#include <windows.h>

namespace dbengine {

bool sqlite_file_name(const std::u16string &path, std::string *name) {
    const wchar_t *wide = as_wide(path);
    int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr,
                                    nullptr);
    if (bytes <= 0) return false;
    name->resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &(*name)[0], bytes, nullptr, nullptr);
    name->pop_back();
    return true;
}

bool can_replace_open_file() { return false; }

}  // namespace dbengine
