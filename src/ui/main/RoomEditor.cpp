// The gestures on the room: strokes of the selected block, picking the block
// under the pointer, filling an area, selecting cells (RoomEditor.h).

#include "ui/main/RoomEditor.h"

#include "data/EditHistory.h"
#include "data/Level.h"
#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"
#include "ui/main/ViewState.h"

#include <QGuiApplication>
#include <QWindow>


namespace quorvan {

using namespace view;


RoomEditor::RoomEditor(RomDocument& document, const ViewState& view, PictureBox& picture, QWidget* dialogs)
    : QObject(&picture), document_(document), view_(view), picture_(picture), dialogs_(dialogs)
{
    // The press is the window's to hand over (picEditor_MouseDown); the rest of a gesture comes here.
    connect(&picture_, &PictureBox::mouseMove, this, &RoomEditor::MouseMove);
    connect(&picture_, &PictureBox::mouseUp, this, [this](int button, int, int, int) { MouseUp(button); });
    connect(&picture_, &PictureBox::mouseLeave, this, &RoomEditor::MouseLeave);
    // Another window took the keyboard in the middle of a drag: its release
    // may never come, and edits made there are no part of the stroke.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &RoomEditor::EndGesture);
}

bool RoomEditor::CanEditRoom() const
{
    return document_.isOpen() && !document_.fileName().isEmpty() && view_.stageChosen;
}

EditPlace RoomEditor::RoomPlace() const
{
    return {document_.currentStage(), view_.room, -1};
}

void RoomEditor::Refuse(const QString& text, const QString& title)
{
    MsgBox(dialogs_, text, title, QMessageBox::Ok, MsgIcon::Exclamation);
}

void RoomEditor::MouseDown(int button, int shift, int x, int y)
{
    // A press while a gesture is under way means its release went elsewhere
    // (another window took the mouse): that gesture ends here.
    EndGesture();
    if (button == kRightButton) {
        PickAt(x, y);
        return;
    }
    if (button != kLeftButton)
        return;
    if (PastePending()) {
        PlacePaste(CellUnder(x, y));
        return;
    }
    // A click outside the selected cells only clears them; Shift starts another.
    if (const std::optional<CellRect> shown = ShownSelection(); shown && !shown->contains(CellUnder(x, y))) {
        ClearSelection();
        if ((shift & kShiftKey) == 0)
            return;
    }
    if ((shift & kShiftKey) != 0)
        BeginSelecting(x, y);
    else if ((shift & kCtrlKey) != 0)
        FillAt(x, y);
    else
        BeginStroke(x, y);
}

void RoomEditor::MouseMove(int buttons, int, int x, int y)
{
    if (PastePending()) {
        const bool inside = x >= 0 && y >= 0 && x < picture_.width() && y < picture_.height();
        MovePaste(inside ? std::optional<CellPos>(CellUnder(x, y)) : std::nullopt);
    }
    // A move without the left button while a gesture is under way: its release went elsewhere.
    const bool held = (buttons & kLeftButton) != 0;
    if (stroke_.active) {
        if (held)
            ContinueStroke(CellUnder(x, y));
        else
            EndGesture();
    } else if (selecting_.active) {
        if (held)
            SetSelection(CellRect::Spanning(selecting_.anchor, ClampToRoom(CellUnder(x, y))));
        else
            EndGesture();
    }
}

void RoomEditor::MouseUp(int button)
{
    if (button == kLeftButton)
        EndGesture();
}

void RoomEditor::MouseLeave()
{
    if (PastePending())
        MovePaste(std::nullopt);
}

void RoomEditor::BeginStroke(int x, int y)
{
    int column = 0;
    int row = 0;
    if (!view_.blockSelected() || !CanEditRoom() || !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    stroke_ = {};
    stroke_.active = true;
    stroke_.block = view_.selectedBlock;
    stroke_.stage = document_.currentStage();
    stroke_.room = view_.room;
    stroke_.last = {column, row};
    document_.history().BeginStep(QStringLiteral("Place Block"), RoomPlace());
    PaintStrokeCells({stroke_.last});
}

void RoomEditor::ContinueStroke(CellPos to)
{
    if (to == stroke_.last)
        return;
    const std::vector<CellPos> line = LineCellsAfter(stroke_.last, to);
    stroke_.last = to;
    if (!stroke_.moved) {
        stroke_.moved = true;
        document_.history().NameStep(QStringLiteral("Paint"), RoomPlace());
    }
    PaintStrokeCells(line);
}

void RoomEditor::PaintStrokeCells(const std::vector<CellPos>& cells)
{
    // The stroke belongs to the room it began in; the view has moved on.
    if (stroke_.stage != document_.currentStage() || stroke_.room != view_.room) {
        EndGesture();
        return;
    }
    RomBuffer& image = document_.image();
    const StageInfo& stage = document_.currentStageInfo();
    const auto block = static_cast<std::uint8_t>(stroke_.block);
    int outside = 0;
    for (const CellPos cell : cells) {
        if (!kWholeRoom.contains(cell))
            continue;
        const std::int64_t offset = RoomCellOffset(stage, stroke_.room, cell.row, cell.column);
        // A cell past the end of the image has nowhere to go: nothing is written.
        if (!image.contains(offset))
            ++outside;
        else
            image.write(offset, block);
    }
    // Said once per stroke, and not in a box: the user may still be dragging.
    if (outside > 0 && !stroke_.skippedOutside) {
        stroke_.skippedOutside = true;
        emit note(QStringLiteral("Not painted: cells of room %1 that lie past the end of the image.")
                      .arg(RoomText(stroke_.room).mid(6)));
    }
}

void RoomEditor::EndGesture()
{
    selecting_.active = false;
    if (!stroke_.active)
        return;
    stroke_.active = false;
    document_.history().EndStep();
}

void RoomEditor::PickAt(int x, int y)
{
    int column = 0;
    int row = 0;
    if (!CanEditRoom() || !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    const std::int64_t offset = RoomCellOffset(document_.currentStageInfo(), view_.room, row, column);
    // A cell past the end of the image holds no block to pick.
    if (document_.image().contains(offset))
        emit blockPicked(document_.image().at(offset));
}

void RoomEditor::FillAt(int x, int y)
{
    int column = 0;
    int row = 0;
    if (!view_.blockSelected() || !CanEditRoom() || !CellAt(x, y, kRoomColumns, kRoomRows, column, row))
        return;
    const RoomBlocks blocks = ReadRoomBlocks(document_.image(), document_.currentStageInfo(), view_.room);
    const int here = blocks[static_cast<std::size_t>(row * kRoomColumns + column)];
    if (here < 0) {
        Refuse(QStringLiteral("This cell lies past the end of the image: there is nothing to fill."),
               QStringLiteral("Fill"));
        return;
    }
    if (here == view_.selectedBlock)
        return; // the area holds the block already
    std::vector<CellWrite> writes;
    for (const CellPos cell : FillArea(blocks, {column, row}))
        writes.push_back({cell, static_cast<std::uint8_t>(view_.selectedBlock)});
    WriteRoomEdit(writes, QStringLiteral("Fill"));
}

bool RoomEditor::WriteRoomEdit(const std::vector<CellWrite>& writes, const QString& name)
{
    RoomWriteResult result;
    {
        EditStep step(document_.history(), name, RoomPlace());
        result = WriteRoomCells(document_.image(), document_.currentStageInfo(), view_.room, writes);
    }
    if (result.ok())
        return true;
    const QString of = result.outside == 1
                           ? QStringLiteral("1 of the %1 cells lies").arg(writes.size())
                           : QStringLiteral("%1 of the %2 cells lie").arg(result.outside).arg(writes.size());
    Refuse(QStringLiteral("Nothing was written: %1 past the end of the image (room %2 of stage %3 does not fit in it).")
               .arg(of, RoomText(view_.room).mid(6))
               .arg(document_.currentStage() + 1),
           name);
    return false;
}

std::optional<CellRect> RoomEditor::ShownSelection() const
{
    if (selection_.rect.empty() || !CanEditRoom() || selection_.stage != document_.currentStage() ||
        selection_.room != view_.room)
        return std::nullopt;
    return selection_.rect;
}

RoomEditor::Abilities RoomEditor::Can() const
{
    const bool room = CanEditRoom();
    const bool selected = ShownSelection().has_value();
    const bool block = view_.blockSelected();
    return {selected, selected && block, selected && block, room, room, selected};
}

void RoomEditor::BeginSelecting(int x, int y)
{
    if (!CanEditRoom())
        return;
    const CellPos anchor = ClampToRoom(CellUnder(x, y));
    selecting_ = {true, anchor};
    SetSelection(CellRect::Spanning(anchor, anchor));
}

void RoomEditor::SetSelection(const CellRect& rect)
{
    const Selection next{document_.currentStage(), view_.room, rect.intersected(kWholeRoom)};
    if (next.rect == selection_.rect && next.stage == selection_.stage && next.room == selection_.room)
        return;
    selection_ = next;
    emit layerChanged();
    emit abilitiesChanged();
}

void RoomEditor::ClearSelection()
{
    if (selection_.rect.empty())
        return;
    const bool shown = ShownSelection().has_value();
    selection_ = {};
    if (shown)
        emit layerChanged();
    emit abilitiesChanged();
}

void RoomEditor::ViewMoved()
{
    EndGesture();
    if (!ShownSelection())
        selection_ = {};
    emit abilitiesChanged();
}

void RoomEditor::ImageReplaced()
{
    const bool shown = ShownSelection().has_value();
    selection_ = {};
    ViewMoved();
    if (shown)
        emit layerChanged();
}

bool RoomEditor::Cancel()
{
    if (PastePending()) {
        EndPaste();
        return true;
    }
    if (selection_.rect.empty())
        return false;
    ClearSelection();
    return true;
}

} // namespace quorvan
