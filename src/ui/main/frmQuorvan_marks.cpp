// Marks over the views: what the user has selected or is about to paste,
// drawn over the room, and the frame around the selected block in the table.
//
// The room's marks go into the level view's back buffer after its blocks and
// grid, so that what the user sees is what grab() of the view gives. They are
// redrawn whole with the room; a painted cell draws them again over itself.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "ui/common/FrameOverlay.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"

#include <QImage>

namespace quorvan {

using namespace view;

namespace {

// Dashes of kDash pixels alternating between two colours, two pixels wide,
// just inside the rectangle's edge pixels; the dashes run on around the
// corners, so the outline shows on any block.
constexpr int kDash = 4;

void SetPixel(QImage& image, int x, int y, std::uint32_t colour)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<std::uint32_t*>(image.scanLine(y))[x] = colour;
}

void DrawDashedOutline(QImage& image, const QRect& box, std::uint32_t first, std::uint32_t second)
{
    for (int ring = 0; ring < 2; ++ring) {
        const QRect r = box.adjusted(ring, ring, -ring, -ring);
        if (r.width() < 1 || r.height() < 1)
            return;
        // Along the edge, clockwise from the top-left pixel.
        int step = 0;
        const auto put = [&](int x, int y) { SetPixel(image, x, y, (step++ / kDash) % 2 == 0 ? first : second); };
        for (int x = r.left(); x <= r.right(); ++x)
            put(x, r.top());
        for (int y = r.top() + 1; y <= r.bottom(); ++y)
            put(r.right(), y);
        for (int x = r.right() - 1; x >= r.left(); --x)
            put(x, r.bottom());
        for (int y = r.bottom() - 1; y > r.top(); --y)
            put(r.left(), y);
    }
}

QRect PixelsOf(const CellRect& cells)
{
    return {cells.column * kCell, cells.row * kCell, cells.columns * kCell, cells.rows * kCell};
}

} // namespace

void frmQuorvan::DrawLevelMarks()
{
    QImage& view = picEditor_->backBuffer();

    // The selected cells: white and black dashes.
    if (const std::optional<CellRect> selection = ShownSelection())
        DrawDashedOutline(view, PixelsOf(*selection), 0xFFFFFFu, 0x000000u);

    // The paste about to be placed: its blocks where they would go, clipped at
    // the room's edges, outlined in yellow and black dashes.
    const PaintState::Paste& paste = paint_.paste;
    if (paste.cells && paste.at && CanEditRoom()) {
        const CellBlock& cells = *paste.cells;
        const CellRect placed = CellRect{paste.at->column, paste.at->row, cells.columns, cells.rows}.intersected(kWholeRoom);
        // What the blocks would look like; drawing problems among them are the
        // table's to report, where the same blocks are shown.
        RenderFaults ignored;
        for (int row = placed.row; row < placed.row + placed.rows; ++row)
            for (int column = placed.column; column < placed.column + placed.columns; ++column)
                ComposeBlock(view, StageSource(), cells.at(column - paste.at->column, row - paste.at->row),
                             kBlockScale, column * kCell, row * kCell, ignored);
        if (!placed.empty())
            DrawDashedOutline(view, PixelsOf(placed), 0xFFFF00u, 0x000000u);
    }
}

void frmQuorvan::DrawTableMarks()
{
    if (paint_.tableFrame == nullptr)
        return;
    const int block = SelectedBlock();
    const int index = block - TablePage() * kTablePageBlocks;
    if (block < 0 || index < 0 || index >= kTablePageBlocks || !document_.isOpen() || !StageChosen()) {
        paint_.tableFrame->setFrame({});
        return;
    }
    paint_.tableFrame->setFrame(
        QRect((index % kTablePageColumns) * kCell, (index / kTablePageColumns) * kCell, kCell, kCell));
}

} // namespace quorvan
