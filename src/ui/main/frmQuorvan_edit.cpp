// Picking a block from the block table and placing it into the level view.

#include "ui/main/frmQuorvan.h"

#include "data/Level.h"
#include "data/modGlobals.h"
#include "graphics/DrawBlock.h"
#include "ui/common/PictureBox.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QScrollBar>

namespace quorvan {

namespace {

constexpr int kCell = 32;
constexpr int kBlockScale = 2;
constexpr int kLeftButton = 1;

// The cell under a pixel, or false when the pixel lies outside a grid of
// `columns` x `rows` cells.
bool CellAt(int x, int y, int columns, int rows, int& column, int& row)
{
    if (x < 0 || y < 0)
        return false;
    column = x / kCell;
    row = y / kCell;
    return column < columns && row < rows;
}

} // namespace

void frmQuorvan::picTile_MouseDown(int button, int, int x, int y)
{
    if (RomFileName.isEmpty() || RomImage.empty() || !StageChosen())
        return;
    int column = 0;
    int row = 0;
    if (!CellAt(x, y, 2, 8, column, row) || button != kLeftButton)
        return;
    const int block = row * 2 + column + TablePage() * 16;
    DrawBlock(*picSelectedTile_, block, kBlockScale);
    picSelectedTile_->setTag(QString::number(block));
    // The tile editor follows the selection; it is created for this but not shown.
    frmTileEdit* editor = TileEdit();
    editor->vsTile()->setValue(block);
    editor->Init();
}

void frmQuorvan::picEditor_MouseDown(int button, int, int x, int y)
{
    const int block = SelectedBlock();
    if (block < 0 || RomFileName.isEmpty() || RomImage.empty())
        return;
    int column = 0;
    int row = 0;
    if (!CellAt(x, y, kRoomColumns, kRoomRows, column, row) || button != kLeftButton)
        return;
    const std::int64_t offset = RoomCellOffset(CurrentStageInfo(), hLevel_Frames_->value(), row, column);
    // A cell past the end of the image has nowhere to go: nothing is written or drawn.
    if (!RomImage.write(offset, static_cast<std::uint8_t>(block)))
        return;
    // Drawn afresh, so the cell shows the block as the image now has it even
    // when the preview went stale (another image opened, a block edited).
    DrawBlock(*picSelectedTile_, block, kBlockScale);
    picEditor_->BitBlt(column * kCell, row * kCell, kCell, kCell, *picSelectedTile_, 0, 0);
    if (mnuGrid_[0]->isChecked())
        DrawEditorGrid();
    picEditor_->Refresh();
}

} // namespace quorvan
