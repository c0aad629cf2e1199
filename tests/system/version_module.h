// How each build reaches a module's version resource from a test.
#pragma once

#include <quorvel/version.h>

#include <string>

namespace test {

// Reads tests/data/version/<name> into g_VersionInfo as Ver_ReadVersion
// does for a loaded module; its result.
int read_test_module(const std::string &name);
// The library's own module handle.
HINSTANCE library_module();

}  // namespace test
