// The tool windows the main window owns: created on first use, kept until it closes.

#include "ui/main/frmQuorvan.h"

#include "ui/common/frmAbout.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

namespace quorvan {

frmTileEdit* frmQuorvan::TileEdit(bool create)
{
    if (!tileEdit_ && create)
        tileEdit_ = new frmTileEdit(this);
    return tileEdit_;
}

frmPaletteEditor* frmQuorvan::PaletteEditor(bool create)
{
    if (!paletteEditor_ && create)
        paletteEditor_ = new frmPaletteEditor(this);
    return paletteEditor_;
}

frmAbout* frmQuorvan::About(bool create)
{
    if (!about_ && create)
        about_ = new frmAbout(this);
    return about_;
}

} // namespace quorvan
