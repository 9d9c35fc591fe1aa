// Speed of tile decoding and of the compositor, each measured against storing
// the same pixels at the same places, taken in the same run. The machine is
// shared, so only the ratios printed at the end mean anything.

#include "BenchRatios.h"

#include "demo/DemoImage.h"
#include "data/Stages.h"
#include "graphics/Compositor.h"
#include "graphics/MemoryPicture.h"
#include "graphics/NesColours.h"
#include "graphics/TileDecoder.h"
#include "graphics/clsNesTiles.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace quorvan;

namespace {

constexpr int kRowLength = 512; // tiles land in a buffer as wide as the level view
constexpr int kStage = 1;

struct Demo {
    std::vector<std::uint8_t> image = GenerateDemoImage({});
    StageTable stages = *StagesForLength(image.size());
    StageSource source() const { return {image, stages, kStage}; }
};

const Demo& TheDemo()
{
    static const Demo demo;
    return demo;
}

// A tile of the demo's stage tile set with all four pixel values in it.
TilePlanes DemoTile()
{
    TilePlanes planes{};
    const Demo& demo = TheDemo();
    std::memcpy(planes.data(), demo.image.data() + demo.stages[kStage].TileData + 16 * 0x21, planes.size());
    return planes;
}

const TileColours kColours{kNesColours[0x0F], kNesColours[0x16], kNesColours[0x27], kNesColours[0x30]};

// The floor for one tile: storing its 8s x 8s finished pixels at (8, 8) of a
// 512-pixel-wide buffer, row by row, each row a copy of known length.
template <int Scale>
void BM_StoreTilePixels(benchmark::State& state)
{
    constexpr std::size_t kSide = 8 * Scale;
    const std::vector<std::uint32_t> from(kSide * kSide, 0x00123456u);
    std::vector<std::uint32_t> to(kRowLength * (kSide + 16), 0u);
    for (auto _ : state) {
        std::uint32_t* out = to.data() + 8 * kRowLength + 8;
        for (std::size_t r = 0; r < kSide; ++r)
            std::memcpy(out + r * kRowLength, from.data() + r * kSide, kSide * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// The shared decoder alone, at the same place.
void BM_DecodeTile(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const auto side = static_cast<std::size_t>(8 * scale);
    std::vector<std::uint32_t> to(kRowLength * (side + 16), 0u);
    const TilePlanes planes = DemoTile();
    const TilePalette palette(kColours); // built once per palette, not per tile
    for (auto _ : state) {
        palette.Decode(planes, to.data() + 8 * kRowLength + 8, kRowLength, scale);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// The tile renderer's DrawTile, with its checks and fault counting, at the same place.
void BM_DrawTile(benchmark::State& state)
{
    const auto scale = static_cast<std::uint8_t>(state.range(0));
    const Demo& demo = TheDemo();
    MemoryPicture picture(kRowLength, 8 * scale + 24);
    clsNesTiles tiles;
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    tiles.Init(picture, header, bits);
    const std::int32_t loc = demo.stages[kStage].TileData + 16 * 0x21;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tiles.DrawTile(bits, demo.image, loc, 0x0F, 0x16, 0x27, 0x30, 8, 8, scale));
        benchmark::ClobberMemory();
    }
}

// The floor for a picture: a plain copy of all its pixels.
void CopyPixels(benchmark::State& state, std::size_t pixels)
{
    bench::CopyPixels(state, pixels, bench::CopyTarget::Skewed);
}

void BM_CopyRoomPixels(benchmark::State& state)
{
    CopyPixels(state, std::size_t{512} * 384);
}

// Room 0 of the stage at scale 2 into a 512 x 384 buffer, as the level view shows it.
void BM_ComposeRoom(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(std::size_t{512} * 384);
    const PixelView view{pixels.data(), 512, 384, 512};
    const StageSource source = TheDemo().source();
    RenderFaults faults;
    for (auto _ : state) {
        ComposeRoom(view, source, 0, 2, faults);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

void BM_CopyTablePixels(benchmark::State& state)
{
    CopyPixels(state, std::size_t{64} * 256);
}

// Page 3 of the block table at scale 2 into a 64 x 256 buffer.
void BM_ComposeTablePage(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(std::size_t{64} * 256);
    const PixelView view{pixels.data(), 64, 256, 64};
    const StageSource source = TheDemo().source();
    RenderFaults faults;
    for (auto _ : state) {
        ComposeTablePage(view, source, 3, 2, faults);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK_TEMPLATE(BM_StoreTilePixels, 1);
BENCHMARK_TEMPLATE(BM_StoreTilePixels, 2);
BENCHMARK_TEMPLATE(BM_StoreTilePixels, 8);
BENCHMARK(BM_DecodeTile)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(BM_DrawTile)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(BM_CopyRoomPixels);
BENCHMARK(BM_ComposeRoom);
BENCHMARK(BM_CopyTablePixels);
BENCHMARK(BM_ComposeTablePage);

// Which measurement each one is divided by.
const quorvan::bench::RatioList kRatios = {
    {"BM_DecodeTile/1", "BM_StoreTilePixels<1>"}, {"BM_DecodeTile/2", "BM_StoreTilePixels<2>"},
    {"BM_DecodeTile/8", "BM_StoreTilePixels<8>"}, {"BM_DrawTile/1", "BM_StoreTilePixels<1>"},
    {"BM_DrawTile/2", "BM_StoreTilePixels<2>"},   {"BM_DrawTile/8", "BM_StoreTilePixels<8>"},
    {"BM_ComposeRoom", "BM_CopyRoomPixels"},     {"BM_ComposeTablePage", "BM_CopyTablePixels"},
};

} // namespace

int main(int argc, char** argv)
{
    if (!quorvan::bench::InitializeBenchmarks(argc, argv))
        return 1;
    return quorvan::bench::RunAndShutdown(kRatios);
}
