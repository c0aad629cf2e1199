// Blowfish file streaming side by side on one 256 MiB file: Bwf_Encrypt
// between two Fl_ handles, OpenSSL's command-line tool, and a plain copy
// through the same handles in chunks of the same size. Peak resident sizes
// show what the stream holds beyond the process it runs in.
//
// QUORVEL_BENCH_DIR sets the folder for the files (default: the system's
// temporary folder). Run with --benchmark_min_time=... to change the count.
#include <quorvel/crypto.h>
#include <quorvel/fl.h>
#include <quorvel/stream.h>

#include <benchmark/benchmark.h>

#include "big_file.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kFileBytes = 256 * kMiB;
const unsigned char kKey[] = "5f4dcc3b5aa765d6";

fs::path input_file() { return bench::bench_folder() / "quorvel-bench-stream.in"; }
fs::path output_file() { return bench::bench_folder() / "quorvel-bench-stream.out"; }

void make_input() { bench::make_big_file(input_file(), kFileBytes); }

void *open(const fs::path &path, _FL_MODE mode) {
    return Fl_Open(reinterpret_cast<const unsigned short *>(bench::library_path(path).c_str()), mode, 1);
}

double peak_rss_mib(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void finish(benchmark::State &state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileBytes));
}

// Registered first, so that the process's peak is its own.
void BM_BwfEncrypt(benchmark::State &state) {
    make_input();
    const double before = peak_rss_mib(RUSAGE_SELF);
    for (auto _ : state) {
        void *in = open(input_file(), FL_READ);
        void *out = open(output_file(), FL_CREATE);
        if (Bwf_Encrypt(in, out, kKey, static_cast<int64_t>(kFileBytes)) != 1)
            state.SkipWithError("Bwf_Encrypt failed");
        Fl_Close(in);
        Fl_Close(out);
    }
    finish(state);
    state.counters["peak_rss_MiB"] = peak_rss_mib(RUSAGE_SELF);
    state.counters["rss_growth_MiB"] = peak_rss_mib(RUSAGE_SELF) - before;
    Bwf_Destroy();
}

void BM_OpensslCommand(benchmark::State &state) {
    make_input();
    std::string key_hex;
    for (const unsigned char *k = kKey; *k; ++k) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", *k);
        key_hex += hex;
    }
    const std::string command = "openssl enc -bf-ecb -nopad -provider legacy -provider default -K " +
                                key_hex + " -in '" + input_file().string() + "' -out '" +
                                output_file().string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("openssl failed");
    }
    finish(state);
    // No peak for the child: on Linux a forked child starts from its
    // parent's high-water mark. Use /usr/bin/time -v on the command instead.
}

// The floor: the same reads and writes without the cipher.
void BM_PlainCopy(benchmark::State &state) {
    make_input();
    std::vector<unsigned char> chunk(8 * kMiB);
    for (auto _ : state) {
        void *in = open(input_file(), FL_READ);
        void *out = open(output_file(), FL_CREATE);
        for (;;) {
            const uint32_t got = Fl_Read(in, chunk.data(), static_cast<uint32_t>(chunk.size()));
            if (got == 0 || got == FL_FAILED) break;
            if (Fl_Write(out, chunk.data(), got) != got) state.SkipWithError("write failed");
        }
        Fl_Close(in);
        Fl_Close(out);
    }
    finish(state);
}

void BM_CpCommand(benchmark::State &state) {
    make_input();
    const std::string command = "cp '" + input_file().string() + "' '" + output_file().string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    }
    finish(state);
}

BENCHMARK(BM_BwfEncrypt)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_OpensslCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CpCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

bench::RemovedAtExit g_remove_files{{input_file(), output_file()}};

}  // namespace

BENCHMARK_MAIN();
