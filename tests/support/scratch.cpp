#include "support/scratch.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace test {

Scratch::Scratch(const std::filesystem::path &parent) {
    static std::atomic<int> count{0};
    const auto base = parent.empty() ? std::filesystem::temp_directory_path() : parent;
    folder_ = base / ("quorvel-" + std::to_string(count++) + "-" +
                      std::to_string(std::random_device()() % 1000000));
    std::filesystem::create_directories(folder_);
}

Scratch::~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::u16string Scratch::path(const std::string &name) const {
#ifdef _WIN32
    std::u16string text;
#else
    std::u16string text = u"Z:";
#endif
    for (char16_t unit : native(name).u16string()) text += unit == u'/' ? u'\\' : unit;
    return name.empty() ? text + u'\\' : text;
}

std::u16string Scratch::file(const std::string &name, std::size_t size) const {
    write(name, pattern(size));
    return path(name);
}

void *Scratch::open(const std::string &name, int mode, int report) const {
    return Fl_Open(reinterpret_cast<const unsigned short *>(path(name).c_str()),
                   static_cast<_FL_MODE>(mode), report);
}

void Scratch::write(const std::string &name, const Bytes &bytes) const {
    std::filesystem::create_directories(native(name).parent_path());
    std::ofstream(native(name), std::ios::binary | std::ios::trunc) << bytes;
}

Bytes Scratch::read(const std::string &name) const {
    std::ifstream in(native(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> Scratch::tree(const std::string &folder) const {
    std::set<std::string> found;
    const auto root = native(folder);
    std::error_code missing;
    for (std::filesystem::recursive_directory_iterator it(root, missing), end; it != end; ++it) {
        const std::string name = it->path().lexically_relative(root).generic_u8string();
        found.insert(it->is_directory() ? name + "/" : name);
    }
    return found;
}

}  // namespace test
