// Opening the tile editor: from "&Tile Editor" and from "Edit Tile".

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>

namespace quorvan {

void frmQuorvan::mnuTileEditor_Click()
{
    // The check mark records only this item's own toggling: it says whether the
    // user last opened or closed the editor from here.
    if (mnuTileEditor_->isChecked()) {
        if (frmTileEdit* editor = TileEdit(false))
            editor->close(); // closing only hides it
    } else {
        frmTileEdit* editor = TileEdit(); // the first creation runs its load handler
        editor->ShowBlock(0);
        editor->show();
    }
    mnuTileEditor_->setChecked(!mnuTileEditor_->isChecked());
}

void frmQuorvan::cmdEditTile_Click()
{
    activateWindow();
    setFocus();

    // The selected block as the table left it: empty before the first stage,
    // "-1" while none is selected.
    const int block = SelectedBlock();
    if (block < 0 || document_.fileName().isEmpty())
        return;

    frmTileEdit* editor = TileEdit();
    editor->ShowBlock(block);
    editor->show();
}

} // namespace quorvan
