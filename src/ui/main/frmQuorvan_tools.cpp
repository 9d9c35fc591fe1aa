// The tool windows the main window owns: created on first use, kept until it
// closes, and wired to the main window once, when each is created. They know
// nothing of the main window; they show the document and signal what they need.
// The editors open beside the main window, not over its views, and reopen where
// the user left them.

#include "ui/main/frmQuorvan.h"

#include "ui/common/ToolWindows.h"
#include "ui/common/frmAbout.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QScrollBar>

namespace quorvan {

frmTileEdit* frmQuorvan::TileEdit(bool create)
{
    if (!tileEdit_ && create) {
        tileEdit_ = new frmTileEdit(document_, this);
        ManageToolWindow(tileEdit_, ToolPlacement::BesideOwner);
        ConnectTileEdit(tileEdit_);
    }
    return tileEdit_;
}

frmPaletteEditor* frmQuorvan::PaletteEditor(bool create)
{
    if (!paletteEditor_ && create) {
        paletteEditor_ = new frmPaletteEditor(document_, this);
        ManageToolWindow(paletteEditor_, ToolPlacement::BesideOwner);
        ConnectPaletteEditor(paletteEditor_);
    }
    return paletteEditor_;
}

frmAbout* frmQuorvan::About(bool create)
{
    if (!about_ && create) {
        about_ = new frmAbout(this);
        ManageToolWindow(about_, ToolPlacement::AsIs); // it centres itself
    }
    return about_;
}

frmStageOverview* frmQuorvan::StageOverview(bool create)
{
    if (!stageOverview_ && create) {
        stageOverview_ = new frmStageOverview(document_, this);
        ManageToolWindow(stageOverview_, ToolPlacement::BesideOwner);
        ConnectStageOverview(stageOverview_);
    }
    return stageOverview_;
}

void frmQuorvan::ConnectTileEdit(frmTileEdit* editor)
{
    // "Refresh Editor" redraws the level view, then the block table.
    connect(editor, &frmTileEdit::refreshRequested, this, [this] {
        DrawLevel();
        DrawTable();
    });
}

void frmQuorvan::ConnectPaletteEditor(frmPaletteEditor* editor)
{
    // A picked colour shows at once in both views.
    connect(editor, &frmPaletteEditor::coloursChanged, this, [this] {
        DrawLevel();
        DrawTable();
    });
    // Its close button discards it and clears the menu's check mark.
    connect(editor, &frmPaletteEditor::closed, this, [this] {
        mnuPalette_->setChecked(false);
        UnloadPaletteEditor();
    });
}

void frmQuorvan::ConnectStageOverview(frmStageOverview* overview)
{
    // A click on a thumbnail shows that room, as moving the scroll bar would.
    connect(overview, &frmStageOverview::roomChosen, this, [this](int room) { hLevel_Frames_->setValue(room); });
    // Its close box hides it and clears the menu's check mark.
    connect(overview, &frmStageOverview::closed, this, [this] { mnuStageOverview_->setChecked(false); });
    SyncStageOverview();
}

} // namespace quorvan
