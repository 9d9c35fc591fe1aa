#include "ui/main/LevelInsight.h"

#include "data/RomDocument.h"
#include "graphics/RoomMarks.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"
#include "ui/main/ViewState.h"

#include <QImage>
#include <QLabel>

namespace quorvan {

using namespace view;

namespace {

// Keys of the texts: a cell of a room, or a block of the table.
constexpr int kTableKeyBase = 256 * kRoomCells;

} // namespace

LevelInsight::LevelInsight(RomDocument& document, const ViewState& view, QLabel& panel)
    : QObject(&panel), document_(document), view_(view), panel_(panel)
{
    connect(&document_, &RomDocument::changed, this, &LevelInsight::Document_Changed);
}

void LevelInsight::Watch(PictureBox& level, PictureBox& table)
{
    for (const std::pair<PictureBox*, Over>& watched : {std::pair{&level, Over::Level}, std::pair{&table, Over::Table}}) {
        PictureBox* picture = watched.first;
        const Over over = watched.second;
        picture->setMouseTracking(true);
        connect(picture, &PictureBox::mouseMove, this, [this, over](int, int, int x, int y) { PointerAt(over, x, y); });
        connect(picture, &PictureBox::mouseLeave, this, [this, over] { PointerLeft(over); });
    }
}

void LevelInsight::PointerAt(Over over, int x, int y)
{
    over_ = over;
    x_ = x;
    y_ = y;
    Refresh();
}

void LevelInsight::PointerLeft(Over over)
{
    if (over != over_)
        return;
    over_ = Over::Nothing;
    key_ = -1;
    Show(InfoText());
    Refresh(); // the selection's text, if there is one
}

void LevelInsight::ViewChanged()
{
    key_ = -1;
    Refresh();
}

void LevelInsight::StartOver()
{
    found_.reset();
    ViewChanged();
}

void LevelInsight::Document_Changed(const DocumentChange& change)
{
    // The cell found last belongs to the image that was open.
    if (change.replaced)
        found_.reset();
    ViewChanged();
}

void LevelInsight::Refresh()
{
    const std::optional<CellRect> selected = selection_ ? selection_() : std::nullopt;
    if (selected && over_ != Over::Table) {
        showingSelection_ = true;
        key_ = -1;
        Show(SelectionInfo(selected->columns, selected->rows, selected->column, selected->row));
        return;
    }
    if (showingSelection_ && over_ == Over::Nothing)
        Show(InfoText());
    showingSelection_ = false;
    if (over_ == Over::Nothing)
        return;
    int column = 0;
    int row = 0;
    const bool level = over_ == Over::Level;
    const bool inside = level ? CellAt(x_, y_, kRoomColumns, kRoomRows, column, row)
                              : CellAt(x_, y_, kTablePageColumns, kTablePageRows, column, row);
    if (!inside || !document_.isOpen() || !view_.stageChosen) {
        key_ = -1;
        Show(InfoText());
        return;
    }
    // Most moves stay in one cell: nothing is built for them.
    const std::span<const std::uint8_t> image = document_.image().bytes();
    const StageInfo& stage = document_.currentStageInfo();
    if (level) {
        const CellPosition cell{view_.room, row, column};
        if (cell.index() == key_)
            return;
        key_ = cell.index();
        Show(RoomCellInfo(image, stage, cell.room, cell.row, cell.column));
    } else {
        const int block = view_.page * kTablePageBlocks + row * kTablePageColumns + column;
        if (kTableKeyBase + block == key_)
            return;
        key_ = kTableKeyBase + block;
        Show(BlockInfo(image, stage, block, CountUses(image, stage, block)));
    }
}

void LevelInsight::Show(const InfoText& text)
{
    // Only a new text reaches the label (and allocates).
    if (text == shown_)
        return;
    shown_ = text;
    panel_.setText(text.toQString());
}

std::optional<CellPosition> LevelInsight::FindNextUse()
{
    if (!document_.isOpen() || !view_.stageChosen)
        return std::nullopt;
    if (!view_.blockSelected()) {
        Show(InfoText().Add("No block selected"));
        return std::nullopt;
    }
    const int from = found_ && found_->room == view_.room ? found_->index() + 1 : CellPosition{view_.room, 0, 0}.index();
    found_ = FindUse(document_.image().bytes(), document_.currentStageInfo(), view_.selectedBlock, from);
    return found_;
}

void LevelInsight::SayFound()
{
    if (!document_.isOpen() || !view_.stageChosen || !view_.blockSelected())
        return;
    key_ = -1; // the next move over the view says what is under the pointer again
    if (found_)
        Show(RoomCellInfo(document_.image().bytes(), document_.currentStageInfo(), found_->room, found_->row,
                          found_->column));
    else
        Show(InfoText().Add("Not used in this stage"));
}

MarkOptions LevelInsight::Marks() const
{
    MarkOptions options;
    options.changes = view_.showChanges;
    options.usesOf = view_.highlightUses ? view_.selectedBlock : -1;
    options.found = found_;
    return options;
}

void LevelInsight::DrawOver(QImage& view)
{
    const MarkOptions options = Marks();
    const bool any = options.changes || options.usesOf >= 0 || (options.found && options.found->room == view_.room);
    if (!any || !document_.isOpen() || !view_.stageChosen)
        return;
    const RoomMarks marks = MarksOfRoom(document_.image().bytes(), document_.openedBytes(),
                                        document_.currentStageInfo(), view_.room, options);
    DrawRoomMarks(ViewOf(view), 0, 0, kBlockScale, marks);
}

} // namespace quorvan
