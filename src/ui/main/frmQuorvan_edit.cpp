// The mouse on the two views and the Edit menu's cell items: thin handlers
// that hand the gestures to RoomEditor. Picking a block from the block table
// is the one gesture the window keeps: it selects the block the user places.

#include "ui/main/frmQuorvan.h"

#include "ui/main/RoomEditor.h"
#include "ui/main/ViewGeometry.h"

namespace quorvan {

using namespace view;

void frmQuorvan::picTile_MouseDown(int button, int, int x, int y)
{
    if (document_.fileName().isEmpty() || !document_.isOpen() || !view_.stageChosen)
        return;
    int column = 0;
    int row = 0;
    if (!CellAt(x, y, kTablePageColumns, kTablePageRows, column, row) || button != kLeftButton)
        return;
    SelectBlock(row * kTablePageColumns + column + view_.page * kTablePageBlocks);
}

void frmQuorvan::picEditor_MouseDown(int button, int shift, int x, int y)
{
    roomEditor_->MouseDown(button, shift, x, y);
}

void frmQuorvan::mnuCut_Click()
{
    roomEditor_->Cut();
}

void frmQuorvan::mnuCopy_Click()
{
    roomEditor_->Copy();
}

void frmQuorvan::mnuPaste_Click()
{
    roomEditor_->Paste();
}

void frmQuorvan::mnuFillSelection_Click()
{
    roomEditor_->FillSelection();
}

void frmQuorvan::mnuSelectAll_Click()
{
    roomEditor_->SelectAll();
}

void frmQuorvan::mnuSelectNone_Click()
{
    roomEditor_->SelectNone();
}

void frmQuorvan::mnuPasteInPlace_Click()
{
    roomEditor_->PasteInPlace();
}

QRect frmQuorvan::CellSelection() const
{
    const std::optional<CellRect> rect = roomEditor_->ShownSelection();
    return rect ? QRect(rect->column, rect->row, rect->columns, rect->rows) : QRect();
}

bool frmQuorvan::PastePending() const
{
    return roomEditor_->PastePending();
}

} // namespace quorvan
