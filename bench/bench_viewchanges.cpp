// What the user waits for when the view changes: from the change (a room
// committed on the room scroll bar, a stage chosen) through the redraw to the
// repaint that shows it, with the events processed as the event loop would,
// in the offscreen platform. Each is measured against a plain copy of the
// level view's 512 x 384 32-bit pixels taken in the same run.
//
// The times are the whole process's CPU time, so that painting work handed to
// helper threads counts too. The machine is shared, so only the ratios printed
// at the end mean anything.

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/StageOverviewGrid.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace quorvan;

namespace {

frmQuorvan* Window = nullptr; // made in main(), with an image open and stage 1 chosen

bench::PaintCounter* Paints = nullptr;

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::Skewed);
}

void SetGrid(bool on)
{
    QAction* item = Window->mnuGrid(0);
    if (item->isChecked() != on)
        Window->mnuGrid_Click(0);
}

// The next room committed on the room scroll bar (as on releasing its thumb),
// until the level view has been painted. Argument: the editor grid off (0) or on (1).
void BM_RoomChange(benchmark::State& state)
{
    SetGrid(state.range(0) != 0);
    QScrollBar* bar = Window->hLevel_Frames();
    const int rooms = bar->maximum() + 1;
    for (auto _ : state) {
        Paints->Forget();
        bar->setValue((bar->value() + 1) % rooms);
        if (!Paints->WaitFor({Window->picEditor()})) {
            state.SkipWithError("the level view was never painted");
            break;
        }
    }
    SetGrid(false);
}

// Another stage chosen from the Level menu, until both views (and the palette
// editor, when it is open) have been painted. Argument: the palette editor
// hidden (0) or open (1).
void BM_StageChange(benchmark::State& state)
{
    const bool open = state.range(0) != 0;
    frmPaletteEditor* palette = Window->PaletteEditor();
    palette->setVisible(open);
    QCoreApplication::processEvents();
    bench::ChangeStagesUntilPainted(state, *Window, *Paints, open ? palette->picPalGrid() : nullptr);
    palette->hide();
    Window->mnuStageSelect(0)->trigger();
    QCoreApplication::processEvents();
}

// A block placed with a click, with every window open (tile editor, palette
// editor, overview), from the click until every view that shows the cell is
// painted: the level view and the overview. The others (the table, the
// preview, the editors) show nothing the click changed and stay as they are.
void BM_PlaceBlock(benchmark::State& state)
{
    Window->mnuStageSelect(0)->trigger();
    for (QAction* item : {Window->mnuTileEditor(), Window->mnuPalette(), Window->mnuStageOverview()})
        if (!item->isChecked())
            item->trigger();
    frmStageOverview* overview = Window->StageOverview(false);
    Paints->Watch(overview->grid());
    const auto click = [](QPoint at) {
        QWidget* room = Window->picEditor();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), room->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(room, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), room->mapToGlobal(QPointF(at)), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(room, &release);
    };
    // Two blocks picked in turn from the table's first page, placed on the same cell.
    const auto pick = [](int block) {
        const QPoint at((block % 2) * 32 + 5, (block / 2) * 32 + 5);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), Window->picTile()->mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Window->picTile(), &press);
    };
    QCoreApplication::processEvents();
    // Two blocks of the first page, neither the one the cell holds, so every click changes it.
    const int held = Window->Document().image().at(Window->Document().currentStageInfo().RoomData + 16 + 1);
    const int first = held == 1 ? 3 : 1;
    const int second = held == 2 ? 4 : 2;
    int block = first;
    for (auto _ : state) {
        state.PauseTiming();
        block = block == first ? second : first;
        pick(block);
        QCoreApplication::processEvents();
        Paints->Forget();
        state.ResumeTiming();
        click(QPoint(40, 40));
        if (!Paints->WaitFor({Window->picEditor(), overview->grid()})) {
            state.SkipWithError("a view was never painted");
            break;
        }
    }
    // The windows as they were: the palette editor hidden, not discarded (the
    // stage change below watches its grid).
    Window->mnuTileEditor()->trigger();
    Window->mnuStageOverview()->trigger();
    Window->PaletteEditor(false)->hide();
    QCoreApplication::processEvents();
}

BENCHMARK(BM_CopyViewPixels)->MeasureProcessCPUTime();
BENCHMARK(BM_PlaceBlock)->MeasureProcessCPUTime();
BENCHMARK(BM_RoomChange)->MeasureProcessCPUTime()->Arg(0)->Arg(1);
BENCHMARK(BM_StageChange)->MeasureProcessCPUTime()->Arg(0)->Arg(1);

const quorvan::bench::RatioList kRatios = {
    {"BM_RoomChange/0/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_RoomChange/1/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_StageChange/0/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_StageChange/1/process_time", "BM_CopyViewPixels/process_time"},
    {"BM_PlaceBlock/process_time", "BM_CopyViewPixels/process_time"},
};

} // namespace

int main(int argc, char** argv)
{
    return quorvan::bench::RunWithBenchWindow(argc, argv, [](frmQuorvan& window) {
        Window = &window;
        bench::PaintCounter paints;
        Paints = &paints;
        for (QWidget* widget : {static_cast<QWidget*>(Window->picEditor()), static_cast<QWidget*>(Window->picTile())})
            paints.Watch(widget);
        paints.Watch(Window->PaletteEditor()->picPalGrid());

        const int result = quorvan::bench::RunAndShutdown(kRatios);
        Paints = nullptr;
        Window = nullptr;
        return result;
    });
}
