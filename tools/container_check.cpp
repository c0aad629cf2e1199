// A container looked at before anything is restored. The reader in the
// library stops at the first entry it cannot read and returns 0; the
// command line says which one and why, and tells a wrong password from a
// container made in another time zone (the key block holds the maker's
// local time digits, the header the key time they came from).
#include "container_check.h"

#include <quorvel/crypto.h>
#include <quorvel/encrypt.h>
#include <quorvel/fl.h>
#include <quorvel/text.h>

#include "platform/text16.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace cli {
namespace {

struct Free {
    void operator()(void *block) const { std::free(block); }
};
using MallocUnits = std::unique_ptr<unsigned short[], Free>;

// The container's first bytes are read at once (most containers are
// smaller); the rest at its offsets.
struct Reader {
    void *file;
    int64_t size = -1;
    unsigned char start[4096];
    uint32_t held = 0;
    explicit Reader(const std::u16string &path) : file(Fl_Open(as_exported(path), FL_READ, 0)) {
        if (!file) return;
        size = Fl_FileSize(file);
        const uint32_t got = Fl_Read(file, start, static_cast<uint32_t>(
                                                      std::clamp<int64_t>(size, 0, sizeof start)));
        held = got == FL_FAILED ? 0 : got;
    }
    ~Reader() {
        if (file) Fl_Close(file);
    }
    bool read_at(int64_t at, void *buffer, uint32_t count) {
        if (at >= 0 && at + count <= held) {
            std::memcpy(buffer, start + at, count);
            return true;
        }
        return Fl_Seek(file, at, 0) == at && Fl_Read(file, buffer, count) == count;
    }
};

int64_t little(const unsigned char *bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return static_cast<int64_t>(value);
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long days_from_civil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// "YYYYMMDDhhmmss" as seconds on a clock without zones; false for non-digits.
bool clock_seconds(const unsigned short *digits, long long &seconds) {
    int v[14];
    for (int i = 0; i < 14; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        v[i] = digits[i] - '0';
    }
    auto two = [&](int at) { return v[at] * 10 + v[at + 1]; };
    const int year = two(0) * 100 + two(2);
    seconds = days_from_civil(year, two(4), two(6)) * 86400 + two(8) * 3600LL + two(10) * 60 +
              two(12);
    return true;
}

// The salted digest and time digits the password gives, and the key block
// deciphered under it; false when the password has no ANSI form. The last
// block's text is kept: the containers of one run share it, and deciphering
// it again would schedule the digest's key between two names.
bool key_texts(const std::u16string &password, int32_t key_time, const unsigned char *block,
               MallocUnits &made, MallocUnits &stored) {
    static std::u16string last_password;
    static unsigned char last_block[96], last_text[96 + 2];
    made.reset(Enc_CreateKey(as_exported(password), key_time, 0));
    std::unique_ptr<char[]> ansi(Str_FromUnicode(as_exported(password), 0xFFFFFFFFu));
    if (!made || !ansi) return false;
    stored.reset(Bwf_Alloc8Byte(reinterpret_cast<const unsigned short *>(block), 96));
    if (!stored) return false;
    if (password == last_password && std::memcmp(block, last_block, 96) == 0) {
        std::memcpy(stored.get(), last_text, 96);
        return true;
    }
    unsigned char digest[33];
    Md5(reinterpret_cast<const unsigned char *>(ansi.get()), digest);
    Bwf_Decrypt(stored.get(), digest, 96);
    last_password = password;
    std::memcpy(last_block, block, 96);
    std::memcpy(last_text, stored.get(), 96);
    return true;
}

}  // namespace

ContainerCheck check_container(const std::u16string &path, const std::u16string &password) {
    ContainerCheck check;
    Reader in(path);
    if (!in.file) return check;
    const int64_t size = in.size;
    // The header, as long as the longest layout.
    const unsigned char *head = in.start;
    const uint32_t got = std::min<uint32_t>(in.held, 102);
    check.verdict = ContainerCheck::kNotContainer;
    if (got == 0 || head[0] < 1 || head[0] > 4) return check;
    const unsigned char version = head[0], cipher = version >= 4 ? head[1] : 0;
    int64_t at = version >= 4 ? 102 : 101;
    if (got < at) return check;
    const unsigned char *block = head + at - 100;
    const int32_t key_time = static_cast<int32_t>(little(head + at - 4, 4));
    check.version = version;

    // The entries' fields, bodies skipped: a plain file fails here at once.
    std::string damage;
    // Up to 0xFFFF units of 2 bytes in the older layouts, and the numbers after.
    static unsigned char first_name[0x20000 + 24];
    uint32_t first_name_bytes = 0;
    while (at < size && damage.empty()) {
        const std::string entry = "entry " + std::to_string(check.entries + 1);
        unsigned char fields[8] = {};
        const uint32_t count = version >= 2 ? 8 : 4;
        if (!in.read_at(at, fields, count)) {
            damage = "cut short in " + entry;
            break;
        }
        const unsigned char kind = fields[1];
        uint32_t name_bytes = static_cast<uint32_t>(little(fields + count - 2, 2));
        if (version <= 2) name_bytes *= 2;
        if (kind > 1) damage = entry + " is of unknown kind " + std::to_string(kind);
        else if (name_bytes == 0 || name_bytes % 8) damage = entry + " has no whole name";
        else if (at + count + name_bytes + 24 > size) damage = "cut short in " + entry;
        if (!damage.empty()) break;
        // The first name is read with the numbers after it; the others are skipped.
        unsigned char numbers[24];
        if (check.entries == 0 && in.read_at(at + count, first_name, name_bytes + 24)) {
            first_name_bytes = name_bytes;
            std::memcpy(numbers, first_name + name_bytes, 24);
            std::memset(first_name + name_bytes, 0, 24);
        } else if (!in.read_at(at + count + name_bytes, numbers, sizeof numbers)) {
            damage = "cut short in " + entry;
            break;
        }
        const int64_t length = kind == 0 ? little(numbers, 8) : -1;
        const int64_t body = kind == 0 ? (length + 7) / 8 * 8 : 0;
        if (length < -1 || (kind == 0 && length < 0)) {
            damage = entry + " has a negative size";
            break;
        }
        at += count + name_bytes + 24;
        if (body > size - at) {
            damage = "cut short: the body of " + entry + " needs " + std::to_string(body) +
                     " bytes, " + std::to_string(size - at) + " remain";
            break;
        }
        if (check.entries++ == 0) check.first_size = length;
        at += body;
    }
    if (damage.empty() && check.entries == 0) damage = "holds no entry";
    if (damage.empty() && cipher != 0)
        damage = "its cipher type is " + std::to_string(cipher) + ", which is not Blowfish";

    MallocUnits made, stored;
    const bool keyed = !password.empty() && key_texts(password, key_time, block, made, stored);
    const bool opens = keyed && std::memcmp(made.get(), stored.get(), 64) == 0;
    if (!opens) {
        // Only a sound layout makes a wrong password likelier than no container.
        if (damage.empty() && !password.empty()) check.verdict = ContainerCheck::kWrongPassword;
        check.problem = damage;
        return check;
    }
    check.problem = damage;
    if (!damage.empty()) {
        check.verdict = ContainerCheck::kDamaged;
        return check;
    }
    long long ours = 0, maker = 0;
    if (std::memcmp(made.get() + 32, stored.get() + 32, 28) != 0) {
        check.verdict = ContainerCheck::kOtherZone;
        if (clock_seconds(made.get() + 32, ours) && clock_seconds(stored.get() + 32, maker))
        {
            check.zone_shift = static_cast<long>(maker - ours);
            check.maker_offset = static_cast<long>(maker - key_time);
        }
        return check;
    }
    check.verdict = ContainerCheck::kReadable;
    std::unique_ptr<char[]> body_key(Str_FromUnicode(made.get(), 0xFFFFFFFFu));
    MallocUnits name(Bwf_Alloc8Byte(reinterpret_cast<unsigned short *>(first_name),
                                    static_cast<int32_t>(first_name_bytes)));
    if (body_key && name && first_name_bytes) {
        Bwf_Decrypt(name.get(), reinterpret_cast<unsigned char *>(body_key.get()),
                    static_cast<int32_t>(first_name_bytes));
        check.first_name = as_u16(name.get());
    }
    return check;
}

std::string container_reason(const ContainerCheck &check) {
    switch (check.verdict) {
    case ContainerCheck::kReadable: return {};
    case ContainerCheck::kNoFile: return "cannot be opened";
    case ContainerCheck::kNotContainer: return "not a container";
    case ContainerCheck::kDamaged: return "damaged: " + check.problem;
    case ContainerCheck::kWrongPassword: return "wrong password";
    case ContainerCheck::kOtherZone: break;
    }
    auto span = [](long seconds) {
        seconds = seconds < 0 ? -seconds : seconds;
        std::string text = std::to_string(seconds / 3600);
        if (seconds % 3600) text += ":" + std::string(seconds % 3600 / 60 < 10 ? "0" : "") +
                                    std::to_string(seconds % 3600 / 60);
        return text;
    };
    // TZ counts the other way round: UTC-9 is nine hours ahead of UTC.
    return "made in a time zone " + span(check.zone_shift) + " hours " +
           (check.zone_shift > 0 ? "ahead of" : "behind") + " this one; set TZ=UTC" +
           (check.maker_offset > 0 ? "-" : "+") + span(check.maker_offset) + " and try again";
}

}  // namespace cli
