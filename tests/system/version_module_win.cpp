// Windows: the test module of this build's width is loaded and read by
// Ver_ReadVersion; the other width is not loadable here.
#include "system/version_module.h"

#include "support/data_paths.h"
#include "support/scratch.h"

#include <fstream>
#include <iterator>

namespace test {

int read_test_module(const std::string &name) {
    if (name != (sizeof(void *) == 8 ? "module64.dll" : "module32.dll")) return -1;
    const Scratch scratch;
    std::ifstream in(QUORVEL_TEST_DATA "/version/" + name, std::ios::binary);
    scratch.write(name, std::string(std::istreambuf_iterator<char>(in), {}));
    const HMODULE module =
        LoadLibraryW(reinterpret_cast<const WCHAR *>(scratch.path(name).c_str()));
    if (!module) return 0;
    const int result = Ver_ReadVersion(module);
    FreeLibrary(module);
    return result;
}

HINSTANCE library_module() { return GetModuleHandleW(L"Quorvel.dll"); }

}  // namespace test
