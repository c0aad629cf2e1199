// Runs a file's benchmarks and ends with one line per pair of ours and a
// peer's: the peer's CPU time over ours (above 1: ours is faster). CPU time,
// because the machine is shared.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Pair {
    std::string label;
    std::string ours;  // benchmark name, or a prefix of it
    std::string peer;
};

class PeerRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }

    void print(const char *peerName, const std::vector<Pair> &pairs) const {
        std::printf("\n%s CPU time / ours (above 1: ours is faster)\n", peerName);
        for (const Pair &pair : pairs) {
            const double *ours = find(pair.ours), *peer = find(pair.peer);
            if (ours && peer) std::printf("  %-24s %.2f\n", pair.label.c_str(), *peer / *ours);
        }
    }

private:
    const double *find(const std::string &prefix) const {
        auto at = times_.lower_bound(prefix);
        if (at == times_.end() || at->first.compare(0, prefix.size(), prefix) != 0) return nullptr;
        return &at->second;
    }
    std::map<std::string, double> times_;
};

inline int run_against_peer(int argc, char **argv, const char *peerName,
                            const std::vector<Pair> &pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PeerRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print(peerName, pairs);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
