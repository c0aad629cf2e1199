#include "stream_files.h"

#include <atomic>
#include <fstream>
#include <iterator>

namespace test {

namespace {
std::atomic<int> g_folders{0};
}

ScratchFolder::ScratchFolder(const std::filesystem::path &parent) {
    const auto base = parent.empty() ? std::filesystem::temp_directory_path() : parent;
    folder_ = base / ("quorvel-stream-" + std::to_string(g_folders++) + "-" +
                      std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFF));
    std::filesystem::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::u16string ScratchFolder::wide(const std::string &name) const {
    std::u16string text = path(name).u16string();
    for (auto &unit : text)
        if (unit == u'/') unit = u'\\';
    return text;
}

void *ScratchFolder::open(const std::string &name, _FL_MODE mode) const {
    return Fl_Open(reinterpret_cast<const unsigned short *>(wide(name).c_str()), mode, 1);
}

void ScratchFolder::write(const std::string &name, const Bytes &bytes) const {
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ScratchFolder::read(const std::string &name) const {
    std::ifstream in(path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 8) * 3 + (i >> 16) * 11);
    return bytes;
}

}  // namespace test
