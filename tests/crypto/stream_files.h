// Scratch files for the stream tests, named in the library's path grammar
// and opened through the Fl_ layer.
#pragma once

#include <quorvel/fl.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test {

using Bytes = std::vector<unsigned char>;

class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path &parent = {});
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    std::filesystem::path path(const std::string &name) const { return folder_ / name; }
    // The name as the library takes it (UTF-16, backslashes).
    std::u16string wide(const std::string &name) const;
    void *open(const std::string &name, _FL_MODE mode) const;

    void write(const std::string &name, const Bytes &bytes) const;
    Bytes read(const std::string &name) const;

private:
    std::filesystem::path folder_;
};

// A deterministic, non-repeating byte pattern: byte i of a test file.
Bytes pattern(std::size_t size);

// Closes an Fl_ handle at the end of a scope.
struct Handle {
    void *file;
    explicit Handle(void *opened) : file(opened) {}
    ~Handle() { Fl_Close(file); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    operator void *() const { return file; }
};

}  // namespace test
