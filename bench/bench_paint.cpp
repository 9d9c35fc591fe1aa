// Speed of painting in the main window (a step of a stroke, a step of the
// paste preview, a fill of the whole room) and of the cell rules under it
// (the line of a fast stroke, reading a room's worth of pasted text), each
// against a plain copy of the level view's 512 x 384 pixels in the same run.

#include "BenchRatios.h"

#include "data/CellClipboard.h"
#include "data/RoomCells.h"
#include "demo/DemoImage.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace quorvan;

namespace {

frmQuorvan* Window = nullptr; // made in main(), with an image open and stage 1 chosen

constexpr int kCtrl = 2;

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.nes"));
    {
        const std::vector<std::uint8_t> bytes = GenerateDemoImage({});
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            std::fprintf(stderr, "could not write the demo image\n");
            return 1;
        }
    }
    auto window = std::make_unique<frmQuorvan>();
    window->show();
    if (!window->OpenFile(path)) {
        std::fprintf(stderr, "could not open the demo image\n");
        return 1;
    }
    window->mnuStageSelect(0)->trigger();
    Window = window.get();

    quorvan::bench::RunWithRatios(kRatios);
    benchmark::Shutdown();
    Window = nullptr;
    return 0;
}
