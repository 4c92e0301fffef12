// Runs every benchmark, then prints one table: each measurement beside its
// baseline from the same run, as the fastest of the repetitions.

#include "bench_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

struct Best {
    double seconds = 0; // per iteration
    double bytes_per_second = 0;
    std::map<std::string, double> counters;
};

// Keeps the fastest repetition of each benchmark.
class BestOfReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context &) override { return true; }
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            Best &best = results[run.run_name.function_name];
            if (best.seconds == 0 || seconds < best.seconds) {
                best.seconds = seconds;
                best.counters.clear();
                for (const auto &counter : run.counters) {
                    best.counters[counter.first] = counter.second.value;
                }
                const auto bytes = run.counters.find("bytes_per_second");
                best.bytes_per_second = bytes != run.counters.end() ? bytes->second.value : 0;
            }
        }
    }
    std::map<std::string, Best> results;
};

std::string time_text(double seconds) {
    char text[32];
    if (seconds < 1e-3) {
        std::snprintf(text, sizeof text, "%9.2f us", seconds * 1e6);
    } else {
        std::snprintf(text, sizeof text, "%9.3f ms", seconds * 1e3);
    }
    return text;
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    BestOfReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-44s %12s %12s  %s\n", "benchmark", "time", "throughput", "against baseline");
    for (const auto &[name, best] : reporter.results) {
        const std::string baseline = tovarune::bench::baseline_of(name);
        std::string ratio;
        const auto base = reporter.results.find(baseline);
        if (!baseline.empty() && base != reporter.results.end()) {
            ratio = tovarune::bench::describe(name, best.seconds, base->second.seconds);
        } else {
            ratio = tovarune::bench::describe(name, best.seconds, 0);
        }
        const auto allocations = best.counters.find("allocations_per_frame");
        if (allocations != best.counters.end()) {
            char text[48];
            std::snprintf(text, sizeof text, ", %.2f allocations per frame", allocations->second);
            ratio += text;
        }
        char throughput[32] = "";
        if (best.bytes_per_second > 0) {
            std::snprintf(throughput, sizeof throughput, "%7.2f GB/s", best.bytes_per_second / 1e9);
        }
        std::printf("%-44s %12s %12s  %s\n", name.c_str(), time_text(best.seconds).c_str(),
                    throughput, ratio.c_str());
    }
    benchmark::Shutdown();
    return 0;
}
