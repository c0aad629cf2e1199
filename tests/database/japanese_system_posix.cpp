// The database tests run on a Japanese system, as Wine gives under
// LC_ALL=ja_JP.UTF-8: code page 932 and language 0411.
#include "support/win32.h"

#include <gtest/gtest.h>

namespace {

class JapaneseSystem : public ::testing::Environment {
public:
    void SetUp() override { Quorvel_SetAnsiCodePage(932); }
    void TearDown() override { Quorvel_SetAnsiCodePage(0); }
};

const auto *const registered = ::testing::AddGlobalTestEnvironment(new JapaneseSystem);

}  // namespace
