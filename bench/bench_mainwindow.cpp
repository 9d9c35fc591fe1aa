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
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace quorvan;

namespace {

frmQuorvan* Window = nullptr; // made in main(), with an image open and stage 1 chosen

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::AtStart);
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
    return quorvan::bench::RunWithBenchWindow(argc, argv, [](frmQuorvan& window) {
        Window = &window;
        const int result = quorvan::bench::RunAndShutdown(kRatios);
        Window = nullptr;
        return result;
    });
}
