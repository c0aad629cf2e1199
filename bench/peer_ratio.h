// Runs a file's benchmarks and ends with one line per pair of ours and a
// peer's: the peer's CPU time over ours (above 1: ours is faster). CPU time,
// because the machine is shared. Where the peer is another process, whose
// CPU time this one does not see, the benchmarks set each iteration's time
// themselves (UseManualTime: the CPU time of this process or of its
// children, from getrusage) and the ratio is of those.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

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

// The CPU time, user and system, that this process (RUSAGE_SELF) or its
// waited-for children (RUSAGE_CHILDREN) have used so far, in seconds.
inline double cpu_seconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

enum class Clock { Cpu, Manual };

class PeerRatioReporter : public benchmark::ConsoleReporter {
public:
    explicit PeerRatioReporter(Clock clock = Clock::Cpu) : clock_(clock) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times_[run.benchmark_name()] = clock_ == Clock::Cpu ? run.GetAdjustedCPUTime()
                                                                    : run.GetAdjustedRealTime();
                // The elapsed time, where a benchmark keeps it beside.
                if (auto wall = run.counters.find("wall_s"); wall != run.counters.end())
                    walls_[run.benchmark_name()] = wall->second.value;
            }
    }

    void print(const char *peerName, const std::vector<Pair> &pairs) const {
        std::printf("\n%s %s / ours (above 1: ours is faster)\n", peerName,
                    clock_ == Clock::Cpu ? "CPU time" : "CPU time, as each benchmark measured it");
        for (const Pair &pair : pairs) {
            const double *ours = find(times_, pair.ours), *peer = find(times_, pair.peer);
            const double *ours_wall = find(walls_, pair.ours), *peer_wall = find(walls_, pair.peer);
            if (!ours || !peer) continue;
            std::printf("  %-24s %.2f", pair.label.c_str(), *peer / *ours);
            if (ours_wall && peer_wall) std::printf("   (elapsed time: %.2f)", *peer_wall / *ours_wall);
            std::printf("\n");
        }
    }

private:
    static const double *find(const std::map<std::string, double> &times,
                              const std::string &prefix) {
        auto at = times.lower_bound(prefix);
        if (at == times.end() || at->first.compare(0, prefix.size(), prefix) != 0) return nullptr;
        return &at->second;
    }
    Clock clock_;
    std::map<std::string, double> times_, walls_;
};

inline int run_against_peer(int argc, char **argv, const char *peerName,
                            const std::vector<Pair> &pairs, Clock clock = Clock::Cpu) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    PeerRatioReporter reporter(clock);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print(peerName, pairs);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
