// Cfl_CopyFile of one 256 MiB file beside cp(1) copying the same file, in
// one run. Each side is timed by the CPU time it used, system time included
// (the kernel's copy is most of it): this process's for the library, the
// children's for cp. The copy shows no progress window unless standard
// error is a terminal: run with 2>/dev/null to leave the window out.
// QUORVEL_BENCH_DIR sets the folder for the files.
#include <quorvel/fileops.h>

#include "big_file.h"
#include "peer_ratio.h"

#include <cstdlib>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kFileBytes = 256 * kMiB;

fs::path input_file() { return bench::bench_folder() / "quorvel-bench-copy.in"; }
fs::path output_file() { return bench::bench_folder() / "quorvel-bench-copy.out"; }

void make_input() { bench::make_big_file(input_file(), kFileBytes); }

void BM_CflCopyFile(benchmark::State &state) {
    make_input();
    const std::u16string from = bench::library_path(input_file()),
                         to = bench::library_path(output_file());
    for (auto _ : state) {
        const double start = bench::cpu_seconds(RUSAGE_SELF);
        if (Cfl_CopyFile(nullptr, reinterpret_cast<const unsigned short *>(from.c_str()),
                         reinterpret_cast<const unsigned short *>(to.c_str()), nullptr) != 1)
            state.SkipWithError("Cfl_CopyFile failed");
        state.SetIterationTime(bench::cpu_seconds(RUSAGE_SELF) - start);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

void BM_CpCommand(benchmark::State &state) {
    make_input();
    const std::string command = "cp '" + input_file().string() + "' '" + output_file().string() + "'";
    for (auto _ : state) {
        const double start = bench::cpu_seconds(RUSAGE_CHILDREN);
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
        state.SetIterationTime(bench::cpu_seconds(RUSAGE_CHILDREN) - start);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_CflCopyFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);
BENCHMARK(BM_CpCommand)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

bench::RemovedAtExit g_remove_files{{input_file(), output_file()}};

}  // namespace

int main(int argc, char **argv) {
    return bench::run_against_peer(argc, argv, "cp", {{"copy 256 MiB", "BM_CflCopyFile", "BM_CpCommand"}},
                                   bench::Clock::Manual);
}
