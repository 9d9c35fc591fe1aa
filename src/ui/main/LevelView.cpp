#include "ui/main/LevelView.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "graphics/DocumentSource.h"
#include "graphics/RoomDependencies.h"
#include "graphics/NesColours.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/main/ViewGeometry.h"
#include "ui/main/ViewState.h"

#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace quorvan {

using namespace view;

namespace {

// Above this many cells a change redraws the whole room: one pass over all
// of it is cheaper than many small ones, and so is its repaint.
constexpr std::size_t kMostCellsAlone = 48;

// A cell whose byte lies past the end of the image, as the room draws it.
void FillBox(QImage& image, const QRect& box, std::uint32_t colour, RenderFaults& faults)
{
    for (int y = box.top(); y <= box.bottom(); ++y)
        std::fill_n(reinterpret_cast<std::uint32_t*>(image.scanLine(y)) + box.left(), box.width(), colour);
    ++faults.badReads;
}

} // namespace

LevelView::LevelView(RomDocument& document, const ViewState& view, PictureBox& picture, QLabel& roomPanel,
                     QWidget* notices)
    : QObject(&picture), document_(document), view_(view), picture_(picture), roomPanel_(roomPanel), notices_(notices)
{
    connect(&document_, &RomDocument::changed, this, &LevelView::Document_Changed);
    // Whoever paints or reads the view first sees the changes not yet drawn.
    picture_.setCatchUp([this] { document_.FlushChanges(); });
}

void LevelView::AddLayer(RoomLayer* layer)
{
    layers_.push_back(layer);
}

bool LevelView::CanDraw() const
{
    return document_.isOpen() && view_.stageChosen;
}

bool LevelView::AnyLayerBlends() const
{
    return std::any_of(layers_.begin(), layers_.end(), [](const RoomLayer* layer) { return layer->Blends(); });
}

void LevelView::DrawOverRoom()
{
    if (view_.editorGrid) {
        // White lines on the top and left edge of every cell; those past the picture are clipped.
        picture_.setForeColor(QColor(255, 255, 255));
        picture_.GridLines(kCell, kGridLines);
    }
    QImage& pixels = picture_.backBuffer();
    for (RoomLayer* layer : layers_)
        layer->DrawOver(pixels);
}

void LevelView::Draw()
{
    if (document_.isOpen() && !view_.stageChosen) {
        DrawHint();
        return;
    }
    if (!CanDraw())
        return;
    BeginRenderFaultCheck();
    // Straight into the view's back buffer; cells whose bytes lie past the end
    // of the image come out in the fault colour and are counted.
    RenderFaults faults;
    ComposeRoom(picture_.backBuffer(), SourceOf(document_), view_.room, kBlockScale, faults);
    EnsureNesTiles().NoteFaults(faults);
    DrawOverRoom();
    roomPanel_.setText(RoomText(view_.room));
    picture_.Refresh();
    EndRenderFaultCheck(notices_, QStringLiteral("Level view"));
}

void LevelView::DrawCells(const RoomCells& cells)
{
    if (!CanDraw() || cells.none())
        return;
    if (AnyLayerBlends() || cells.count() > kMostCellsAlone) {
        Draw();
        return;
    }
    BeginRenderFaultCheck();
    RenderFaults faults;
    const StageSource source = SourceOf(document_);
    const StageInfo& info = document_.currentStageInfo();
    const PixelView target = ViewOf(picture_.backBuffer());
    QRegion changed;
    for (int cell = 0; cell < kRoomCells; ++cell) {
        if (!cells.test(static_cast<std::size_t>(cell)))
            continue;
        const int row = cell / kRoomColumns;
        const int column = cell % kRoomColumns;
        const QRect box(column * kCell, row * kCell, kCell, kCell);
        if (const std::optional<std::uint8_t> block = CellBlockAt(document_.image().bytes(), info, view_.room, row, column))
            ComposeBlock(target, source, *block, kBlockScale, box.x(), box.y(), faults);
        else
            FillBox(picture_.backBuffer(), box, kFaultColour, faults);
        changed += box;
    }
    EnsureNesTiles().NoteFaults(faults);
    // The grid and the marks are opaque pixels that depend on each cell
    // alone: drawn again over the whole room they change only these cells.
    DrawOverRoom();
    picture_.update(changed);
    EndRenderFaultCheck(notices_, QStringLiteral("Level view"));
}

void LevelView::DrawHint()
{
    // An image is open and no stage chosen: the view says what comes next.
    QImage& pixels = picture_.backBuffer();
    pixels.fill(0u);
    QPainter painter(&pixels);
    QFont font = picture_.font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    painter.setFont(font);
    painter.setPen(QColor(0xD0, 0xD0, 0xD0));
    painter.drawText(pixels.rect(), Qt::AlignCenter, QStringLiteral("Choose a stage: Level menu or Ctrl+1..9"));
    painter.end();
    picture_.Refresh();
}

void LevelView::Document_Changed(const DocumentChange& change)
{
    if (change.replaced) {
        Draw();
        return;
    }
    if (!CanDraw())
        return;
    const StageSource source = SourceOf(document_);
    DrawCells(TouchedCells(source, view_.room, change.bytes, TouchedBlocks(source, change.bytes)));
}

} // namespace quorvan
