// Speed of the views that tell about a level: the stage overview against the
// level view drawing the same rooms, the text under the pointer, Find Next Use,
// which rooms an edit touched, and placing a block with its change marked.
// Each is a ratio against a baseline measured in the same run.

#include "BenchRatios.h"
#include "BenchWindow.h"

#include "data/BlockUsage.h"
#include "data/ChangedBytes.h"
#include "data/RomDocument.h"
#include "demo/DemoImage.h"
#include "graphics/RoomDependencies.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/StageOverviewGrid.h"
#include "ui/overview/frmStageOverview.h"

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace quorvan;

namespace {

constexpr int kRooms = 32;        // the stage's rooms in the benchmark image
frmQuorvan* Window = nullptr;     // made in main(), image open, stage 1 chosen
frmStageOverview* Overview = nullptr;

void BM_CopyViewPixels(benchmark::State& state)
{
    bench::CopyPixels(state, bench::kViewPixels, bench::CopyTarget::AtStart);
}

// The level view drawing room `room` (DrawLevel alone, without what else
// follows the scroll bar).
void DrawRoom(int room)
{
    {
        const QSignalBlocker quiet(Window->hLevel_Frames());
        Window->hLevel_Frames()->setValue(room);
    }
    Window->DrawLevel();
}

// The level view drawing each of the stage's rooms in turn.
void BM_LevelViewRooms(benchmark::State& state)
{
    for (auto _ : state)
        for (int room = 0; room < kRooms; ++room) {
            DrawRoom(room);
            benchmark::DoNotOptimize(Window->picEditor()->backBuffer().constBits());
        }
}

// The overview drawing every room of the stage afresh.
void BM_OverviewStage(benchmark::State& state)
{
    StageOverviewGrid* grid = Overview->grid();
    for (auto _ : state) {
        grid->DropAll();
        for (int room = 0; room < kRooms; ++room)
            benchmark::DoNotOptimize(grid->Thumbnail(room).constBits());
    }
}

// The same, each time painted as the widgets paint (the level view's blit, or
// the overview's thumbnails with their room texts and frame).
void BM_LevelViewRoomsShown(benchmark::State& state)
{
    QImage screen(Window->picEditor()->size(), QImage::Format_RGB32);
    for (auto _ : state)
        for (int room = 0; room < kRooms; ++room) {
            DrawRoom(room);
            Window->picEditor()->render(&screen);
            benchmark::DoNotOptimize(screen.constBits());
        }
}

void BM_OverviewStageShown(benchmark::State& state)
{
    StageOverviewGrid* grid = Overview->grid();
    QImage screen(grid->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        grid->DropAll();
        grid->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

// Moves over the level view: within one cell (nothing is built), and from cell to cell.
void BM_HoverSameCell(benchmark::State& state)
{
    int x = 0;
    for (auto _ : state) {
        emit Window->picEditor()->mouseMove(0, 0, 64 + x, 64);
        x = (x + 1) % 32;
    }
}

void BM_HoverNewCell(benchmark::State& state)
{
    int cell = 0;
    for (auto _ : state) {
        emit Window->picEditor()->mouseMove(0, 0, (cell % 16) * 32 + 3, (cell / 16) * 32 + 3);
        cell = (cell + 1) % 192;
    }
}

// From block to block of the table: the text counts the block's uses in every room.
void BM_HoverNewBlock(benchmark::State& state)
{
    int cell = 0;
    for (auto _ : state) {
        emit Window->picTile()->mouseMove(0, 0, (cell % 2) * 32 + 3, (cell / 2) * 32 + 3);
        cell = (cell + 1) % 16;
    }
    emit Window->picTile()->mouseLeave();
}

// F3 over the stage's rooms, showing each room it finds.
void BM_FindNextUse(benchmark::State& state)
{
    emit Window->picTile()->mouseDown(1, 0, 40, 70);
    for (auto _ : state)
        Window->mnuFindNextUse()->trigger();
}

// The rooms a palette colour touches (every block read again) over the stage's rooms.
void BM_TouchedRoomsPalette(benchmark::State& state)
{
    const RomDocument& document = Window->Document();
    ChangedBytes changed;
    changed.Add(document.currentStageInfo().Palettes + 5, 1);
    const StageSource source{document.image().bytes(), document.stages(), document.currentStage()};
    for (auto _ : state)
        benchmark::DoNotOptimize(TouchedRooms(source, kRooms - 1, changed));
}

// Placing a block and the work it leaves for the event loop, with and without
// Show Changes (its cell is drawn again with the mark; the overview redraws its room).
void PlaceBlocks(benchmark::State& state, bool marks)
{
    if (Window->mnuShowChanges()->isChecked() != marks)
        Window->mnuShowChanges()->trigger();
    Window->hLevel_Frames()->setValue(0);
    int cell = 0;
    int block = 0;
    for (auto _ : state) {
        emit Window->picTile()->mouseDown(1, 0, (block % 2) * 32 + 3, 3);
        emit Window->picEditor()->mouseDown(1, 0, (cell % 16) * 32 + 5, (cell / 16) * 32 + 5);
        QCoreApplication::processEvents();
        cell = (cell + 1) % 192;
        block ^= 1;
    }
}

void BM_PlaceBlock(benchmark::State& state)
{
    PlaceBlocks(state, false);
}

void BM_PlaceBlockShowingChanges(benchmark::State& state)
{
    PlaceBlocks(state, true);
}

BENCHMARK(BM_CopyViewPixels);
BENCHMARK(BM_LevelViewRooms);
BENCHMARK(BM_OverviewStage);
BENCHMARK(BM_LevelViewRoomsShown);
BENCHMARK(BM_OverviewStageShown);
BENCHMARK(BM_HoverSameCell);
BENCHMARK(BM_HoverNewCell);
BENCHMARK(BM_HoverNewBlock);
BENCHMARK(BM_FindNextUse);
BENCHMARK(BM_TouchedRoomsPalette);
BENCHMARK(BM_PlaceBlock);
BENCHMARK(BM_PlaceBlockShowingChanges);

const quorvan::bench::RatioList kRatios = {
    {"BM_OverviewStage", "BM_LevelViewRooms"},
    {"BM_OverviewStageShown", "BM_LevelViewRoomsShown"},
    {"BM_LevelViewRooms", "BM_CopyViewPixels"},
    {"BM_OverviewStage", "BM_CopyViewPixels"},
    {"BM_HoverSameCell", "BM_CopyViewPixels"},
    {"BM_HoverNewCell", "BM_CopyViewPixels"},
    {"BM_HoverNewBlock", "BM_CopyViewPixels"},
    {"BM_FindNextUse", "BM_CopyViewPixels"},
    {"BM_TouchedRoomsPalette", "BM_CopyViewPixels"},
    {"BM_PlaceBlockShowingChanges", "BM_PlaceBlock"},
};

} // namespace

int main(int argc, char** argv)
{
    return quorvan::bench::RunInApplication(argc, argv, [] {
        // A demo image whose stage 1 lists rooms 0..31.
        std::vector<std::uint8_t> bytes = GenerateDemoImage({});
        const std::size_t listStart = 0x30;
        for (std::size_t i = listStart; i < 0x58; ++i)
            bytes[i] = 0xFF;
        bytes[listStart] = kRooms - 1;
        QTemporaryDir folder;
        std::unique_ptr<frmQuorvan> window = quorvan::bench::OpenBenchWindow(folder, bytes);
        if (!window)
            return 1;
        window->mnuStageOverview()->trigger();
        Window = window.get();
        Overview = window->StageOverview(false);
        if (Overview == nullptr || Overview->roomCount() != kRooms) {
            std::fprintf(stderr, "the overview does not show the stage's %d rooms\n", kRooms);
            return 1;
        }

        const int result = quorvan::bench::RunAndShutdown(kRatios);
        Window = nullptr;
        Overview = nullptr;
        return result;
    });
}
