// The large input file of the file benchmarks, and paths in the library's
// grammar. QUORVEL_BENCH_DIR sets the folder (default: the system's
// temporary folder).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

inline std::filesystem::path bench_folder() {
    const char *dir = std::getenv("QUORVEL_BENCH_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

// Writes `bytes` of a non-repeating pattern once, in 1 MiB pieces so that
// the file never sits in memory; kept while it has the right size.
inline void make_big_file(const std::filesystem::path &path, std::size_t bytes) {
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == bytes) return;
    constexpr std::size_t kPiece = 1024 * 1024;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> piece(kPiece);
    for (std::size_t at = 0; at < bytes; at += kPiece) {
        for (std::size_t i = 0; i < kPiece; ++i)
            piece[i] = static_cast<char>((at + i) * 7 + (at >> 16));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
}

// "/tmp/x" as the library names it: "\tmp\x", on drive Z:.
inline std::u16string library_path(const std::filesystem::path &path) {
    std::u16string text = path.u16string();
    for (auto &unit : text)
        if (unit == u'/') unit = u'\\';
    return text;
}

// The files a benchmark made, removed when the program ends.
struct RemovedAtExit {
    std::vector<std::filesystem::path> paths;
    ~RemovedAtExit() {
        std::error_code ignored;
        for (const auto &path : paths) std::filesystem::remove(path, ignored);
    }
};

}  // namespace bench
