// Painting on the level view: strokes of the selected block, picking the
// block under the pointer, filling an area, and selecting cells.
//
// A stroke is one undo step from press to release: "Place Block" while the
// pointer stays in its first cell (exactly the single click of old: one byte,
// that cell redrawn, the grid kept), "Paint" once it moved on. Cells skipped
// between two mouse events are those of the straight line between them.

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/DrawBlock.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"

#include <QAction>
#include <QScrollBar>
#include <QStatusBar>

namespace quorvan {

using namespace view;

bool frmQuorvan::CanEditRoom() const
{
    return document_.isOpen() && !document_.fileName().isEmpty() && StageChosen();
}

EditPlace frmQuorvan::RoomPlace() const
{
    return {document_.currentStage(), hLevel_Frames_->value(), -1};
}

void frmQuorvan::BeginStroke(int x, int y)
{
    const int block = SelectedBlock();
    int column = 0;
    int row = 0;
    if (block < 0 || document_.fileName().isEmpty() || !document_.isOpen() ||
        !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    PaintState::Stroke& stroke = paint_.stroke;
    stroke = {};
    stroke.active = true;
    stroke.block = block;
    stroke.stage = document_.currentStage();
    stroke.room = hLevel_Frames_->value();
    stroke.last = {column, row};
    document_.history().BeginStep(QStringLiteral("Place Block"), RoomPlace());
    // Drawn afresh, so that the cells show the block as the image now has it
    // even when the preview went stale (another image opened, a block edited).
    DrawBlock(*picSelectedTile_, block, kBlockScale);
    PaintStrokeCells({stroke.last});
}

void frmQuorvan::ContinueStroke(CellPos to)
{
    PaintState::Stroke& stroke = paint_.stroke;
    if (to == stroke.last)
        return;
    std::vector<CellPos> line = LineCells(stroke.last, to);
    if (!line.empty() && line.front() == stroke.last)
        line.erase(line.begin()); // painted already
    stroke.last = to;
    if (!stroke.moved) {
        stroke.moved = true;
        document_.history().NameStep(QStringLiteral("Paint"), RoomPlace());
    }
    PaintStrokeCells(line);
}

void frmQuorvan::PaintStrokeCells(const std::vector<CellPos>& cells)
{
    PaintState::Stroke& stroke = paint_.stroke;
    // The stroke belongs to the room it began in; the view has moved on.
    if (stroke.stage != document_.currentStage() || stroke.room != hLevel_Frames_->value()) {
        EndPaintGesture();
        return;
    }
    RomBuffer& image = document_.image();
    const StageInfo& stage = document_.currentStageInfo();
    const auto block = static_cast<std::uint8_t>(stroke.block);
    bool drawn = false;
    int outside = 0;
    for (const CellPos cell : cells) {
        if (!kWholeRoom.contains(cell))
            continue;
        const std::int64_t offset = RoomCellOffset(stage, stroke.room, cell.row, cell.column);
        // A cell past the end of the image has nowhere to go: nothing is written or drawn.
        if (!image.contains(offset)) {
            ++outside;
            continue;
        }
        if (image.at(offset) != block)
            image.write(offset, block);
        picEditor_->BitBlt(cell.column * kCell, cell.row * kCell, kCell, kCell, *picSelectedTile_, 0, 0);
        drawn = true;
    }
    if (drawn && LevelMarksShown()) {
        DrawLevel(); // the marks blend with what lies under them
    } else if (drawn) {
        if (mnuGrid_[0]->isChecked())
            DrawEditorGrid();
        picEditor_->Refresh();
    }
    // Said once per stroke, and not in a box: the user may still be dragging.
    if (outside > 0 && !stroke.skippedOutside) {
        stroke.skippedOutside = true;
        ShowStatusNote(QStringLiteral("Not painted: cells of room %1 that lie past the end of the image.")
                           .arg(RoomText(stroke.room).mid(6)));
    }
}

void frmQuorvan::EndPaintGesture()
{
    paint_.selecting.active = false;
    if (!paint_.stroke.active)
        return;
    paint_.stroke.active = false;
    document_.history().EndStep();
}

void frmQuorvan::picEditor_MouseMove(int buttons, int, int x, int y)
{
    if (PastePending()) {
        const bool inside = x >= 0 && y >= 0 && x < picEditor_->width() && y < picEditor_->height();
        MovePaste(inside ? std::optional<CellPos>(CellUnder(x, y)) : std::nullopt);
    }
    // A move without the left button while a gesture is under way: its release went elsewhere.
    const bool held = (buttons & kLeftButton) != 0;
    if (paint_.stroke.active) {
        if (held)
            ContinueStroke(CellUnder(x, y));
        else
            EndPaintGesture();
    } else if (paint_.selecting.active) {
        if (held)
            SetSelection(CellRect::Spanning(paint_.selecting.anchor, ClampToRoom(CellUnder(x, y))));
        else
            EndPaintGesture();
    }
}

void frmQuorvan::picEditor_MouseUp(int button, int, int, int)
{
    if (button == kLeftButton)
        EndPaintGesture();
}

void frmQuorvan::picEditor_MouseLeave()
{
    if (PastePending())
        MovePaste(std::nullopt);
}

void frmQuorvan::PickFromLevel(int x, int y)
{
    int column = 0;
    int row = 0;
    if (!CanEditRoom() || !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    const std::int64_t offset =
        RoomCellOffset(document_.currentStageInfo(), hLevel_Frames_->value(), row, column);
    // A cell past the end of the image holds no block to pick.
    if (!document_.image().contains(offset))
        return;
    const int block = document_.image().at(offset);
    SelectBlock(block);
    // The table turns to the block's page; its redraw frames the block.
    hsTable_->setValue(block / kTablePageBlocks);
}

void frmQuorvan::FillAt(int x, int y)
{
    const int block = SelectedBlock();
    int column = 0;
    int row = 0;
    if (block < 0 || !CanEditRoom() || !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    const RoomBlocks blocks = ReadRoomBlocks(document_.image(), document_.currentStageInfo(), hLevel_Frames_->value());
    const CellPos start{column, row};
    const int here = blocks[static_cast<std::size_t>(row * kRoomColumns + column)];
    if (here < 0) {
        MsgBox(this, QStringLiteral("This cell lies past the end of the image: there is nothing to fill."),
               QStringLiteral("Fill"), QMessageBox::Ok, MsgIcon::Exclamation);
        return;
    }
    if (here == block)
        return; // the area holds the block already
    std::vector<CellWrite> writes;
    for (const CellPos cell : FillArea(blocks, start))
        writes.push_back({cell, static_cast<std::uint8_t>(block)});
    WriteRoomEdit(writes, QStringLiteral("Fill"));
}

bool frmQuorvan::WriteRoomEdit(const std::vector<CellWrite>& writes, const QString& name)
{
    const int room = hLevel_Frames_->value();
    RoomWriteResult result;
    {
        EditStep step(document_.history(), name, RoomPlace());
        result = WriteRoomCells(document_.image(), document_.currentStageInfo(), room, writes);
    }
    if (!result.ok()) {
        const QString of = result.outside == 1 ? QStringLiteral("1 of the %1 cells lies").arg(writes.size())
                                               : QStringLiteral("%1 of the %2 cells lie").arg(result.outside).arg(writes.size());
        MsgBox(this,
               QStringLiteral("Nothing was written: %1 past the end of the image (room %2 of stage %3 does not fit "
                              "in it).")
                   .arg(of, RoomText(room).mid(6))
                   .arg(document_.currentStage() + 1),
               name, QMessageBox::Ok, MsgIcon::Exclamation);
        return false;
    }
    if (result.written > 0)
        DrawLevel();
    return true;
}

std::optional<CellRect> frmQuorvan::ShownSelection() const
{
    const PaintState::Selection& selection = paint_.selection;
    if (selection.rect.empty() || !CanEditRoom() || selection.stage != document_.currentStage() ||
        selection.room != hLevel_Frames_->value())
        return std::nullopt;
    return selection.rect;
}

QRect frmQuorvan::CellSelection() const
{
    const std::optional<CellRect> rect = ShownSelection();
    return rect ? QRect(rect->column, rect->row, rect->columns, rect->rows) : QRect();
}

void frmQuorvan::BeginCellSelection(int x, int y)
{
    if (!CanEditRoom())
        return;
    const CellPos anchor = ClampToRoom(CellUnder(x, y));
    paint_.selecting = {true, anchor};
    SetSelection(CellRect::Spanning(anchor, anchor));
}

void frmQuorvan::SetSelection(const CellRect& rect)
{
    const PaintState::Selection next{document_.currentStage(), hLevel_Frames_->value(), rect.intersected(kWholeRoom)};
    if (next.rect == paint_.selection.rect && next.stage == paint_.selection.stage &&
        next.room == paint_.selection.room)
        return;
    paint_.selection = next;
    DrawLevel();
    UpdatePaintMenus();
}

void frmQuorvan::ClearSelection()
{
    if (paint_.selection.rect.empty())
        return;
    const bool shown = ShownSelection().has_value();
    paint_.selection = {};
    if (shown)
        DrawLevel();
    UpdatePaintMenus();
}

} // namespace quorvan
