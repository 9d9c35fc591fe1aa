// Speed of painting in the main window (a step of a stroke, a step of the
// paste preview, a fill of the whole room) and of the cell rules under it
// (the line of a fast stroke, reading a room's worth of pasted text), each
// against a plain copy of the level view's 512 x 384 pixels in the same run.

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "data/CellClipboard.h"
#include "data/RoomCells.h"
#include "demo/DemoImage.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace quorvan;

namespace {

frmQuorvan* Window = nullptr; // made in main(), with an image open and stage 1 chosen

constexpr int kCtrl = 2;

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::AtStart);
}

// One mouse move of a stroke that sweeps a whole row (16 cells), back and forth.
void BM_StrokeStepOfARow(benchmark::State& state)
{
    PictureBox* room = Window->picEditor();
    emit Window->picTile()->mouseDown(1, 0, 40, 70);
    emit room->mouseDown(1, 0, 5, 165);
    bool right = true;
    for (auto _ : state) {
        emit room->mouseMove(1, 0, right ? 505 : 5, 165);
        right = !right;
        benchmark::DoNotOptimize(room->backBuffer().constBits());
    }
    emit room->mouseUp(1, 0, 5, 165);
}

// One move of the pasted cells (a quarter of a room) to the next cell: the room is redrawn with them.
void BM_PastePreviewStep(benchmark::State& state)
{
    CellBlock cells{8, 6, std::vector<std::uint8_t>(48, 0x21)};
    auto* data = new QMimeData;
    data->setText(CellsToText(cells));
    QGuiApplication::clipboard()->setMimeData(data);
    Window->mnuPaste()->trigger();
    PictureBox* room = Window->picEditor();
    int cell = 0;
    for (auto _ : state) {
        cell = (cell + 1) % 8;
        emit room->mouseMove(0, 0, cell * 32 + 5, 100);
        benchmark::DoNotOptimize(room->backBuffer().constBits());
    }
    emit room->mouseDown(1, 0, 5, 100); // placed: the paste ends
}

// Ctrl + click filling the whole room (192 cells, one undo step, the room redrawn), two blocks in turn.
void BM_FillRoom(benchmark::State& state)
{
    PictureBox* room = Window->picEditor();
    int pick = 0;
    for (auto _ : state) {
        state.PauseTiming();
        emit Window->picTile()->mouseDown(1, 0, pick * 32 + 5, 5);
        pick = 1 - pick;
        state.ResumeTiming();
        emit room->mouseDown(1, kCtrl, 100, 100);
        benchmark::DoNotOptimize(room->backBuffer().constBits());
    }
}

void BM_LineCellsAcrossTheRoom(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<CellPos> line = LineCells({0, 0}, {15, 11});
        benchmark::DoNotOptimize(line.data());
    }
}

void BM_ParseRoomText(benchmark::State& state)
{
    CellBlock room{16, 12, {}};
    for (int i = 0; i < 192; ++i)
        room.blocks.push_back(static_cast<std::uint8_t>(i * 7));
    const QString text = CellsToText(room);
    for (auto _ : state) {
        CellsText parsed = ParseCellsText(text);
        benchmark::DoNotOptimize(parsed.cells.blocks.data());
    }
}

BENCHMARK(BM_CopyViewPixels);
BENCHMARK(BM_StrokeStepOfARow);
BENCHMARK(BM_PastePreviewStep);
BENCHMARK(BM_FillRoom);
BENCHMARK(BM_LineCellsAcrossTheRoom);
BENCHMARK(BM_ParseRoomText);

const quorvan::bench::RatioList kRatios = {
    {"BM_StrokeStepOfARow", "BM_CopyViewPixels"},       {"BM_PastePreviewStep", "BM_CopyViewPixels"},
    {"BM_FillRoom", "BM_CopyViewPixels"},               {"BM_LineCellsAcrossTheRoom", "BM_CopyViewPixels"},
    {"BM_ParseRoomText", "BM_CopyViewPixels"},
};

} // namespace

int main(int argc, char** argv)
{
    return quorvan::bench::RunInApplication(argc, argv, [] {
        QTemporaryDir folder;
        std::unique_ptr<frmQuorvan> window = quorvan::bench::OpenBenchWindow(folder, GenerateDemoImage({}));
        if (!window)
            return 1;
        Window = window.get();

        const int result = quorvan::bench::RunAndShutdown(kRatios);
        Window = nullptr;
        return result;
    });
}
