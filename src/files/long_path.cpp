#include "files/long_path.h"

namespace files {

LongPath::LongPath(const unsigned short *path) {
    text_[0] = 0;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    size_t length = 0;
    while (path[length] && length < QUORVEL_MAX_TEXT) ++length;
    if (path[length]) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    Cfl_ChangeUNCPath(path, text_);
    ok_ = true;
}

}  // namespace files
