// Blowfish buffer encryption and MD5 beside OpenSSL's on the same data.
// Targets: Bwf_Encrypt at least as fast as a BF_ecb_encrypt loop, Md5
// within 10% of OpenSSL's MD5.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <quorvel/crypto.h>

#include "peer_ratio.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>
#include <openssl/md5.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const unsigned char kKey[] = "0123456789abcdef0123456789abcdef";  // a digest-like text key

// Bytes 1..255 only: Md5 hashes up to the first zero byte.
std::vector<unsigned char> make_data(size_t size) {
    std::vector<unsigned char> data(size + 8, 0);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(1 + (i * 131 + (i >> 8)) % 255);
    return data;
}

void BM_Bwf_Encrypt(benchmark::State &state) {
    const auto size = static_cast<size_t>(state.range(0));
    std::vector<unsigned char> data = make_data(size);
    auto *buffer = reinterpret_cast<unsigned short *>(data.data());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Bwf_Encrypt(buffer, kKey, static_cast<int32_t>(size)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_OpenSSL_BF_ecb_encrypt(benchmark::State &state) {
    const auto size = static_cast<size_t>(state.range(0));
    std::vector<unsigned char> data = make_data(size);
    BF_KEY key;
    BF_set_key(&key, static_cast<int>(std::strlen(reinterpret_cast<const char *>(kKey))), kKey);
    for (auto _ : state) {
        for (size_t i = 0; i < size; i += 8) BF_ecb_encrypt(&data[i], &data[i], &key, BF_ENCRYPT);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_Md5(benchmark::State &state) {
    std::vector<unsigned char> data = make_data(static_cast<size_t>(state.range(0)));
    unsigned char hex[33];
    for (auto _ : state) {
        Md5(data.data(), hex);
        benchmark::DoNotOptimize(hex);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_OpenSSL_MD5(benchmark::State &state) {
    const auto size = static_cast<size_t>(state.range(0));
    std::vector<unsigned char> data = make_data(size);
    unsigned char digest[MD5_DIGEST_LENGTH];
    for (auto _ : state) {
        MD5(data.data(), size, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

constexpr int64_t kMiB = 1 << 20;
BENCHMARK(BM_Bwf_Encrypt)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSSL_BF_ecb_encrypt)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Md5)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSSL_MD5)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);

// Prints the usual table, then each of ours against OpenSSL's, by CPU time
// (the machine may be shared).
}  // namespace

int main(int argc, char **argv) {
    return bench::run_against_peer(argc, argv, "OpenSSL",
                                   {{"Blowfish 1 MiB", "BM_Bwf_Encrypt/1048576",
                                     "BM_OpenSSL_BF_ecb_encrypt/1048576"},
                                    {"Blowfish 64 MiB", "BM_Bwf_Encrypt/67108864",
                                     "BM_OpenSSL_BF_ecb_encrypt/67108864"},
                                    {"MD5 1 MiB", "BM_Md5/1048576", "BM_OpenSSL_MD5/1048576"},
                                    {"MD5 64 MiB", "BM_Md5/67108864", "BM_OpenSSL_MD5/67108864"}});
}
