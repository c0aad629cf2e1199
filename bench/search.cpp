// The recursive search and the folder analysis over a generated tree of
// 100,000 files (1,000 folders of 100), beside find(1) listing the same tree
// and du -sb adding it up. The peers are other processes: each side is timed
// by the CPU time it used, system time included (getrusage of this process,
// or of its children for a command), as the machine is shared and wall-clock
// times say more about the neighbours. The search's result list is measured
// as the heap it holds (mallinfo2) per 100,000 entries.
//
// QUORVEL_BENCH_DIR sets the folder for the tree (default: the system's
// temporary folder).
#include <quorvel/search.h>

#include "peer_ratio.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

constexpr int kTop = 10, kInner = 100, kFiles = 100;  // 100,000 files

fs::path root() {
    const char *dir = std::getenv("QUORVEL_BENCH_DIR");
    return (dir ? fs::path(dir) : fs::temp_directory_path()) / "quorvel-bench-search";
}

// The tree, made once per run: file i of a folder holds i bytes.
void make_tree() {
    static bool made = false;
    if (made) return;
    fs::remove_all(root());
    for (int t = 0; t < kTop; ++t)
        for (int i = 0; i < kInner; ++i) {
            const fs::path folder = root() / ("t" + std::to_string(t)) / ("f" + std::to_string(i));
            fs::create_directories(folder);
            for (int f = 0; f < kFiles; ++f)
                std::ofstream(folder / ("file" + std::to_string(f) + ".dat"))
                    << std::string(static_cast<size_t>(f), 'x');
        }
    made = true;
}

std::u16string library_root() {
    std::u16string text = u"Z:" + root().u16string();
    for (auto &unit : text)
        if (unit == u'/') unit = u'\\';
    return text;
}

const unsigned short *u16(const std::u16string &text) {
    return reinterpret_cast<const unsigned short *>(text.c_str());
}

void run_command(benchmark::State &state, const std::string &command) {
    make_tree();
    for (auto _ : state) {
        const double before = bench::cpu_seconds(RUSAGE_CHILDREN);
        if (std::system(command.c_str()) != 0) state.SkipWithError(command.c_str());
        state.SetIterationTime(bench::cpu_seconds(RUSAGE_CHILDREN) - before);
    }
}

void BM_FileSearch(benchmark::State &state) {
    make_tree();
    const std::u16string folder = library_root();
    double held = 0;
    int32_t entries = 0;
    for (auto _ : state) {
        const double start = bench::cpu_seconds(RUSAGE_SELF);
        const size_t before = mallinfo2().uordblks;
        tagSEQ list;
        if (!Cfl_FileSearch(u16(folder), u16(u"*"), list, 1)) state.SkipWithError("no result");
        held = static_cast<double>(mallinfo2().uordblks - before);
        entries = list.lCount;
        Cfl_FileSearchFree(list);
        state.SetIterationTime(bench::cpu_seconds(RUSAGE_SELF) - start);
    }
    state.counters["entries"] = entries;
    state.counters["MiB_per_100k"] = held / entries * 100000 / (1024 * 1024);
}

void BM_FindCommand(benchmark::State &state) {
    run_command(state, "find '" + root().string() + "' > /dev/null");
}

void BM_FindPrintfCommand(benchmark::State &state) {
    // find reading what the search's records hold: kind, size and times.
    run_command(state, "find '" + root().string() + "' -printf '%y %s %C@ %A@ %T@ %p\\n' > /dev/null");
}

void BM_FolderAnalyze(benchmark::State &state) {
    make_tree();
    const std::u16string folder = library_root();
    for (auto _ : state) {
        const double start = bench::cpu_seconds(RUSAGE_SELF);
        LONG files = 0, folders = 0;
        int64_t bytes = 0;
        if (!Cfl_FolderAnalyze(u16(folder), files, folders, bytes, 0, 1, 1) ||
            files != kTop * kInner * kFiles)
            state.SkipWithError("wrong count");
        state.SetIterationTime(bench::cpu_seconds(RUSAGE_SELF) - start);
    }
}

void BM_DuCommand(benchmark::State &state) {
    run_command(state, "du -sb '" + root().string() + "' > /dev/null");
}

// The command line's walks beside the same peers, as a person runs them.
void BM_QuorvelFindCommand(benchmark::State &state) {
    run_command(state, QUORVEL_CLI " find --details '" + root().string() + "' '*' > /dev/null");
}

void BM_FindSameFieldsCommand(benchmark::State &state) {
    // The fields quorvel find --details prints: size, write time, mode, path.
    run_command(state, "find '" + root().string() +
                           "' -mindepth 1 -printf '%s\\t%T@\\t%m\\t%p\\n' > /dev/null");
}

void BM_QuorvelDuCommand(benchmark::State &state) {
    run_command(state, QUORVEL_CLI " du '" + root().string() + "' > /dev/null");
}

BENCHMARK(BM_FileSearch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FindCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FindPrintfCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FolderAnalyze)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_DuCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_QuorvelFindCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_FindSameFieldsCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_QuorvelDuCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

struct RemoveTree {
    ~RemoveTree() {
        std::error_code ignored;
        fs::remove_all(root(), ignored);
    }
} g_remove_tree;

}  // namespace

int main(int argc, char **argv) {
    return bench::run_against_peer(argc, argv, "find, du",
                                   {{"search / find", "BM_FileSearch", "BM_FindCommand"},
                                    {"search / find -printf", "BM_FileSearch",
                                     "BM_FindPrintfCommand"},
                                    {"analysis / du -sb", "BM_FolderAnalyze", "BM_DuCommand"},
                                    {"quorvel find / find", "BM_QuorvelFindCommand",
                                     "BM_FindSameFieldsCommand"},
                                    {"quorvel du / du -sb", "BM_QuorvelDuCommand",
                                     "BM_DuCommand"}},
                                   bench::Clock::Manual);
}
