// Picking a block from the block table and what a press on the level view
// does: place and paint (left), select cells (Shift + left), fill (Ctrl +
// left), place a paste (left while one is pending), pick the block under the
// pointer (right). The middle button does nothing.

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
    SelectBlock(row * kTablePageColumns + column + TablePage() * kTablePageBlocks);
}

void frmQuorvan::SelectBlock(int block)
{
    DrawBlock(*picSelectedTile_, block, kBlockScale);
    picSelectedTile_->setTag(QString::number(block));
    DrawTableMarks();
    UpdatePaintMenus();
    // The tile editor follows the selection; it is created for this but not shown.
    frmTileEdit* editor = TileEdit();
    editor->ShowBlock(block);
    editor->Init();
}

void frmQuorvan::picEditor_MouseDown(int button, int shift, int x, int y)
{
    // A press while a gesture is under way means its release went elsewhere
    // (another window took the mouse): that gesture ends here.
    EndPaintGesture();
    if (button == kRightButton) {
        PickFromLevel(x, y);
        return;
    }
    if (button != kLeftButton)
        return;
    if (PastePending()) {
        PlacePaste(CellUnder(x, y));
        return;
    }
    // A click outside the selected cells clears them (and goes on as a click).
    if (const std::optional<CellRect> shown = ShownSelection(); shown && !shown->contains(CellUnder(x, y)))
        ClearSelection();
    if ((shift & kShiftKey) != 0) {
        BeginCellSelection(x, y);
        return;
    }
    if ((shift & kCtrlKey) != 0) {
        FillAt(x, y);
        return;
    }
    BeginStroke(x, y);
}

} // namespace quorvan
