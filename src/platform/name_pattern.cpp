#include "platform/name_pattern.h"

#include <unicode/uchar.h>

namespace platform {

namespace {

// The marks, as the system's own names for them (never valid in names).
constexpr char16_t kStar = u'*';
constexpr char16_t kDosStar = u'<';
constexpr char16_t kDosQuestion = u'>';
constexpr char16_t kDosDot = u'"';

char16_t upper(char16_t c) {
    // Surrogates compare as they are; the rest by simple upper case.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    const UChar32 mapped = u_toupper(c);
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : c;
}

}  // namespace

NamePattern::NamePattern(const std::u16string &pattern) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        if (c == u'?') tokens_.push_back(kDosQuestion);
        else if (c == u'*') tokens_.push_back(next == u'.' ? kDosStar : kStar);
        else if (c == u'.' && (next == u'?' || next == u'*' || next == 0))
            tokens_.push_back(kDosDot);
        else {
            tokens_.push_back(upper(c));
            continue;
        }
        literal_ = false;
    }
    const std::u16string text(tokens_.begin(), tokens_.end());
    everything_ = text.find_first_not_of(kStar) == std::u16string::npos ? !text.empty()
                                                                          : text == u"<\"*";
}

// A walk of the pattern as a set of positions, one name character at a
// time; the pattern matches when its end is among the positions at the end
// of the name.
bool NamePattern::matches(const std::u16string &name) const {
    if (everything_) return !name.empty();
    const size_t n = name.size(), p = tokens_.size();
    const size_t last_dot = name.rfind(u'.');
    std::vector<char> now(p + 1, 0), next(p + 1, 0);

    // Positions reachable without taking a character, at name index j.
    auto close = [&](std::vector<char> &set, size_t j) {
        for (size_t i = 0; i < p; ++i) {
            if (!set[i]) continue;
            const char16_t t = tokens_[i];
            const bool at_end = j == n;
            if (t == kStar || t == kDosStar || (t == kDosDot && at_end) ||
                (t == kDosQuestion && (at_end || name[j] == u'.')))
                set[i + 1] = 1;
        }
    };

    now[0] = 1;
    close(now, 0);
    for (size_t j = 0; j < n; ++j) {
        std::fill(next.begin(), next.end(), 0);
        const char16_t c = name[j];
        bool any = false;
        for (size_t i = 0; i < p; ++i) {
            if (!now[i]) continue;
            const char16_t t = tokens_[i];
            size_t to = SIZE_MAX;
            if (t == kStar) to = i;
            else if (t == kDosStar) to = (c == u'.' && j == last_dot) ? SIZE_MAX : i;
            else if (t == kDosQuestion) to = c == u'.' ? SIZE_MAX : i + 1;
            else if (t == kDosDot) to = c == u'.' ? i + 1 : SIZE_MAX;
            else if (t == upper(c)) to = i + 1;
            if (to != SIZE_MAX) next[to] = any = 1;
        }
        if (!any) return false;
        close(next, j + 1);
        now.swap(next);
    }
    return now[p];
}

}  // namespace platform
