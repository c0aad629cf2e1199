#include "encrypt_support.h"

#include "support/time_zone.h"

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
