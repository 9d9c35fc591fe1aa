// The tile sheet as the user waits for it: one step of a pixel stroke, from
// the mouse event until every open view that shows the tile has been painted,
// and choosing a stage with the sheet open. Each is measured against a plain
// copy of the level view's 512 x 384 32-bit pixels taken in the same run, in
// the offscreen platform, as the whole process's CPU time (painting work
// handed to helper threads counts too).
//
// The stroke paints a tile that the block in the room's top-left cell is
// built from; that block is selected (so it is also on the table's page, in
// the selected-block picture and, with argument 1, in the tile editor) and
// stage 1 lists 16 rooms, all shown in the overview with argument 1. Each
// step moves to a neighbouring pixel and changes it: the pointer snakes
// through the tile and back, and the drawing value changes at each turn
// (outside the timing).

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/StageOverviewGrid.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace quorvan;

namespace {

constexpr int kRooms = 16;

frmQuorvan* Window = nullptr;
frmTileSheet* Sheet = nullptr;
frmTileEdit* Editor = nullptr;
frmStageOverview* Overview = nullptr;
bench::PaintCounter* Paints = nullptr;
int Step = 0; // of the stroke, over all runs

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::Skewed);
}

// The snake goes through the 64 pixels and back, turning at either end.
constexpr int kSnakeRound = 126;

// Step `step` of the snake: row by row, every other row backwards, then the
// same way back; each step is a neighbour of the one before.
QPoint SnakePixel(int step)
{
    const int at = step % kSnakeRound;
    const int along = at < 64 ? at : kSnakeRound - at;
    const int row = along / 8;
    const int column = row % 2 == 0 ? along % 8 : 7 - along % 8;
    return {column * 16 + 8, row * 16 + 8};
}

void SendMouse(QEvent::Type type, QPoint at)
{
    QWidget* pixels = Sheet->picPixels();
    QMouseEvent event(type, QPointF(at), pixels->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pixels, &event);
}

// Argument: the main window and the sheet alone (0), or also the tile editor
// and the overview (1).
void BM_StrokeStep(benchmark::State& state)
{
    const bool all = state.range(0) != 0;
    Editor->setVisible(all);
    Overview->setVisible(all);
    Sheet->activateWindow();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    SendMouse(QEvent::MouseButtonPress, SnakePixel(Step));
    for (auto _ : state) {
        ++Step;
        if (Step % kSnakeRound == 0 || Step % kSnakeRound == 64) {
            // A turn: the way back paints every pixel again with the next of
            // values 1, 2 and 3 (the pixel at the turn was painted two turns ago).
            state.PauseTiming();
            Sheet->SetDrawingValue(Sheet->drawingValue() % 3 + 1);
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        Paints->Forget();
        SendMouse(QEvent::MouseMove, SnakePixel(Step));
        const bool painted =
            all ? Paints->WaitFor({Window->picEditor(), Window->picTile(), Window->picSelectedTile(), Sheet->picSheet(),
                                   Sheet->picPixels(), Editor->picTile(), Overview->grid()})
                : Paints->WaitFor({Window->picEditor(), Window->picTile(), Window->picSelectedTile(), Sheet->picSheet(),
                                   Sheet->picPixels()});
        if (!painted || !Window->History().inStep()) {
            state.SkipWithError("a view was never painted, or the stroke ended");
            break;
        }
    }
    SendMouse(QEvent::MouseButtonRelease, SnakePixel(Step));
    QCoreApplication::processEvents();
}

// Another stage chosen from the Level menu, until both views (and the sheet,
// when it is open) have been painted. Argument: the sheet hidden (0) or open (1).
void BM_StageChange(benchmark::State& state)
{
    const bool open = state.range(0) != 0;
    Editor->hide();
    Overview->hide();
    Sheet->setVisible(open);
    QCoreApplication::processEvents();
    bench::ChangeStagesUntilPainted(state, *Window, *Paints, open ? Sheet->picSheet() : nullptr);
}

BENCHMARK(BM_CopyViewPixels)->MeasureProcessCPUTime();
BENCHMARK(BM_StrokeStep)->MeasureProcessCPUTime()->Arg(0)->Arg(1);
BENCHMARK(BM_StageChange)->MeasureProcessCPUTime()->Arg(0)->Arg(1);

const bench::RatioList kRatios = {
    {"BM_StrokeStep/0/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_StrokeStep/1/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_StageChange/0/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_StageChange/1/process_time", "BM_CopyViewPixels/process_time"},
};

} // namespace

int main(int argc, char** argv)
{
    return bench::RunInApplication(argc, argv, [] {
        // A demo image whose stage 1 lists rooms 0..15.
        std::vector<std::uint8_t> bytes = GenerateDemoImage({});
        const std::size_t listStart = 0x30;
        for (std::size_t i = listStart; i < 0x58; ++i)
            bytes[i] = 0xFF;
        bytes[listStart] = kRooms - 1;
        QTemporaryDir folder;
        std::unique_ptr<frmQuorvan> window = bench::OpenBenchWindow(folder, bytes);
        if (!window)
            return 1;
        Window = window.get();

        // The block in room 0's top-left cell, picked in the table and shown
        // in the tile editor; the sheet on its first tile, all of whose
        // pixels are 0, so that every step of the stroke changes one.
        const int block = RomImage.at(Stages[0].RoomData);
        Window->hsTable()->setValue(block / 16);
        emit Window->picTile()->mouseDown(1, 0, (block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5);
        Window->cmdEditTile()->click();
        Window->mnuStageOverview()->trigger();
        Window->mnuTileSheet()->trigger();
        Editor = Window->TileEdit(false);
        Overview = Window->StageOverview(false);
        Sheet = Window->TileSheet(false);
        if (Editor == nullptr || Overview == nullptr || Sheet == nullptr || Overview->roomCount() != kRooms) {
            std::fprintf(stderr, "the tool windows did not open on the stage's %d rooms\n", kRooms);
            return 1;
        }
        const int tile = RomImage.at(Stages[0].BlockTiles + 4 * block);
        Sheet->SelectTile(tile);
        for (int i = 0; i < 16; ++i)
            RomImage.write(std::int64_t{Stages[0].TileData} + tile * 16 + i, 0);
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();

        bench::PaintCounter paints;
        Paints = &paints;
        for (QWidget* widget : std::initializer_list<QWidget*>{Window->picEditor(), Window->picTile(),
                                                                Window->picSelectedTile(), Sheet->picSheet(),
                                                                Sheet->picPixels(), Editor->picTile(), Overview->grid()})
            paints.Watch(widget);

        const int result = bench::RunAndShutdown(kRatios);
        Paints = nullptr;
        Sheet = nullptr;
        Editor = nullptr;
        Overview = nullptr;
        Window = nullptr;
        return result;
    });
}
