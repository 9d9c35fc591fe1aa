// Opening the tile editor: from "&Tile Editor" and from "Edit Tile".

#include "ui/main/frmQuorvan.h"

#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QScrollBar>

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
        editor->vsTile()->setValue(0);
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
    bool isNumber = false;
    const int block = picSelectedTile_->Tag().toInt(&isNumber);
    if (!isNumber || block < 0 || block > 255 || RomFileName.isEmpty())
        return;

    frmTileEdit* editor = TileEdit();
    editor->vsTile()->setValue(block);
    editor->show();
}

} // namespace quorvan
