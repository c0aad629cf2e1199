// The long-path form (Cfl_ChangeUNCPath) of a path, in a buffer on the
// stack, as the file operations hand every path to the system.
#pragma once

#include <quorvel/paths.h>

#include "platform/win32.h"

namespace files {

class LongPath {
public:
    // A null path, or one too long for the buffer, gives ok() false with
    // the last error set (ERROR_INVALID_PARAMETER, ERROR_FILENAME_EXCED_RANGE)
    // rather than a cut path.
    explicit LongPath(const unsigned short *path);
    bool ok() const { return ok_; }
    unsigned short *text() { return text_; }
    LPCWSTR wide() const { return as_wide(text_); }

private:
    // The path's QUORVEL_MAX_TEXT units, the longest prefix and a terminator.
    unsigned short text_[QUORVEL_MAX_TEXT + 8];
    bool ok_ = false;
};

}  // namespace files
