// Speed of the main window's own redraws (level view, block table, a stage
// choice, one placed block, one step of each scroll-bar drag), each measured
// against a plain copy of the level view's 512 x 384 32-bit pixels taken in the
// same run. These stop where the redraw asks for a repaint; bench_viewchanges
// times the whole way to the painted window. The machine is shared, so only
// the ratios printed at the end mean anything.

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace quorvan;

namespace {

frmQuorvan* Window = nullptr; // made in main(), with an image open and stage 1 chosen

void BM_CopyViewPixels(benchmark::State& state)
{
    const std::size_t pixels = std::size_t{512} * 384;
    std::vector<std::uint32_t> from(pixels, 0x00123456u);
    std::vector<std::uint32_t> to(pixels, 0u);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), pixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_DrawLevel(benchmark::State& state)
{
    for (auto _ : state) {
        Window->DrawLevel();
        benchmark::DoNotOptimize(Window->picEditor()->backBuffer().constBits());
    }
}

void BM_DrawTable(benchmark::State& state)
{
    for (auto _ : state) {
        Window->DrawTable();
        benchmark::DoNotOptimize(Window->picTile()->backBuffer().constBits());
    }
}

// Both views and the palette editor's reload, alternating between two stages.
void BM_StageSelect(benchmark::State& state)
{
    int stage = 0;
    for (auto _ : state) {
        Window->mnuStageSelect_Click(stage);
        stage = stage == 0 ? 4 : 0;
        benchmark::DoNotOptimize(Window->picEditor()->backBuffer().constBits());
    }
    Window->mnuStageSelect_Click(0);
}

// One left click on the level view with a block selected, over all 192 cells in turn.
void BM_PlaceBlock(benchmark::State& state)
{
    Window->mnuStageSelect_Click(0);
    emit Window->picTile()->mouseDown(1, 0, 40, 70);
    int cell = 0;
    for (auto _ : state) {
        emit Window->picEditor()->mouseDown(1, 0, (cell % 16) * 32 + 5, (cell / 16) * 32 + 5);
        cell = (cell + 1) % 192;
        benchmark::DoNotOptimize(Window->picEditor()->backBuffer().constBits());
    }
}

// One step of dragging the block table's thumb: the table follows at once.
void BM_TableDragStep(benchmark::State& state)
{
    QScrollBar* bar = Window->hsTable();
    bar->setSliderDown(true);
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % 16;
        bar->setSliderPosition(page);
        benchmark::DoNotOptimize(Window->picTile()->backBuffer().constBits());
    }
    bar->setSliderDown(false);
}

// One step of dragging the room thumb: only the room text follows.
void BM_RoomDragStep(benchmark::State& state)
{
    QScrollBar* bar = Window->hLevel_Frames();
    bar->setSliderDown(true);
    int room = 0;
    const int rooms = bar->maximum() + 1;
    for (auto _ : state) {
        room = (room + 1) % rooms;
        bar->setSliderPosition(room);
    }
    bar->setSliderDown(false);
}

BENCHMARK(BM_CopyViewPixels);
BENCHMARK(BM_DrawLevel);
BENCHMARK(BM_DrawTable);
BENCHMARK(BM_StageSelect);
BENCHMARK(BM_PlaceBlock);
BENCHMARK(BM_TableDragStep);
BENCHMARK(BM_RoomDragStep);

// Every redraw is divided by a plain copy of the level view's pixels.
const quorvan::bench::RatioList kRatios = {
    {"BM_DrawLevel", "BM_CopyViewPixels"},    {"BM_DrawTable", "BM_CopyViewPixels"},
    {"BM_StageSelect", "BM_CopyViewPixels"},  {"BM_PlaceBlock", "BM_CopyViewPixels"},
    {"BM_TableDragStep", "BM_CopyViewPixels"}, {"BM_RoomDragStep", "BM_CopyViewPixels"},
};

} // namespace

int main(int argc, char** argv)
{
    quorvan::bench::ChooseOffscreenPlatform();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QTemporaryDir folder;
    std::unique_ptr<frmQuorvan> window = quorvan::bench::MakeBenchWindow(folder);
    if (!window)
        return 1;
    Window = window.get();

    quorvan::bench::RunWithRatios(kRatios);
    benchmark::Shutdown();
    Window = nullptr;
    return 0;
}
