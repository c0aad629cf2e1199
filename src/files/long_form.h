// The long-path form of a path, bounded by the library's path buffers.
#pragma once

#include <quorvel/base.h>

namespace files {

// Writes Cfl_ChangeUNCPath(path) into `out` (QUORVEL_MAX_TEXT units). False,
// with ERROR_FILENAME_EXCED_RANGE as the last error, for a null path or one
// whose long form would not fit.
bool long_form(const unsigned short *path, unsigned short *out);

// `folder` followed by `name` into `out` (QUORVEL_MAX_TEXT units); false
// with ERROR_FILENAME_EXCED_RANGE when it would not fit.
bool join(const unsigned short *folder, const unsigned short *name, unsigned short *out);

}  // namespace files
