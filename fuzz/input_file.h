// The fuzz input as a file that the library reads by name: written afresh
// for each run into a folder of this process under TMPDIR, removed at exit.
// Run with TMPDIR on a memory file system (/dev/shm): on a disk each run
// waits for it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

class InputFile {
public:
    explicit InputFile(const char *name) {
        folder_ = std::filesystem::temp_directory_path() / ("quorvel-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        native_ = folder_ / name;
        path_ = u"Z:";
        for (char16_t c : native_.u16string()) path_ += c == u'/' ? u'\\' : c;
    }
    ~InputFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    // The library's name of the file, now holding `data`.
    const unsigned short *write(const uint8_t *data, size_t size) const {
        if (FILE *out = std::fopen(native_.c_str(), "wb")) {
            std::fwrite(data, 1, size, out);
            std::fclose(out);
        }
        return reinterpret_cast<const unsigned short *>(path_.c_str());
    }

private:
    std::filesystem::path folder_, native_;
    std::u16string path_;
};

}  // namespace fuzz
