// Marks over the views: what the user has selected or is about to paste,
// drawn over the room, and the frame around the selected block in the table.
//
// The room's marks go into the level view's back buffer after its blocks and
// grid, so that what the user sees is what grab() of the view gives. They are
// redrawn whole with the room: a layer may blend with what is under it, so
// painting redraws the whole room while LevelMarksShown() says some layer
// draws, and only the painted cells otherwise.

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

// The selected cells show through a blue tint: a third of each pixel's way
// to kTint, so the whole area stands out on busy blocks too.
constexpr std::uint32_t kTint = 0x2080FF;

void Tint(QImage& image, const QRect& box)
{
    const QRect inside = box.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            std::uint32_t mixed = 0;
            for (const int shift : {16, 8, 0}) {
                const std::uint32_t from = (row[x] >> shift) & 0xFFu;
                const std::uint32_t to = (kTint >> shift) & 0xFFu;
                mixed |= ((from * 2 + to) / 3) << shift;
            }
            row[x] = mixed;
        }
    }
}

QRect PixelsOf(const CellRect& cells)
{
    return {cells.column * kCell, cells.row * kCell, cells.columns * kCell, cells.rows * kCell};
}

} // namespace

bool frmQuorvan::LevelMarksShown() const
{
    return ShownSelection().has_value() || (paint_.paste.cells && paint_.paste.at && CanEditRoom());
}

void frmQuorvan::DrawLevelMarks()
{
    // Where blocks are used and what changed (frmQuorvan_usemarks.cpp) lie
    // under what the user is selecting or pasting.
    DrawUseMarks();

    QImage& view = picEditor_->backBuffer();

    // The selected cells: tinted, in white and black dashes.
    if (const std::optional<CellRect> selection = ShownSelection()) {
        Tint(view, PixelsOf(*selection));
        DrawDashedOutline(view, PixelsOf(*selection), 0xFFFFFFu, 0x000000u);
    }

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
