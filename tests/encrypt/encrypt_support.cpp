#include "encrypt_support.h"

#include <quorvel/fl.h>

#include "support/data_paths.h"
#include "support/time_zone.h"
#include "support/win32.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace enc_test {
namespace {

// Key times become local times in the body key: the reference containers
// were made for UTC+9.
class JapanTime : public ::testing::Environment {
public:
    void SetUp() override { test_zone::use_japan(); }
};

const auto *const registered = ::testing::AddGlobalTestEnvironment(new JapanTime);

FILETIME filetime(int64_t unix_time) {
    const uint64_t ticks = static_cast<uint64_t>(unix_time + 11644473600) * 10000000;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

test::Bytes reference(const std::string &name) {
    std::ifstream in(std::string(QUORVEL_TEST_DATA) + "/encrypt/" + name + ".cpt",
                     std::ios::binary);
    return test::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Sandbox::set_times(const std::string &name, int32_t created) {
    const FILETIME creation = filetime(created), write = filetime(kWritten);
    test::Handle file(scratch.open(name, FL_UPDATE));
    EXPECT_TRUE(Fl_SetFileTime(file, &creation, nullptr, &write));
    FILETIME kept = {};
    Fl_GetFileTime(file, &kept, nullptr, nullptr);
    return kept.dwLowDateTime == creation.dwLowDateTime &&
           kept.dwHighDateTime == creation.dwHighDateTime;
}

int Sandbox::restore(const std::string &container, const std::string &folder,
                     const char16_t *password) {
    std::filesystem::create_directories(scratch.native(folder));
    return Enc_DecryptHead(u16(password), u16(path(container)), u16(path(folder) + u"\\"));
}

}  // namespace enc_test
