// The main job beside its peers, in one run: a 1 GiB file through
// Enc_EncryptHead / Enc_DecryptHead against `openssl enc -bf-ecb`, and a
// tree of 10,000 small files through Enc_Encrypt / Enc_Decrypt against
// `cp -r` of the same tree. Each side is timed by the CPU time it used,
// system time included (getrusage of this process, or of the children for
// the peers' commands); the ratios are of those. The elapsed time is kept
// beside it ("wall_s") and its ratios printed too: it is what a user
// waits, but on a shared machine it counts the others' work as well.
// The command line (`quorvel encrypt` / `decrypt`, planning, temporary
// names and all) runs the same file and tree beside the same peers and
// beside `tar -c | openssl enc -bf-ecb` of the tree and its reverse.
// The peak resident size after each of ours shows that memory stays with
// the stream buffers, whatever the size of the file or the tree.
//
// QUORVEL_BENCH_DIR sets the folder for the files (default: the system's
// temporary folder); it needs about 3 GiB.
#include <quorvel/encrypt.h>
#include <quorvel/frame.h>
#include <quorvel/stream.h>

#include "peer_ratio.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kBigFile = 1024 * kMiB;
constexpr int kFolders = 100, kFilesPerFolder = 100;
const char16_t kPassword[] = u"password";
constexpr LONG kKeyTime = 1700000000;

fs::path folder() {
    const char *dir = std::getenv("QUORVEL_BENCH_DIR");
    return (dir ? fs::path(dir) : fs::temp_directory_path()) / "quorvel-bench-encrypt";
}

std::u16string library_path(const fs::path &path) {
    std::u16string text = u"Z:";
    for (char16_t unit : path.u16string()) text += unit == u'/' ? u'\\' : unit;
    return text;
}

const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

double cpu_seconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double wall_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs `body` once per iteration, timing it by the CPU time of this process
// (`who` RUSAGE_SELF) or of its children, and keeping the elapsed time
// beside it (the counter "wall_s", per iteration).
template <typename Body>
void timed(benchmark::State &state, Body body, int who = RUSAGE_SELF) {
    double wall = 0;
    for (auto _ : state) {
        const double start = cpu_seconds(who), wall_start = wall_seconds();
        body();
        state.SetIterationTime(cpu_seconds(who) - start);
        wall += wall_seconds() - wall_start;
    }
    state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
}

double peak_rss_mib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The 1 GiB file, written in 1 MiB pieces so that it never sits in memory.
fs::path big_file() {
    const fs::path path = folder() / "big.bin";
    if (fs::exists(path) && fs::file_size(path) == kBigFile) return path;
    fs::create_directories(folder());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> piece(kMiB);
    for (std::size_t at = 0; at < kBigFile; at += kMiB) {
        for (std::size_t i = 0; i < kMiB; ++i) piece[i] = static_cast<char>((at + i) * 7 + (at >> 16));
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    return path;
}

// 100 folders of 100 files of 1 to 4 KiB.
fs::path small_tree() {
    const fs::path root = folder() / "tree";
    if (fs::exists(root / "f99" / "x99.txt")) return root;
    std::string content;
    for (int f = 0; f < kFolders; ++f) {
        fs::create_directories(root / ("f" + std::to_string(f)));
        for (int x = 0; x < kFilesPerFolder; ++x) {
            content.assign(1024 + static_cast<std::size_t>((f * 131 + x * 17) % 3072), 'a' + x % 26);
            std::ofstream(root / ("f" + std::to_string(f)) / ("x" + std::to_string(x) + ".txt"),
                          std::ios::binary)
                << content;
        }
    }
    return root;
}

void run_command(benchmark::State &state, const std::string &command) {
    timed(state, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
    }, RUSAGE_CHILDREN);
}

void BM_EncryptFile(benchmark::State &state) {
    const std::u16string in = library_path(big_file()), out = library_path(folder() / "big.bin.cpt");
    timed(state, [&] {
        // As `openssl enc -out` cuts its last output, the last run's goes first.
        fs::remove(folder() / "big.bin.cpt");
        if (Enc_EncryptHead(u16(kPassword), u16(in), u16(out), kKeyTime) != 1)
            state.SkipWithError("Enc_EncryptHead failed");
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
    state.counters["peak_rss_MiB"] = peak_rss_mib();
}

void BM_DecryptFile(benchmark::State &state) {
    fs::create_directories(folder() / "restored");
    const std::u16string in = library_path(folder() / "big.bin.cpt");
    const std::u16string out = library_path(folder() / "restored") + u"\\";
    timed(state, [&] {
        fs::remove(folder() / "restored" / "big.bin");
        if (Enc_DecryptHead(u16(kPassword), u16(in), u16(out)) != 1)
            state.SkipWithError("Enc_DecryptHead failed");
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
    state.counters["peak_rss_MiB"] = peak_rss_mib();
}

std::string openssl(const char *direction, const fs::path &in, const fs::path &out) {
    return std::string("openssl enc ") + direction +
           " -bf-ecb -nopad -provider legacy -provider default"
           " -K 703c2e3247a79dfe087e7fd24ee6a20b -in '" + in.string() + "' -out '" +
           out.string() + "'";
}

void BM_OpensslEncryptFile(benchmark::State &state) {
    const std::string command = openssl("-e", big_file(), folder() / "big.openssl");
    run_command(state, command);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

void BM_OpensslDecryptFile(benchmark::State &state) {
    const std::string command = openssl("-d", folder() / "big.openssl", folder() / "big.back");
    run_command(state, command);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

// The tree mirrored into work\ as containers, then restored in place there.
// Each run starts as the peers' do, with the last run's output removed (and
// the removal timed, as theirs is): the whole tree before encrypting, the
// restored files beside their containers before restoring.
void remove_output(const fs::path &tree, bool restored_only) {
    std::error_code ignored;
    if (!restored_only) {
        fs::remove_all(tree, ignored);
        return;
    }
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(tree, ignored))
        if (entry.is_regular_file() && entry.path().extension() != ".cpt") fs::remove(entry, ignored);
}

void BM_EncryptTree(benchmark::State &state) {
    const fs::path tree = small_tree();
    fs::create_directories(folder() / "work");
    const std::u16string work = library_path(folder() / "work") + u"\\";
    std::memcpy(g_szWrkDir, work.c_str(), (work.size() + 1) * sizeof(char16_t));
    g_cOutFolder = 3;
    g_cSubFolder = 1;
    timed(state, [&] {
        remove_output(folder() / "work" / "tree", false);
        unsigned short path[QUORVEL_MAX_TEXT] = {};
        const std::u16string source = library_path(tree);
        std::memcpy(path, source.c_str(), source.size() * sizeof(char16_t));
        if (Enc_Encrypt(nullptr, path, u16(kPassword), kKeyTime, 0) != 1)
            state.SkipWithError("Enc_Encrypt failed");
    });
    g_cOutFolder = 0;
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
    state.counters["peak_rss_MiB"] = peak_rss_mib();
}

void BM_DecryptTree(benchmark::State &state) {
    g_cSubFolder = 1;
    timed(state, [&] {
        remove_output(folder() / "work" / "tree", true);
        unsigned short path[QUORVEL_MAX_TEXT] = {};
        const std::u16string source = library_path(folder() / "work" / "tree");
        std::memcpy(path, source.c_str(), source.size() * sizeof(char16_t));
        if (Enc_Decrypt(nullptr, path, u16(kPassword), 0) != 1)
            state.SkipWithError("Enc_Decrypt failed");
    });
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
    state.counters["peak_rss_MiB"] = peak_rss_mib();
}

void BM_CpTree(benchmark::State &state) {
    const fs::path tree = small_tree(), copy = folder() / "copy";
    const std::string command = "rm -rf '" + copy.string() + "' && cp -r '" + tree.string() +
                                "' '" + copy.string() + "'";
    run_command(state, command);
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}

// The command line, timed by its CPU time as the peers' commands are. Each
// run starts from an empty output folder (the removal is timed for the
// peers too).
std::string cli(const char *verb, const fs::path &in, const fs::path &out) {
    return "rm -rf '" + out.string() + "' && QUORVEL_PASSWORD=password " QUORVEL_CLI " " + verb +
           " --quiet --subfolders --out-folder '" + out.string() + "' '" + in.string() +
           "' 2>/dev/null";
}

void BM_CliEncryptFile(benchmark::State &state) {
    run_command(state, cli("encrypt", big_file(), folder() / "cli-big"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

void BM_CliDecryptFile(benchmark::State &state) {
    run_command(state, cli("decrypt", folder() / "cli-big" / "big.bin.cpt", folder() / "cli-big-back"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigFile));
}

void BM_CliEncryptTree(benchmark::State &state) {
    run_command(state, cli("encrypt", small_tree(), folder() / "cli-tree"));
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}

void BM_CliDecryptTree(benchmark::State &state) {
    run_command(state, cli("decrypt", folder() / "cli-tree" / "tree", folder() / "cli-back"));
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}

void BM_TarOpensslTree(benchmark::State &state) {
    const fs::path tree = small_tree();
    run_command(state, "tar -c -C '" + tree.parent_path().string() + "' tree | " +
                           openssl("-e", "/dev/stdin", folder() / "tree.tar.bf"));
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}

void BM_OpensslTarTree(benchmark::State &state) {
    const fs::path back = folder() / "tar-back";
    run_command(state, "rm -rf '" + back.string() + "' && mkdir '" + back.string() + "' && " +
                           openssl("-d", folder() / "tree.tar.bf", "/dev/stdout") +
                           " | tar -x -C '" + back.string() + "'");
    state.SetItemsProcessed(state.iterations() * kFolders * kFilesPerFolder);
}

BENCHMARK(BM_EncryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_DecryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_OpensslEncryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_OpensslDecryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_EncryptTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_DecryptTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_CpTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_CliEncryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_CliDecryptFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_CliEncryptTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_CliDecryptTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_TarOpensslTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_OpensslTarTree)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

struct RemoveFiles {
    ~RemoveFiles() {
        std::error_code ignored;
        fs::remove_all(folder(), ignored);
    }
} g_remove_files;

}  // namespace

int main(int argc, char **argv) {
    return bench::run_against_peer(argc, argv, "openssl enc / cp -r / tar | openssl enc",
                                   {{"encrypt 1 GiB file", "BM_EncryptFile", "BM_OpensslEncryptFile"},
                                    {"decrypt 1 GiB file", "BM_DecryptFile", "BM_OpensslDecryptFile"},
                                    {"encrypt 10,000 files", "BM_EncryptTree", "BM_CpTree"},
                                    {"decrypt 10,000 files", "BM_DecryptTree", "BM_CpTree"},
                                    {"encrypt tree/tar", "BM_EncryptTree", "BM_TarOpensslTree"},
                                    {"decrypt tree/tar", "BM_DecryptTree", "BM_OpensslTarTree"},
                                    {"quorvel encrypt 1 GiB", "BM_CliEncryptFile", "BM_OpensslEncryptFile"},
                                    {"quorvel decrypt 1 GiB", "BM_CliDecryptFile", "BM_OpensslDecryptFile"},
                                    {"quorvel encrypt tree", "BM_CliEncryptTree", "BM_CpTree"},
                                    {"quorvel decrypt tree", "BM_CliDecryptTree", "BM_CpTree"},
                                    {"quorvel encrypt tree/tar", "BM_CliEncryptTree", "BM_TarOpensslTree"},
                                    {"quorvel decrypt tree/tar", "BM_CliDecryptTree", "BM_OpensslTarTree"}},
                                   bench::Clock::Manual);
}
