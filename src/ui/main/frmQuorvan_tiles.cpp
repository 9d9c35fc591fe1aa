// The tile sheet beside the tile editor: the sheet draws in the palette of
// the block the user is working on, and the editor's block takes the tile
// selected in the sheet (a left click on a quadrant) or shows the sheet a
// quadrant's tile (a right click). Neither window knows the other; they meet
// here.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "graphics/StageTiles.h"
#include "ui/main/ViewGeometry.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QScrollBar>

#include <optional>

namespace quorvan {

void frmQuorvan::ConnectTileSheet(frmTileSheet* sheet)
{
    // A new sheet starts in the palette of the block the user works on.
    sheet->SetPalette(SheetPalette());
    // Its close box hides it and clears the menu's check mark.
    connect(sheet, &frmTileSheet::closed, this, [this] {
        view_.sheetOpen = false;
        menus_.tileSheet->setChecked(false);
    });
}

int frmQuorvan::SheetPalette() const
{
    if (tileSheet_)
        return tileSheet_->palette();
    // The block the user works on: the one the tile editor shows, else the one selected.
    const int block = tileEdit_ && tileEdit_->isVisible() ? tileEdit_->vsTile()->value() : view_.selectedBlock;
    return BlockPalette(document_.image().bytes(), document_.currentStageInfo(), block).value_or(0);
}

void frmQuorvan::SheetFollowsBlock(int block)
{
    if (frmTileSheet* sheet = TileSheet(false))
        if (const std::optional<int> palette = BlockPalette(document_.image().bytes(), document_.currentStageInfo(), block))
            sheet->SetPalette(*palette);
}

void frmQuorvan::TileEdit_QuadrantClicked(int quadrant, int button)
{
    // Only while the sheet is shown: without it a click on the block does nothing.
    frmTileSheet* sheet = TileSheet(false);
    frmTileEdit* editor = TileEdit(false);
    if (sheet == nullptr || !sheet->isVisible() || editor == nullptr || quadrant < 0 || quadrant > 3 ||
        !document_.isOpen() || !view_.stageChosen)
        return;
    QScrollBar* tileNumber = editor->hsTile(quadrant);
    if (button == view::kLeftButton && sheet->selectedTile() >= 0)
        tileNumber->setValue(sheet->selectedTile()); // writes the byte, as moving the bar does
    else if (button == view::kRightButton)
        sheet->SelectTile(tileNumber->value());
}

} // namespace quorvan
