#include <quorvel/system.h>

#include "support/message_box_capture.h"

#include <gtest/gtest.h>

// Runs first: the globals are zero until Os_init, so the architecture
// field reads as x86.
TEST(OsFacts, ZeroBeforeInit) {
    EXPECT_EQ(Os_GetKind(), 0u);
    EXPECT_EQ(Os_GetMajorVer(), 0);
    EXPECT_EQ(test::str16(Os_GetArchitecture()), u"x86");
}
