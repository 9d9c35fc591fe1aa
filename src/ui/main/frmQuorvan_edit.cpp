// Picking a block from the block table and placing it into the level view.

#include "ui/main/frmQuorvan.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/DrawBlock.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QScrollBar>

namespace quorvan {

using namespace view;

void frmQuorvan::picTile_MouseDown(int button, int, int x, int y)
{
    if (document_.fileName().isEmpty() || !document_.isOpen() || !StageChosen())
        return;
    int column = 0;
    int row = 0;
    if (!CellAt(x, y, kTablePageColumns, kTablePageRows, column, row) || button != kLeftButton)
        return;
    const int block = row * kTablePageColumns + column + TablePage() * kTablePageBlocks;
    DrawBlock(*picSelectedTile_, block, kBlockScale);
    picSelectedTile_->setTag(QString::number(block));
    // The tile editor follows the selection; it is created for this but not shown.
    frmTileEdit* editor = TileEdit();
    editor->ShowBlock(block);
    editor->Init();
}

void frmQuorvan::picEditor_MouseDown(int button, int, int x, int y)
{
    const int block = SelectedBlock();
    if (block < 0 || document_.fileName().isEmpty() || !document_.isOpen())
        return;
    int column = 0;
    int row = 0;
    if (!CellAt(x, y, kRoomColumns, kRoomRows, column, row) || button != kLeftButton)
        return;
    const std::int64_t offset = RoomCellOffset(document_.currentStageInfo(), hLevel_Frames_->value(), row, column);
    // A cell past the end of the image has nowhere to go: nothing is written or drawn.
    if (!document_.image().write(offset, static_cast<std::uint8_t>(block)))
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
