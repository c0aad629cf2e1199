// What the command line knows about a container before it restores
// anything: whether it is one at all, what is damaged, whether the password
// opens it, and in which time zone it was made.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

struct ContainerCheck {
    enum Verdict { kReadable, kNoFile, kNotContainer, kDamaged, kWrongPassword, kOtherZone };
    Verdict verdict = kNoFile;
    std::string problem;       // what is wrong, for the messages
    int version = 0;           // the format version byte
    int entries = 0;           // entries whose fields are all there
    int64_t first_size = 0;    // the first entry's size (a folder: -1)
    std::u16string first_name; // the first stored name, when the key opens it
    long zone_shift = 0;       // seconds the maker's zone is ahead of ours (kOtherZone)
    long maker_offset = 0;     // the maker's zone, seconds ahead of UTC (kOtherZone)
};

// Reads the container's header and walks its entries (bodies are skipped);
// with the password, checks the key block and deciphers the first name.
ContainerCheck check_container(const std::u16string &path, const std::u16string &password);

// The one-line reason for a verdict other than kReadable, including what to
// do about it ("made in a time zone 9 hours ahead of this one; set TZ=UTC-9").
std::string container_reason(const ContainerCheck &check);

}  // namespace cli
