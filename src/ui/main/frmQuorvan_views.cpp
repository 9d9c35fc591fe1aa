// Level view, block table, their scroll bars, stage selection and grid switches.

#include "ui/main/frmQuorvan.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "graphics/DrawBlock.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/main/ViewGeometry.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QColor>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>

namespace quorvan {

using namespace view;

namespace {

// White lines on the top and left edge of every 32x32 cell. Lines that fall
// outside the picture are clipped away.
void DrawGrid(PictureBox& picture)
{
    picture.setForeColor(QColor(255, 255, 255));
    picture.GridLines(kCell, kGridLines);
}

} // namespace

StageSource frmQuorvan::StageSource() const
{
    return {document_.image().bytes(), document_.stages(), document_.currentStage()};
}

bool frmQuorvan::StageChosen() const
{
    for (const QAction* item : mnuStageSelect_)
        if (item->isChecked())
            return true;
    return false;
}

int frmQuorvan::SelectedBlock() const
{
    bool ok = false;
    const int block = picSelectedTile_->Tag().toInt(&ok);
    return ok && block >= 0 && block <= 255 ? block : -1;
}

void frmQuorvan::RestoreSelectedTile()
{
    const int block = SelectedBlock();
    if (block >= 0)
        DrawBlock(*picSelectedTile_, block, kBlockScale);
    else
        picSelectedTile_->Cls();
}

void frmQuorvan::DrawEditorGrid()
{
    DrawGrid(*picEditor_);
}

void frmQuorvan::DrawLevel()
{
    // The view needs an image and a stage; until then it stays as it is.
    if (!document_.isOpen() || !StageChosen())
        return;
    BeginRenderFaultCheck();
    const int room = hLevel_Frames_->value();
    // Straight into the view's back buffer; cells whose bytes lie past the end
    // of the image come out in the fault colour and are counted.
    RenderFaults faults;
    ComposeRoom(picEditor_->backBuffer(), StageSource(), room, kBlockScale, faults);
    EnsureNesTiles().NoteFaults(faults);
    RestoreSelectedTile();
    if (mnuGrid_[0]->isChecked())
        DrawEditorGrid();
    DrawLevelMarks();
    panel2_->setText(RoomText(room));
    picEditor_->Refresh();
    EndRenderFaultCheck(this, QStringLiteral("Level view"));
}

int frmQuorvan::TablePage() const
{
    // While the thumb is dragged the value is not committed yet; the table
    // follows the thumb, so it reads the slider's position.
    return hsTable_->sliderPosition();
}

void frmQuorvan::DrawTable()
{
    if (!document_.isOpen() || !StageChosen())
        return;
    BeginRenderFaultCheck();
    RenderFaults faults;
    ComposeTablePage(picTile_->backBuffer(), StageSource(), TablePage(), kBlockScale, faults);
    EnsureNesTiles().NoteFaults(faults);
    RestoreSelectedTile();
    if (mnuGrid_[1]->isChecked())
        DrawGrid(*picTile_);
    DrawTableMarks();
    picTile_->Refresh();
    EndRenderFaultCheck(this, QStringLiteral("Block table"));
}

void frmQuorvan::hLevel_Frames_Change(int)
{
    DrawLevel();
}

void frmQuorvan::hLevel_Frames_Scroll(int value)
{
    // Only the room text follows the thumb; the room is drawn once the value is committed.
    panel2_->setText(RoomText(value));
}

void frmQuorvan::hsTable_Change(int)
{
    DrawTable();
}

void frmQuorvan::hsTable_Scroll(int)
{
    DrawTable();
}

std::uint8_t frmQuorvan::GetMaxRoom() const
{
    return MaxRoomInList(document_.currentStageInfo(), document_.image().bytes());
}

void frmQuorvan::mnuStageSelect_Click(int index)
{
    if (index < 0 || index >= kMenuStages)
        return;
    for (QAction* item : mnuStageSelect_)
        item->setChecked(false);
    mnuStageSelect_[static_cast<std::size_t>(index)]->setChecked(true);
    document_.currentStage() = static_cast<std::int16_t>(index);
    NewRenderFaultContext(); // drawing problems the user closed on the old stage are news on this one
    picSelectedTile_->setTag(QStringLiteral("-1"));
    hLevel_Frames_->setValue(0);
    hLevel_Frames_->setMaximum(GetMaxRoom());
    hsTable_->setValue(0);
    hsTable_->setMaximum(kTablePages - 1);
    for (QAction* item : mnuGrid_)
        item->setEnabled(true);
    mnuPalette_->setEnabled(true);
    mnuTileEditor_->setEnabled(true);
    // Reloaded, open or hidden, so that it always holds the stage chosen: its
    // swatches and the byte its next pick writes.
    PaletteEditor()->Init();
    // A loaded tile editor shows the same block number of the new stage, so
    // that its next change starts from what it shows.
    if (frmTileEdit* tiles = TileEdit(false))
        tiles->Init();
    Insight_StageChosen();
    DrawTable();
    DrawLevel();
}

void frmQuorvan::ShowOpenedImage()
{
    // Before a stage is chosen nothing shows the image yet.
    if (!StageChosen())
        return;
    // The stage, its check mark, the table page and the selected block stay;
    // the room range follows the new image's room list, keeping the room when
    // it is still in range and otherwise going to the last one. The scroll bar
    // is adjusted quietly: the views are redrawn once, below.
    const int maxRoom = GetMaxRoom();
    {
        const QSignalBlocker blocker(hLevel_Frames_);
        hLevel_Frames_->setMaximum(maxRoom);
        if (hLevel_Frames_->value() > maxRoom)
            hLevel_Frames_->setValue(maxRoom);
    }
    RedrawImageViews(EditorReload::FromStart);
}

void frmQuorvan::RedrawImageViews(EditorReload editors)
{
    // Any block, palette or room may have changed: redraw all that shows them.
    DrawTable();
    DrawLevel(); // also redraws the selected block's preview
    if (frmPaletteEditor* palette = PaletteEditor(false)) {
        if (editors == EditorReload::KeepSelection)
            palette->Refresh();
        else
            palette->Init();
    }
    if (frmTileEdit* tiles = TileEdit(false))
        tiles->Init();
}

void frmQuorvan::mnuGrid_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    QAction* item = mnuGrid_[static_cast<std::size_t>(index)];
    item->setChecked(!item->isChecked());
    // The redraw draws the grid or, with the mark cleared, covers the old lines.
    if (index == 0)
        DrawLevel();
    else
        DrawTable();
}

} // namespace quorvan
