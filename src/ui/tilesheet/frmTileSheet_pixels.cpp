// Pixel strokes on the zoomed tile: a left press paints the pixel under the
// pointer with the drawing value, a drag every pixel it crosses (the
// straight line between two mouse events), one undo step from press to
// release; a right click takes a pixel's value (frmTileSheet.h).

#include "ui/tilesheet/frmTileSheet.h"

#include "data/ByteWrites.h"
#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "graphics/TileSheet.h"

namespace quorvan {

namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;

bool InsideTile(CellPos pixel)
{
    return pixel.column >= 0 && pixel.column < kTileSide && pixel.row >= 0 && pixel.row < kTileSide;
}

} // namespace

CellPos frmTileSheet::PixelUnder(int x, int y)
{
    const auto down = [](int v) { return v >= 0 ? v / kTileZoomScale : -((-(v + 1)) / kTileZoomScale) - 1; };
    return {down(x), down(y)};
}

void frmTileSheet::picPixels_MouseDown(int button, int, int x, int y)
{
    // A press while a stroke is under way: its release went elsewhere.
    EndStroke();
    const CellPos pixel = PixelUnder(x, y);
    if (selectedTile_ < 0 || !CanDraw() || document_.fileName().isEmpty() || !InsideTile(pixel))
        return;
    const int stage = document_.currentStage();
    if (button == kRightButton) {
        const auto planes = ReadTilePlanes(document_.image().bytes(), document_.stages(), stage, selectedTile_);
        if (planes)
            SetDrawingValue(PixelValue(*planes, pixel.column, pixel.row));
        return;
    }
    if (button != kLeftButton)
        return;
    stroke_ = {true, stage, selectedTile_, pixel};
    document_.history().BeginStep(QStringLiteral("Tile Pixels"), EditPlace{stage, -1, -1, selectedTile_});
    PaintPixels({pixel});
}

void frmTileSheet::picPixels_MouseMove(int buttons, int, int x, int y)
{
    if (!stroke_.active)
        return;
    // Moved without the left button, or the step was closed under the stroke
    // (Undo in the middle of it): the stroke is over.
    if ((buttons & kLeftButton) == 0 || !document_.history().inStep()) {
        EndStroke();
        return;
    }
    const CellPos to = PixelUnder(x, y);
    if (to == stroke_.last)
        return;
    // Every pixel the pointer crossed since the last event, not only where it is.
    const std::vector<CellPos> line = LineCellsAfter(stroke_.last, to);
    stroke_.last = to;
    PaintPixels(line);
}

void frmTileSheet::picPixels_MouseUp(int button, int, int, int)
{
    if (button == kLeftButton)
        EndStroke();
}

void frmTileSheet::PaintPixels(const std::vector<CellPos>& pixels)
{
    // The stroke belongs to the stage and tile it began on.
    if (stroke_.stage != document_.currentStage() || stroke_.tile != selectedTile_) {
        EndStroke();
        return;
    }
    // Only the bytes that change are written; pixels outside the tile are passed over.
    const ByteWrites writes = PixelWrites(document_.image().bytes(), document_.stages(), stroke_.stage, stroke_.tile,
                                          pixels, drawingValue_);
    WriteBytes(document_.image(), writes);
}

void frmTileSheet::EndStroke()
{
    if (!stroke_.active)
        return;
    stroke_.active = false;
    // An Undo in the middle of the stroke closed its step already.
    if (document_.history().inStep())
        document_.history().EndStep();
}

} // namespace quorvan
