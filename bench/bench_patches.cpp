// Speed of making and applying patches of a whole image, each measured against
// one plain copy of the image's bytes, taken in the same run. The machine is
// shared, so only the ratios printed at the end mean anything.

#include "BenchRatios.h"

#include "data/BpsPatch.h"
#include "data/EditHistory.h"
#include "data/IpsPatch.h"
#include "data/PatchApply.h"
#include "data/RomDocument.h"
#include "demo/DemoImage.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace quorvan;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& Plain()
{
    static const Bytes bytes = GenerateDemoImage({1, DemoLayout::Plain});
    return bytes;
}

// A session's worth of edits: 200 scattered bytes and a room's run of one block.
const Bytes& Edited()
{
    static const Bytes bytes = [] {
        Bytes b = Plain();
        for (std::size_t i = 0; i < 200; ++i)
            b[(i * 7919 + 0x58) % b.size()] ^= 0x5A;
        std::fill(b.begin() + 0x58, b.begin() + 0x58 + 192, std::uint8_t{0x21});
        return b;
    }();
    return bytes;
}

// Every byte changed: the most a patch can write into a document.
const Bytes& Inverted()
{
    static const Bytes bytes = [] {
        Bytes b = Plain();
        for (auto& v : b)
            v = static_cast<std::uint8_t>(~v);
        return b;
    }();
    return bytes;
}

void BM_CopyImage(benchmark::State& state)
{
    Bytes out(Plain().size());
    for (auto _ : state) {
        std::memcpy(out.data(), Plain().data(), out.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void BM_BuildBps(benchmark::State& state)
{
    const Bytes& target = state.range(0) == 0 ? Edited() : GenerateDemoImage({1, DemoLayout::Shifted});
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildBpsPatch(Plain(), target));
}

void BM_ApplyBps(benchmark::State& state)
{
    const Bytes patch = BuildBpsPatch(Plain(), Edited());
    for (auto _ : state)
        benchmark::DoNotOptimize(ApplyBpsPatch(Plain(), patch, Plain().size()));
}

void BM_BuildIps(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildIpsPatch(Plain(), Edited()));
}

void BM_ApplyIps(benchmark::State& state)
{
    const Bytes patch = *BuildIpsPatch(Plain(), Edited());
    for (auto _ : state)
        benchmark::DoNotOptimize(ApplyIpsPatch(Plain(), patch));
}

// Applying to a document: every changed byte through the one write function
// into one undo step.
void BM_ApplyToDocument(benchmark::State& state)
{
    const Bytes patch = BuildBpsPatch(Plain(), state.range(0) == 0 ? Edited() : Inverted());
    RomDocument document;
    for (auto _ : state) {
        state.PauseTiming();
        document.image().replace(Plain());
        document.history().Reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ApplyPatchToDocument(document, patch));
    }
}

BENCHMARK(BM_CopyImage);
BENCHMARK(BM_BuildBps)->Arg(0)->Arg(1);
BENCHMARK(BM_ApplyBps);
BENCHMARK(BM_BuildIps);
BENCHMARK(BM_ApplyIps);
BENCHMARK(BM_ApplyToDocument)->Arg(0)->Arg(1);

const quorvan::bench::RatioList kRatios = {
    {"BM_BuildBps/0", "BM_CopyImage"},       {"BM_BuildBps/1", "BM_CopyImage"},
    {"BM_ApplyBps", "BM_CopyImage"},         {"BM_BuildIps", "BM_CopyImage"},
    {"BM_ApplyIps", "BM_CopyImage"},         {"BM_ApplyToDocument/0", "BM_CopyImage"},
    {"BM_ApplyToDocument/1", "BM_CopyImage"},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!quorvan::bench::InitializeBenchmarks(argc, argv))
        return 1;
    return quorvan::bench::RunAndShutdown(kRatios);
}
