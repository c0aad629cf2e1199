// The keys of non-ASCII passwords come from their code page 932 form, as
// on a Japanese Windows system (which Wine gives the Windows build).
#include "support/win32.h"

#include <gtest/gtest.h>

namespace {

class JapaneseCodePage : public ::testing::Environment {
public:
    void SetUp() override { Quorvel_SetAnsiCodePage(932); }
    void TearDown() override { Quorvel_SetAnsiCodePage(0); }
};

const auto *const registered = ::testing::AddGlobalTestEnvironment(new JapaneseCodePage);

}  // namespace
