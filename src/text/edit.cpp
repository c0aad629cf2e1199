// In-place editing of UTF-16 strings: trimming, deleting, replacing.
#include <quorvel/sequence.h>
#include <quorvel/text.h>

#include "platform/win32.h"
#include "platform/utf16.h"

#include <cstdlib>
#include <cstring>

namespace {

using u16 = unsigned short;

const u16 kDefaultSet[] = {0x0020, 0x3000, '\r', '\n', '\t', 0};

bool in_set(const u16 *set, u16 c) {
    for (; *set; ++set)
        if (*set == c) return true;
    return false;
}

// A malloc copy of the set (or of the default set); null when out of memory.
u16 *copy_set(const u16 *set) {
    if (!set) set = kDefaultSet;
    const size_t bytes = (platform::u16_length(set) + 1) * sizeof(u16);
    auto *copy = static_cast<u16 *>(std::malloc(bytes));
    if (copy) std::memcpy(copy, set, bytes);
    return copy;
}

// Compares unit by unit, so that nothing past the text's terminator is
// read when the search is longer than what is left of the text.
const u16 *find(const u16 *text, const u16 *search, size_t searchLength) {
    for (; *text; ++text) {
        size_t k = 0;
        while (k < searchLength && text[k] == search[k]) ++k;
        if (k == searchLength) return text;
    }
    return nullptr;
}

}  // namespace

unsigned short *Str_TrimLeft(unsigned short *text, const unsigned short *set) {
    if (!text) return text;
    u16 *chars = copy_set(set);
    if (!chars) return text;
    size_t skip = 0;
    while (text[skip] && in_set(chars, text[skip])) ++skip;
    if (skip) std::memmove(text, text + skip, (platform::u16_length(text + skip) + 1) * sizeof(u16));
    std::free(chars);
    return text;
}

unsigned short *Str_TrimRight(unsigned short *text, const unsigned short *set) {
    if (!text) return text;
    u16 *chars = copy_set(set);
    if (!chars) return text;
    u16 *runStart = nullptr;
    for (u16 *p = text; *p; ++p) {
        if (!in_set(chars, *p))
            runStart = nullptr;
        else if (!runStart)
            runStart = p;
    }
    if (runStart) *runStart = 0;
    std::free(chars);
    return text;
}

unsigned short *Str_Trim(unsigned short *text, const unsigned short *set) {
    if (text) StrTrimW(as_wide(text), as_wide(set ? set : kDefaultSet));
    return text;
}

unsigned short *Str_DeleteChar(unsigned short *text, unsigned short character) {
    if (!text || !character || !*text) return text;
    // Cut the text into segments at each occurrence, then close them up.
    tagSEQ segments;
    u16 *start = text;
    bool complete = true;
    for (u16 *p = text;; ++p) {
        if (*p == character || *p == 0) {
            const bool end = *p == 0;
            *p = 0;
            auto **entry = static_cast<u16 **>(std::malloc(sizeof(u16 *)));
            if (!entry || !AddTail(segments, entry)) {
                std::free(entry);
                complete = false;
                *p = end ? 0 : character;  // leave the rest as it was
                break;
            }
            *entry = start;
            if (end) break;
            start = p + 1;
        }
    }
    u16 *out = text;
    bool first = true;
    for (tagNODE *at = GetHeadPosition(segments); at;) {
        auto **entry = static_cast<u16 **>(GetNext(at));
        const size_t n = platform::u16_length(*entry);
        if (!first || !complete) std::memmove(out, *entry, n * sizeof(u16));
        out += n;
        first = false;
        std::free(entry);
    }
    if (complete) *out = 0;
    RemoveAll(segments);
    return text;
}

unsigned short *Str_ReplaceChar(unsigned short *text, unsigned short from, unsigned short to) {
    if (!text || !from) return text;
    for (u16 *p = text; *p; ++p)
        if (*p == from) *p = to;
    return text;
}

unsigned short *Str_ReplaceStr(unsigned short *text, const unsigned short *search,
                               const unsigned short *replacement) {
    if (!text || !search || !*search) return text;
    if (!replacement) replacement = kDefaultSet + 5;  // empty
    const size_t n = platform::u16_length(text), searchLength = platform::u16_length(search),
                 replacementLength = platform::u16_length(replacement);
    const size_t room = 2 * n;  // the result is cut here
    auto *work = static_cast<u16 *>(std::calloc(room + 1, sizeof(u16)));
    if (!work) return text;
    size_t used = 0;
    auto append = [&](const u16 *from, size_t count) {
        if (count > room - used) count = room - used;
        std::memcpy(work + used, from, count * sizeof(u16));
        used += count;
    };
    const u16 *scan = text;
    while (*scan) {
        const u16 *hit = find(scan, search, searchLength);
        if (!hit) {
            append(scan, platform::u16_length(scan));
            break;
        }
        append(scan, static_cast<size_t>(hit - scan));
        append(replacement, replacementLength);
        scan = hit + searchLength;
    }
    std::memcpy(text, work, used * sizeof(u16));
    text[used] = 0;
    std::free(work);
    return text;
}
