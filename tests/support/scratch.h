// Scratch files: a fresh folder under the temporary folder (or `parent`),
// removed with everything in it. The library is given names in its own
// grammar: UTF-16, backslashes, and on POSIX the drive Z: for the root.
#pragma once

#include <quorvel/fl.h>

#include "support/bytes.h"

#include <filesystem>
#include <set>

namespace test {

class Scratch {
public:
    explicit Scratch(const std::filesystem::path &parent = {});
    ~Scratch();
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;

    // The POSIX (or Windows) name of a UTF-8 name; "" gives the folder.
    std::filesystem::path native(const std::string &name = {}) const {
        return name.empty() ? folder_ : folder_ / std::filesystem::u8path(name);
    }
    // The name in the library's form; "" gives the folder with its backslash.
    std::u16string path(const std::string &name = {}) const;
    // A file of pattern(size); gives its path.
    std::u16string file(const std::string &name, std::size_t size) const;
    void *open(const std::string &name, int mode, int report = 1) const;
    // Writes a file, making its folders.
    void write(const std::string &name, const Bytes &bytes) const;
    Bytes read(const std::string &name) const;
    // Every file ("a/x") and folder ("a/") below the folder or its `folder`.
    std::set<std::string> tree(const std::string &folder = {}) const;

private:
    std::filesystem::path folder_;
};

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
