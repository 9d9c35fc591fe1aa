// Speed of the picture exports: a 12-room stage map at scale 2 composed into
// the 8-bit picture, its PNG encoding, and both, each against composing the
// same rooms into a 32-bit buffer of the map's size (what the level view's
// drawing costs for those pixels), measured in the same run.

#include "BenchRatios.h"

#include "demo/DemoImage.h"
#include "data/Stages.h"
#include "graphics/Compositor.h"
#include "graphics/StagePicture.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace quorvan;

namespace {

constexpr int kScale = 2;

// Seed 3's stage 1 lists rooms 0 to 11.
struct Demo {
    std::vector<std::uint8_t> image = GenerateDemoImage({3, DemoLayout::Plain});
    StageTable stages = *StagesForLength(image.size());
    StageSource source() const { return {image, stages, 0}; }
    int lastRoom() const { return StageMapLastRoom(source()); }
};

const Demo& TheDemo()
{
    static const Demo demo;
    return demo;
}

void BM_ComposeRooms32(benchmark::State& state)
{
    const Demo& demo = TheDemo();
    const int rooms = demo.lastRoom() + 1;
    const int roomWidth = 256 * kScale;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(rooms) * roomWidth * 192 * kScale);
    RenderFaults faults;
    for (auto _ : state) {
        for (int r = 0; r < rooms; ++r) {
            const PixelView view{pixels.data() + r * roomWidth, roomWidth, 192 * kScale, rooms * roomWidth};
            ComposeRoom(view, demo.source(), r, kScale, faults);
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(rooms) + " rooms");
}

void BM_StageMapPicture(benchmark::State& state)
{
    const Demo& demo = TheDemo();
    RenderFaults faults;
    for (auto _ : state) {
        QImage picture = StageMapPicture(demo.source(), demo.lastRoom(), kScale, faults);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void BM_EncodePng(benchmark::State& state)
{
    const Demo& demo = TheDemo();
    RenderFaults faults;
    const QImage picture = StageMapPicture(demo.source(), demo.lastRoom(), kScale, faults);
    for (auto _ : state) {
        auto png = EncodePng(picture);
        benchmark::DoNotOptimize(png->constData());
    }
}

void BM_StageMapPng(benchmark::State& state)
{
    const Demo& demo = TheDemo();
    RenderFaults faults;
    for (auto _ : state) {
        auto png = EncodePng(StageMapPicture(demo.source(), demo.lastRoom(), kScale, faults));
        benchmark::DoNotOptimize(png->constData());
    }
}

BENCHMARK(BM_ComposeRooms32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageMapPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StageMapPng)->Unit(benchmark::kMillisecond);

const quorvan::bench::RatioList kRatios = {
    {"BM_StageMapPicture", "BM_ComposeRooms32"},
    {"BM_EncodePng", "BM_ComposeRooms32"},
    {"BM_StageMapPng", "BM_ComposeRooms32"},
};

} // namespace

int main(int argc, char** argv)
{
    if (!quorvan::bench::InitializeBenchmarks(argc, argv))
        return 1;
    return quorvan::bench::RunAndShutdown(kRatios);
}
