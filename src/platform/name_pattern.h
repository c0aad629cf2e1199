// File name patterns as FindFirstFileW reads them: without regard to case,
// "*" and "?" with the system's rules for dots. The system turns "?" into
// a mark that also matches nothing at a dot or the end of the name, "*"
// before a dot into a star that stops at the last dot, and a dot before a
// wildcard or at the end into one that also matches the end of the name,
// so "*.*" matches every name and "*." the names without a dot.
#pragma once

#include <string>
#include <vector>

namespace platform {

class NamePattern {
public:
    explicit NamePattern(const std::u16string &pattern);
    bool matches(const std::u16string &name) const;
    // True when the pattern matches every name ("*", "*.*", ...).
    bool everything() const { return everything_; }
    // True when the pattern is a plain name.
    bool literal() const { return literal_; }

private:
    std::vector<char16_t> tokens_;  // upper-cased characters and the marks
    bool everything_ = false;
    bool literal_ = true;
};

}  // namespace platform
