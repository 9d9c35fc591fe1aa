// Speed of the tile sheet's pictures and of tile sets in and out, against a
// plain copy of the level view's 512 x 384 pixels taken in the same run: the
// whole sheet (stage or palette chosen), what one step of a pixel stroke
// redraws of the sheet (the tile's cell and the zoomed tile) and the byte
// writes it computes, and a tile set's PNG and its import.

#include "BenchRatios.h"

#include "demo/DemoImage.h"
#include "data/Stages.h"
#include "graphics/StageTiles.h"
#include "graphics/TileSetFile.h"
#include "graphics/TileSheet.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace quorvan;

namespace {

constexpr int kStage = 2;   // stage 3: tiles 0x80..0xFF from the shared set
constexpr int kPalette = 1;
constexpr int kTile = 0x9C;

struct Demo {
    std::vector<std::uint8_t> image = GenerateDemoImage({});
    StageTable stages = *StagesForLength(image.size());
    StageSource source(int stage = kStage) const { return {image, stages, stage}; }
};

const Demo& TheDemo()
{
    static const Demo demo;
    return demo;
}

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::Skewed);
}

// The whole sheet, 256 x 256.
void BM_DrawTileSheet(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(std::size_t{kSheetSide} * kSheetSide);
    const PixelView view{pixels.data(), kSheetSide, kSheetSide, kSheetSide};
    RenderFaults faults;
    for (auto _ : state) {
        DrawTileSheet(view, TheDemo().source(), kPalette, faults);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

// What a stroke step redraws of the sheet window: the tile's cell and the zoomed tile.
void BM_RedrawOneTile(benchmark::State& state)
{
    std::vector<std::uint32_t> sheet(std::size_t{kSheetSide} * kSheetSide);
    std::vector<std::uint32_t> zoom(std::size_t{kTileZoomSide} * kTileZoomSide);
    const PixelView sheetView{sheet.data(), kSheetSide, kSheetSide, kSheetSide};
    const PixelView zoomView{zoom.data(), kTileZoomSide, kTileZoomSide, kTileZoomSide};
    TileMask one;
    one.set(kTile);
    RenderFaults faults;
    for (auto _ : state) {
        DrawSheetTiles(sheetView, TheDemo().source(), kPalette, one, faults);
        DrawTileZoom(zoomView, TheDemo().source(), kPalette, kTile, faults);
        benchmark::DoNotOptimize(sheet.data());
        benchmark::DoNotOptimize(zoom.data());
        benchmark::ClobberMemory();
    }
}

// The writes of one stroke step: a line of four pixels.
void BM_StrokeStepWrites(benchmark::State& state)
{
    const Demo& demo = TheDemo();
    const std::vector<CellPos> line = LineCells({1, 1}, {4, 3});
    int value = 0;
    for (auto _ : state) {
        ByteWrites writes = PixelWrites(demo.image, demo.stages, kStage, kTile, line, value);
        value = (value + 1) & 3;
        benchmark::DoNotOptimize(writes.data());
    }
}

// The stage's tile set as a PNG file's bytes.
void BM_TileSetPng(benchmark::State& state)
{
    RenderFaults faults;
    const TileColours colours = SheetColours(TheDemo().source(), kPalette, faults);
    for (auto _ : state) {
        auto png = EncodeTileSet(TileSetFormat::Png, *ReadStageTiles(TheDemo().source()), colours);
        benchmark::DoNotOptimize(png->constData());
    }
}

// Stage 9's tiles as a PNG read into stage 3: parsing and the writes.
void BM_ImportTileSetPng(benchmark::State& state)
{
    RenderFaults faults;
    const TileColours colours = SheetColours(TheDemo().source(8), kPalette, faults);
    const QByteArray png = *EncodeTileSet(TileSetFormat::Png, *ReadStageTiles(TheDemo().source(8)), colours);
    const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                             static_cast<std::size_t>(png.size()));
    for (auto _ : state) {
        const TileSetRead read = ParseTileSet(TileSetFormat::Png, file, colours);
        auto import = TileSetWrites(TheDemo().source(), read.tiles);
        benchmark::DoNotOptimize(import->writes.data());
    }
}

BENCHMARK(BM_CopyViewPixels);
BENCHMARK(BM_DrawTileSheet);
BENCHMARK(BM_RedrawOneTile);
BENCHMARK(BM_StrokeStepWrites);
BENCHMARK(BM_TileSetPng);
BENCHMARK(BM_ImportTileSetPng);

const quorvan::bench::RatioList kRatios = {
    {"BM_DrawTileSheet", "BM_CopyViewPixels"},    {"BM_RedrawOneTile", "BM_CopyViewPixels"},
    {"BM_StrokeStepWrites", "BM_CopyViewPixels"}, {"BM_TileSetPng", "BM_CopyViewPixels"},
    {"BM_ImportTileSetPng", "BM_CopyViewPixels"},
};

} // namespace

int main(int argc, char** argv)
{
    if (!quorvan::bench::InitializeBenchmarks(argc, argv))
        return 1;
    return quorvan::bench::RunAndShutdown(kRatios);
}
