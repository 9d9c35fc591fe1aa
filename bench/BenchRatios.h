#pragma once
// The benchmarks report each measurement as a ratio against a baseline measured
// in the same run, because absolute times drift on a shared machine. This
// reporter prints the usual console report, keeps the fastest CPU time of each
// benchmark (or wall-clock time, for work that waits on the disk), and prints
// the ratios at the end. It also holds the pieces every benchmark program
// shares: the pixel-copy floor most of them divide by, and main()'s start and end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// The start of main(): false (after saying so) when the command line holds
// arguments the benchmark library does not know.
inline bool InitializeBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}

// The end of main(): runs the benchmarks, prints the ratios and shuts the
// library down. Returns main()'s exit code.
inline int RunAndShutdown(RatioList ratios, RatioReporter::Clock clock = RatioReporter::Clock::Cpu)
{
    RunWithRatios(std::move(ratios), clock);
    benchmark::Shutdown();
    return 0;
}

// The level view's pixels (512 x 384), the size of most window floors.
inline constexpr std::size_t kViewPixels = std::size_t{512} * 384;

// Where a copy's target starts in its allocation: at its start, or 64 bytes
// further in, so that source and target are not 4 KiB apart (which slows some
// processors' copies).
enum class CopyTarget { AtStart, Skewed };

// The floor: copying `pixels` 32-bit pixels from one buffer to another.
inline void CopyPixels(benchmark::State& state, std::size_t pixels, CopyTarget target)
{
    const std::size_t offset = target == CopyTarget::Skewed ? 16 : 0;
    std::vector<std::uint32_t> from(pixels, 0x00123456u);
    std::vector<std::uint32_t> to(pixels + offset, 0u);
    for (auto _ : state) {
        std::memcpy(to.data() + offset, from.data(), pixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

} // namespace quorvan::bench
