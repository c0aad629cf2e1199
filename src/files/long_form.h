// Paths bounded by the library's path buffers, checked: a path that does not
// fit is refused, never cut and never left empty for a caller to go on with.
#pragma once

#include <quorvel/base.h>

#include <string>

namespace files {

// Writes Cfl_ChangeUNCPath(path) into `out` (QUORVEL_MAX_TEXT units). False,
// with ERROR_FILENAME_EXCED_RANGE as the last error, for a null path or one
// whose long form would not fit.
bool long_form(const unsigned short *path, unsigned short *out);

// `folder` followed by `name` into `out` (QUORVEL_MAX_TEXT units); false
// with ERROR_FILENAME_EXCED_RANGE when it would not fit.
bool join(const unsigned short *folder, const unsigned short *name, unsigned short *out);

// A path of at most QUORVEL_MAX_TEXT - 1 units, edited in place by the Cfl_
// calls (which take no buffer size). A text that would not fit leaves the
// path failed: false, ERROR_FILENAME_EXCED_RANGE set, and get() null, so
// that a caller that forgets to check hands the system no path at all
// rather than an empty one (which would name the working folder or, as
// "\*.*", the drive's root).
class FixedPath {
public:
    FixedPath() { units_[0] = 0; }
    explicit FixedPath(const std::u16string &text) : FixedPath() { append(text); }
    explicit FixedPath(const unsigned short *text) : FixedPath() { append(text); }

    FixedPath &append(const std::u16string &text);
    FixedPath &append(const unsigned short *text);
    explicit operator bool() const { return ok_; }
    // Room is kept for one more unit, the backslash Cfl_AddBackslash adds.
    unsigned short *get() { return ok_ ? units_ : nullptr; }
    const unsigned short *get() const { return ok_ ? units_ : nullptr; }
    std::u16string text() const;

private:
    unsigned short units_[QUORVEL_MAX_TEXT + 1];
    bool ok_ = true;
};

// The long-path form of a path, checked as long_form() checks it.
class LongPath {
public:
    explicit LongPath(const unsigned short *path) : ok_(long_form(path, units_)) {}
    explicit LongPath(const std::u16string &path);
    explicit operator bool() const { return ok_; }
    const unsigned short *get() const { return ok_ ? units_ : nullptr; }

private:
    unsigned short units_[QUORVEL_MAX_TEXT];
    bool ok_;
};

}  // namespace files
