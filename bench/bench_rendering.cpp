// Speed of the tile renderer and of block drawing, each measured against a
// plain memory copy of the pixels it produces, taken in the same run. The
// machine is shared, so only the ratios printed at the end mean anything.

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "demo/DemoImage.h"
#include "data/Stages.h"
#include "data/modGlobals.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "graphics/MemoryPicture.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/PictureBox.h"


#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace quorvan;

namespace {

void LoadDemo()
{
    static bool loaded = false;
    if (loaded)
        return;
    const std::vector<std::uint8_t> bytes = GenerateDemoImage({});
    Stages = *StagesForLength(bytes.size());
    RomImage.replace(bytes);
    CurrentStage = 1;
    loaded = true;
}

// The floor: a plain copy of `pixels` 32-bit pixels.
void CopyPixels(benchmark::State& state, std::size_t pixels)
{
    bench::CopyPixels(state, pixels, bench::CopyTarget::Skewed);
}

void BM_CopyTilePixels(benchmark::State& state)
{
    const auto scale = static_cast<std::size_t>(state.range(0));
    CopyPixels(state, 64 * scale * scale);
}

void BM_DecodeTile(benchmark::State& state)
{
    LoadDemo();
    const auto scale = static_cast<std::uint8_t>(state.range(0));
    MemoryPicture picture(8 * scale, 8 * scale + 1); // one spare row keeps every entry inside the buffer
    clsNesTiles tiles;
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    tiles.Init(picture, header, bits);
    const std::int32_t loc = Stages[1].TileData + 16 * 0x21;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tiles.DrawTile(bits, RomImage.bytes(), loc, 0x0F, 0x16, 0x27, 0x30, 0, 0, scale));
        benchmark::ClobberMemory();
    }
}

void BM_CopyPicturePixels(benchmark::State& state)
{
    const auto side = static_cast<std::size_t>(state.range(0));
    CopyPixels(state, side * side);
}

// DrawBlock into a side x side picture box at the scale that fills it.
void BM_DrawBlock(benchmark::State& state)
{
    LoadDemo();
    const int side = static_cast<int>(state.range(0));
    PictureBox picture(QStringLiteral("picBench"), side, side);
    std::int32_t block = 0;
    for (auto _ : state) {
        DrawBlock(picture, SourceOf(RomDocument::Program()), block, side / 16);
        block = (block + 1) & 0xFF;
        benchmark::DoNotOptimize(picture.backBuffer().constBits());
    }
}

void BM_CopyRoomPixels(benchmark::State& state)
{
    CopyPixels(state, std::size_t{512} * 384);
}

// A whole room as the level view composes it: every block through the 32x32
// scratch picture at scale 2, then copied into its cell of the 512x384 view.
void BM_ComposeRoom(benchmark::State& state)
{
    LoadDemo();
    PictureBox scratch(QStringLiteral("picSelectedTile"), 32, 32);
    PictureBox level(QStringLiteral("picLevel"), 512, 384);
    const StageInfo& stage = Stages[static_cast<std::size_t>(CurrentStage)];
    for (auto _ : state) {
        for (int row = 0; row < kRoomRows; ++row) {
            for (int column = 0; column < kRoomColumns; ++column) {
                const std::int32_t block = RomImage[stage.RoomData + row * kRoomColumns + column];
                DrawBlock(scratch, SourceOf(RomDocument::Program()), block, 2);
                level.BitBlt(column * 32, row * 32, 32, 32, scratch, 0, 0);
            }
        }
        benchmark::DoNotOptimize(level.backBuffer().constBits());
    }
}

BENCHMARK(BM_CopyTilePixels)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(BM_DecodeTile)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(BM_CopyPicturePixels)->Arg(32)->Arg(128);
BENCHMARK(BM_DrawBlock)->Arg(32)->Arg(128);
BENCHMARK(BM_CopyRoomPixels);
BENCHMARK(BM_ComposeRoom);

// Which measurement each one is divided by.
const quorvan::bench::RatioList kRatios = {
    {"BM_DecodeTile/1", "BM_CopyTilePixels/1"},
    {"BM_DecodeTile/2", "BM_CopyTilePixels/2"},
    {"BM_DecodeTile/8", "BM_CopyTilePixels/8"},
    {"BM_DrawBlock/32", "BM_CopyPicturePixels/32"},
    {"BM_DrawBlock/128", "BM_CopyPicturePixels/128"},
    {"BM_ComposeRoom", "BM_CopyRoomPixels"},
};

} // namespace

int main(int argc, char** argv)
{
    return quorvan::bench::RunInApplication(argc, argv, [] { return quorvan::bench::RunAndShutdown(kRatios); });
}
