// What is in view: the stage, the room, the table page and the selected
// block; the View menu's switches; Undo and Redo, which bring the view to
// where the change is. Each handler sets the view state, then the widgets
// that show it, then draws what it changed. Changes of the image's bytes are
// drawn by the views themselves (LevelView.h).

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/Level.h"
#include "data/Version.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/main/BlockTableView.h"
#include "ui/main/LevelInsight.h"
#include "ui/main/LevelView.h"
#include "ui/main/RoomEditor.h"
#include "ui/main/ViewGeometry.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWindow>

#include <algorithm>

namespace quorvan {

using namespace view;

void frmQuorvan::DrawLevel()
{
    levelView_->Draw();
    tableView_->DrawSelected(); // picSelectedTile shows the selected block again
}

void frmQuorvan::DrawTable()
{
    tableView_->Draw();
    tableView_->DrawSelected();
}

std::uint8_t frmQuorvan::GetMaxRoom() const
{
    return MaxRoomInList(document_.currentStageInfo(), document_.image().bytes());
}

void frmQuorvan::ConnectViews()
{
    connect(picTile_, &PictureBox::mouseDown, this, &frmQuorvan::picTile_MouseDown);
    connect(picEditor_, &PictureBox::mouseDown, this, &frmQuorvan::picEditor_MouseDown);
    // (The room editor follows the rest of a gesture, the insight the pointer, by themselves.)
    // The wheel: away from the user is back one room (or page).
    connect(picEditor_, &PictureBox::wheel, this, [this](int steps, int, int, int) {
        if (view_.stageChosen)
            ShowRoom(view_.room - steps);
    });
    connect(picTile_, &PictureBox::wheel, this, [this](int steps, int, int, int) {
        if (view_.stageChosen)
            ShowPage(view_.page - steps);
    });
    connect(roomEditor_, &RoomEditor::blockPicked, this, [this](int block) {
        SelectBlock(block);
        ShowPage(block / kTablePageBlocks); // the table turns to the block's page
    });
    connect(roomEditor_, &RoomEditor::layerChanged, this, [this] {
        levelView_->Draw();
        insight_->ViewChanged(); // the selection's size and place
    });
    insight_->SetSelectionSource([this] { return roomEditor_->ShownSelection(); });
    connect(roomEditor_, &RoomEditor::abilitiesChanged, this, &frmQuorvan::UpdateEditItems);
    connect(roomEditor_, &RoomEditor::note, this, &frmQuorvan::ShowStatusNote);
}

void frmQuorvan::ShowRoom(int room)
{
    // As the scroll bar would: its Change event does the rest.
    if (view_.stageChosen)
        hLevel_Frames_->setValue(std::clamp(room, hLevel_Frames_->minimum(), hLevel_Frames_->maximum()));
}

void frmQuorvan::ShowPage(int page)
{
    if (view_.stageChosen)
        hsTable_->setValue(std::clamp(page, hsTable_->minimum(), hsTable_->maximum()));
}

void frmQuorvan::hLevel_Frames_Change(int value)
{
    const bool moved = value != view_.room;
    view_.room = value;
    // Another room: a gesture under way ends there, and the cells selected in
    // the room left behind are no longer selected.
    if (moved)
        roomEditor_->ViewMoved();
    levelView_->Draw();
    panel2_->setText(RoomText(value));
    insight_->ViewChanged();
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetCurrentRoom(value);
}

void frmQuorvan::hLevel_Frames_Scroll(int value)
{
    // Only the room text follows the thumb; the room is drawn once the value is committed.
    panel2_->setText(RoomText(value));
}

void frmQuorvan::hsTable_Change(int value)
{
    view_.page = value;
    tableView_->Draw();
    insight_->ViewChanged();
}

void frmQuorvan::hsTable_Scroll(int value)
{
    // The table follows the thumb while it is dragged.
    hsTable_Change(value);
}

void frmQuorvan::SelectBlock(int block)
{
    const bool highlightMoves = view_.highlightUses && view_.selectedBlock != block;
    view_.selectedBlock = block;
    tableView_->DrawSelected();
    UpdateEditItems();
    if (highlightMoves)
        MarksChanged();
    SheetFollowsBlock(block);
    // The tile editor follows the selection; it is created for this but not shown.
    frmTileEdit* editor = TileEdit();
    editor->ShowBlock(block);
    editor->Init();
}

void frmQuorvan::mnuStageSelect_Click(int index)
{
    // Stages are chosen in an image: the keys do nothing before one is open.
    if (index < 0 || index >= kMenuStages || !document_.isOpen())
        return;
    view_.stageChosen = true;
    view_.stage = index;
    view_.selectedBlock = -1;
    document_.currentStage() = static_cast<std::int16_t>(index);
    NewRenderFaultContext(); // drawing problems the user closed on the old stage are news on this one
    for (std::size_t k = 0; k < menus_.stages.size(); ++k)
        menus_.stages[k]->setChecked(static_cast<int>(k) == index);
    // Back to room 0 and page 0 (their Change events draw them when they move).
    hLevel_Frames_->setValue(0);
    hLevel_Frames_->setMaximum(GetMaxRoom());
    hsTable_->setValue(0);
    hsTable_->setMaximum(kTablePages - 1);
    roomEditor_->ViewMoved();
    insight_->StartOver();
    // Reloaded, open or hidden, so that it always holds the stage chosen: its
    // swatches and the byte its next pick writes.
    PaletteEditor()->Init();
    // A loaded tile editor shows the same block number of the new stage, so
    // that its next change starts from what it shows.
    if (frmTileEdit* tiles = TileEdit(false))
        tiles->Init();
    if (frmStageOverview* overview = StageOverview(false))
        overview->ShowStage();
    SyncStageOverview();
    if (frmTileSheet* sheet = TileSheet(false))
        sheet->ShowStage();
    UpdateEditItems();
    tableView_->Draw();
    tableView_->DrawSelected();
    levelView_->Draw();
}

void frmQuorvan::ShowOpenedImage()
{
    // Before a stage is chosen nothing shows the image yet.
    if (!view_.stageChosen)
        return;
    // The stage, the table page and the selected block stay; the room range
    // follows the new image's room list, keeping the room when it is still in
    // range and otherwise going to the last one. The views draw the new image
    // themselves (LevelView.h).
    const int maxRoom = GetMaxRoom();
    const QSignalBlocker quiet(hLevel_Frames_);
    hLevel_Frames_->setMaximum(maxRoom);
    view_.room = std::min(view_.room, maxRoom);
    hLevel_Frames_->setValue(view_.room);
}

void frmQuorvan::UpdateEditItems()
{
    const bool open = document_.isOpen();
    const bool stage = open && view_.stageChosen;
    for (QAction* item : {menus_.palette, menus_.tileEditor, menus_.grid[0], menus_.grid[1], menus_.stageOverview,
                          menus_.highlightUses, menus_.showChanges, menus_.findNextUse, menus_.exportRoomImage,
                          menus_.exportStageMap, menus_.tileSheet, menus_.exportTiles, menus_.importTiles})
        if (stage)
            item->setEnabled(true); // and stays so

    const RoomEditor::Abilities can = roomEditor_->Can();
    menus_.copy->setEnabled(can.copy);
    menus_.cut->setEnabled(can.cut);
    menus_.fillSelection->setEnabled(can.fillSelection);
    menus_.paste->setEnabled(can.paste);
    menus_.selectAll->setEnabled(can.selectAll);
    menus_.selectNone->setEnabled(can.selectNone);
    menus_.pasteInPlace->setEnabled(can.paste);
}

void frmQuorvan::mnuGrid_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    bool& on = index == 0 ? view_.editorGrid : view_.tableGrid;
    on = !on;
    menus_.grid[static_cast<std::size_t>(index)]->setChecked(on);
    // The redraw draws the grid or, with the switch off, covers the old lines.
    if (index == 0)
        levelView_->Draw();
    else
        tableView_->Draw();
}

void frmQuorvan::MarksChanged()
{
    levelView_->Draw(); // draws the marks, or covers them
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(insight_->Marks());
}

void frmQuorvan::mnuHighlightUses_Click()
{
    view_.highlightUses = !view_.highlightUses;
    menus_.highlightUses->setChecked(view_.highlightUses);
    MarksChanged();
}

void frmQuorvan::mnuShowChanges_Click()
{
    view_.showChanges = !view_.showChanges;
    menus_.showChanges->setChecked(view_.showChanges);
    MarksChanged();
}

void frmQuorvan::mnuFindNextUse_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    const bool hadFound = insight_->Found().has_value();
    const std::optional<CellPosition> next = insight_->FindNextUse();
    if (next && next->room != view_.room)
        ShowRoom(next->room); // draws the room, as the scroll bar would
    else if (next || hadFound)
        levelView_->Draw(); // the outline moves, or goes
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(insight_->Marks());
    // Said last: showing the room rebuilds the text under the pointer.
    insight_->SayFound();
}

void frmQuorvan::UpdateHistoryState()
{
    const EditHistory& history = document_.history();
    menus_.undo->setEnabled(history.canUndo());
    menus_.redo->setEnabled(history.canRedo());
    // "&Undo Paste", or "&Undo" alone for a step without a name or no step.
    const auto caption = [](const QString& verb, bool can, const QString& name) {
        return can && !name.isEmpty() ? verb + QLatin1Char(' ') + name : verb;
    };
    const QString undo = caption(QStringLiteral("&Undo"), history.canUndo(), history.undoName());
    const QString redo = caption(QStringLiteral("&Redo"), history.canRedo(), history.redoName());
    if (menus_.undo->text() != undo)
        menus_.undo->setText(undo);
    if (menus_.redo->text() != redo)
        menus_.redo->setText(redo);
    const QString title = MainCaption() + (document_.isModified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != title)
        setWindowTitle(title);
}

void frmQuorvan::mnuUndo_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    roomEditor_->EndGesture(); // a stroke under way is a step of its own, the one undone
    const EditPlace place = document_.history().undoPlace();
    if (document_.history().Undo())
        ShowEditPlace(place);
}

void frmQuorvan::mnuRedo_Click()
{
    if (QApplication::activeModalWidget() != nullptr)
        return;
    roomEditor_->EndGesture();
    const EditPlace place = document_.history().redoPlace();
    if (document_.history().Redo())
        ShowEditPlace(place);
}

void frmQuorvan::ShowEditPlace(const EditPlace& place)
{
    if (!document_.isOpen() || place.stage < 0)
        return;
    // Another stage is chosen as the Level menu chooses it, which drops the
    // selected block: its number names another block there. A change in the
    // stage shown keeps the selection.
    if (place.stage != document_.currentStage() || !view_.stageChosen) {
        if (place.stage >= kMenuStages || !menus_.level->menuAction()->isEnabled())
            return;
        menus_.stages[static_cast<std::size_t>(place.stage)]->trigger();
    }
    if (place.room >= 0)
        ShowRoom(place.room);
    if (place.block >= 0)
        ShowPage(place.block / kTablePageBlocks);
    if (frmTileSheet* sheet = TileSheet(false); sheet != nullptr && place.tile >= 0)
        sheet->SelectTile(place.tile);
}

} // namespace quorvan
