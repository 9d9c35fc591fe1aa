// The tool windows the main window owns: created on first use, kept until it
// closes, wired to the main window once, when each is created, and shown and
// hidden by their menu items. They know nothing of the main window: they show
// the document, follow its change signal, and signal what they need. The
// editors open beside the main window, not over its views, and reopen where
// the user left them.

#include "ui/main/frmQuorvan.h"

#include "ui/common/ToolWindows.h"
#include "ui/common/frmAbout.h"
#include "ui/history/frmHistory.h"
#include "ui/main/LevelInsight.h"
#include "ui/main/LevelView.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>

#include <algorithm>

namespace quorvan {

namespace {

// The window in `slot`, made by `make` and managed as a tool window the first
// time it is asked for with `create` set.
template <typename Window, typename Make>
Window* ToolWindow(QPointer<Window>& slot, bool create, ToolPlacement placement, Make make)
{
    if (!slot && create) {
        slot = make();
        ManageToolWindow(slot, placement);
    }
    return slot;
}

} // namespace

frmTileEdit* frmQuorvan::TileEdit(bool create)
{
    return ToolWindow(tileEdit_, create, ToolPlacement::BesideOwner, [this] {
        auto* editor = new frmTileEdit(document_, this);
        ConnectTileEdit(editor);
        return editor;
    });
}

frmPaletteEditor* frmQuorvan::PaletteEditor(bool create)
{
    return ToolWindow(paletteEditor_, create, ToolPlacement::BesideOwner, [this] {
        auto* editor = new frmPaletteEditor(document_, this);
        ConnectPaletteEditor(editor);
        return editor;
    });
}

frmAbout* frmQuorvan::About(bool create)
{
    // It centres itself.
    return ToolWindow(about_, create, ToolPlacement::AsIs, [this] { return new frmAbout(this); });
}

frmStageOverview* frmQuorvan::StageOverview(bool create)
{
    return ToolWindow(stageOverview_, create, ToolPlacement::BesideOwner, [this] {
        auto* overview = new frmStageOverview(document_, this);
        ConnectStageOverview(overview);
        return overview;
    });
}

frmHistory* frmQuorvan::HistoryWindow(bool create)
{
    return ToolWindow(historyWindow_, create, ToolPlacement::BesideOwner, [this] {
        auto* window = new frmHistory(document_, this);
        ConnectHistoryWindow(window);
        return window;
    });
}

frmTileSheet* frmQuorvan::TileSheet(bool create)
{
    return ToolWindow(tileSheet_, create, ToolPlacement::BesideOwner, [this] {
        auto* sheet = new frmTileSheet(document_, this);
        ConnectTileSheet(sheet);
        return sheet;
    });
}

void frmQuorvan::ConnectTileEdit(frmTileEdit* editor)
{
    // "Refresh Editor" redraws the level view, then the block table.
    connect(editor, &frmTileEdit::refreshRequested, this, [this] {
        DrawLevel();
        DrawTable();
    });
    // The sheet takes the palette of the block shown; the block's quadrants take the sheet's tile.
    connect(editor, &frmTileEdit::blockShown, this, &frmQuorvan::SheetFollowsBlock);
    connect(editor, &frmTileEdit::quadrantClicked, this, &frmQuorvan::TileEdit_QuadrantClicked);
}

void frmQuorvan::ConnectPaletteEditor(frmPaletteEditor* editor)
{
    // Its close button discards it and clears the menu's check mark.
    connect(editor, &frmPaletteEditor::closed, this, [this] {
        view_.paletteOpen = false;
        menus_.palette->setChecked(false);
        UnloadPaletteEditor();
    });
}

void frmQuorvan::ConnectStageOverview(frmStageOverview* overview)
{
    // A click on a thumbnail shows that room, as moving the scroll bar would.
    connect(overview, &frmStageOverview::roomChosen, this, &frmQuorvan::ShowRoom);
    // Its close box hides it and clears the menu's check mark.
    connect(overview, &frmStageOverview::closed, this, [this] {
        view_.overviewOpen = false;
        menus_.stageOverview->setChecked(false);
    });
    SyncStageOverview();
}

void frmQuorvan::ConnectHistoryWindow(frmHistory* window)
{
    connect(window, &frmHistory::stateChosen, this, &frmQuorvan::GoToHistoryState);
    // Its close box hides it and clears the menu's check mark.
    connect(window, &frmHistory::closed, this, [this] { menus_.history->setChecked(false); });
}

void frmQuorvan::GoToHistoryState(int index)
{
    // Step by step through the menu's handlers, so that the views, the caption
    // and the place shown follow each step as they do for the keys; a step
    // refused (a dialog in front) ends the walk.
    const EditHistory& history = document_.history();
    const auto target = static_cast<std::size_t>(std::max(index, 0));
    for (std::size_t at = history.undoCount(); at != target; at = history.undoCount()) {
        if (at > target)
            mnuUndo_Click();
        else
            mnuRedo_Click();
        if (history.undoCount() == at)
            break;
    }
}

void frmQuorvan::SyncStageOverview()
{
    frmStageOverview* overview = StageOverview(false);
    if (overview == nullptr)
        return;
    if (!document_.isOpen() || !view_.stageChosen)
        overview->ClearStage();
    else if (overview->stage() != document_.currentStage())
        overview->ShowStage();
    overview->SetCurrentRoom(view_.room);
    overview->SetMarks(insight_->Marks());
}

void frmQuorvan::mnuPalette_Click()
{
    if (view_.paletteOpen) {
        UnloadPaletteEditor();
    } else {
        frmPaletteEditor* editor = PaletteEditor();
        editor->show();
        // Loaded once more, now that it is visible.
        editor->Init();
    }
    view_.paletteOpen = !view_.paletteOpen;
    menus_.palette->setChecked(view_.paletteOpen);
}

void frmQuorvan::UnloadPaletteEditor()
{
    frmPaletteEditor* editor = paletteEditor_;
    if (editor == nullptr)
        return;
    paletteEditor_ = nullptr;
    editor->hide();
    // Deferred: this may be reached from the editor's own close handler.
    editor->deleteLater();
}

void frmQuorvan::mnuTileEditor_Click()
{
    // The check mark records only this item's own toggling: it says whether the
    // user last opened or closed the editor from here.
    if (view_.tileEditorOpen) {
        if (frmTileEdit* editor = TileEdit(false))
            editor->close(); // closing only hides it
    } else {
        frmTileEdit* editor = TileEdit(); // the first creation runs its load handler
        editor->ShowBlock(0);
        editor->show();
    }
    view_.tileEditorOpen = !view_.tileEditorOpen;
    menus_.tileEditor->setChecked(view_.tileEditorOpen);
}

void frmQuorvan::cmdEditTile_Click()
{
    activateWindow();
    setFocus();
    if (!view_.blockSelected() || document_.fileName().isEmpty())
        return;
    frmTileEdit* editor = TileEdit();
    editor->ShowBlock(view_.selectedBlock);
    editor->show();
}

void frmQuorvan::mnuStageOverview_Click()
{
    if (view_.overviewOpen) {
        if (frmStageOverview* overview = StageOverview(false))
            overview->hide();
    } else {
        frmStageOverview* overview = StageOverview();
        SyncStageOverview();
        overview->show();
    }
    view_.overviewOpen = !view_.overviewOpen;
    menus_.stageOverview->setChecked(view_.overviewOpen);
}

void frmQuorvan::mnuHistory_Click()
{
    if (view_.historyOpen) {
        if (frmHistory* window = HistoryWindow(false))
            window->hide();
    } else {
        HistoryWindow()->show();
    }
    view_.historyOpen = !view_.historyOpen;
    menus_.history->setChecked(view_.historyOpen);
}

void frmQuorvan::mnuTileSheet_Click()
{
    if (view_.sheetOpen) {
        if (frmTileSheet* sheet = TileSheet(false))
            sheet->hide();
    } else {
        TileSheet()->show();
    }
    view_.sheetOpen = !view_.sheetOpen;
    menus_.tileSheet->setChecked(view_.sheetOpen);
}

} // namespace quorvan
