#pragma once
// The benchmarks report each measurement as a ratio against a baseline measured
// in the same run, because absolute times drift on a shared machine. This
// reporter prints the usual console report, keeps the fastest CPU time of each
// benchmark (or wall-clock time, for work that waits on the disk), and prints
// the ratios at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvan::bench {

// Pairs of (measured benchmark, baseline benchmark), by their run names.
using RatioList = std::vector<std::pair<std::string, std::string>>;

class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Cpu, Wall };
    explicit RatioReporter(RatioList ratios, Clock clock = Clock::Cpu) : ratios_(std::move(ratios)), clock_(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double time = clock_ == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
            const auto [found, added] = best_.emplace(run.run_name.str(), time);
            if (!added)
                found->second = std::min(found->second, time);
        }
    }

    void PrintRatios() const
    {
        for (const auto& [name, baseline] : ratios_) {
            const auto a = best_.find(name);
            const auto b = best_.find(baseline);
            if (a == best_.end() || b == best_.end() || b->second <= 0.0)
                continue;
            std::printf("ratio %-18s / %-24s = %8.2f\n", name.c_str(), baseline.c_str(), a->second / b->second);
        }
    }

private:
    RatioList ratios_;
    Clock clock_;
    std::map<std::string, double> best_;
};

// Runs the benchmarks named on the command line and prints the ratios.
inline void RunWithRatios(RatioList ratios, RatioReporter::Clock clock = RatioReporter::Clock::Cpu)
{
    RatioReporter reporter(std::move(ratios), clock);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
}

} // namespace quorvan::bench
