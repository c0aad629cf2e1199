#include "encrypt_support.h"

#include "support/time_zone.h"
#include "support/win32.h"

#include <quorvel/fl.h>

#include <gtest/gtest.h>

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

}  // namespace

bool set_reference_times(const test::Scratch &scratch, const std::string &name,
                         int32_t created) {
    auto filetime = [](int64_t unix_time) {
        const uint64_t ticks = static_cast<uint64_t>(unix_time + 11644473600) * 10000000;
        return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    };
    const FILETIME creation = filetime(created), write = filetime(kWritten);
    test::Handle file(scratch.open(name, FL_UPDATE));
    EXPECT_TRUE(Fl_SetFileTime(file, &creation, nullptr, &write));
    FILETIME kept = {};
    Fl_GetFileTime(file, &kept, nullptr, nullptr);
    return kept.dwLowDateTime == creation.dwLowDateTime &&
           kept.dwHighDateTime == creation.dwHighDateTime;
}

test::Bytes reference(const std::string &name) {
    std::ifstream in(std::string(QUORVEL_TEST_DATA) + "/encrypt/" + name + ".cpt",
                     std::ios::binary);
    return test::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> tree(const std::filesystem::path &root) {
    std::set<std::string> found;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
        const auto relative = entry.path().lexically_relative(root).u8string();
        std::string name(relative.begin(), relative.end());
        for (char &c : name) c = c == '\\' ? '/' : c;
        found.insert(entry.is_directory() ? name + "/" : name);
    }
    return found;
}

}  // namespace enc_test
