// Seeing the level: what lies under the pointer (status panel 3), where the
// selected block is used (View > Highlight Uses, Edit > Find Next Use), which
// cells changed since the image was opened (View > Show Changes), and the
// stage overview's menu item. Nothing here writes to the image.

#include "ui/main/frmQuorvan.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"
#include "ui/overview/frmStageOverview.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace quorvan {

using namespace view;

namespace {

QAction* NewCheckItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setCheckable(true);
    action->setEnabled(false);
    menu->addAction(action);
    return action;
}

// Keys of the hover text: a cell of a room, or a block of the table.
constexpr int kTableKeyBase = 256 * kRoomCells;

} // namespace

void frmQuorvan::CreateInsightMenus()
{
    // At the bottom of "&View", after the grids.
    ViewFiller1_ = mnuView_->addSeparator();
    ViewFiller1_->setObjectName(QStringLiteral("ViewFiller1"));
    mnuStageOverview_ = NewCheckItem(mnuView_, QStringLiteral("mnuStageOverview"), QStringLiteral("Stage &Overview"));
    mnuHighlightUses_ = NewCheckItem(mnuView_, QStringLiteral("mnuHighlightUses"), QStringLiteral("&Highlight Uses"));
    mnuShowChanges_ = NewCheckItem(mnuView_, QStringLiteral("mnuShowChanges"), QStringLiteral("Show &Changes"));

    // In "&Edit", a group of its own after the editors.
    mnuFindNextUse_ = new QAction(QStringLiteral("Find &Next Use"), mnuEdit_);
    mnuFindNextUse_->setObjectName(QStringLiteral("mnuFindNextUse"));
    mnuFindNextUse_->setEnabled(false);
    mnuFindNextUse_->setShortcut(QKeySequence(Qt::Key_F3));
    // F3 works from the tool windows too, the overview above all.
    mnuFindNextUse_->setShortcutContext(Qt::ApplicationShortcut);
    QAction* before = EditFiller1_ != nullptr && mnuEdit_->actions().contains(EditFiller1_) ? EditFiller1_ : nullptr;
    EditFiller3_ = mnuEdit_->insertSeparator(before);
    EditFiller3_->setObjectName(QStringLiteral("EditFiller3"));
    mnuEdit_->insertAction(before, mnuFindNextUse_);
}

void frmQuorvan::ConnectInsight()
{
    insightTimer_ = new QTimer(this);
    insightTimer_->setSingleShot(true);
    insightTimer_->setInterval(0);
    connect(insightTimer_, &QTimer::timeout, this, &frmQuorvan::Insight_Update);

    // Qt has already toggled a check item when triggered() arrives; the
    // handlers decide from the mark as it was and set it themselves.
    const auto connectCheckItem = [this](QAction* item, void (frmQuorvan::*handler)()) {
        connect(item, &QAction::triggered, this, [this, item, handler](bool checked) {
            item->setChecked(!checked);
            (this->*handler)();
        });
    };
    connectCheckItem(mnuStageOverview_, &frmQuorvan::mnuStageOverview_Click);
    connectCheckItem(mnuHighlightUses_, &frmQuorvan::mnuHighlightUses_Click);
    connectCheckItem(mnuShowChanges_, &frmQuorvan::mnuShowChanges_Click);
    connect(mnuFindNextUse_, &QAction::triggered, this, &frmQuorvan::mnuFindNextUse_Click);

    // The hover texts follow the pointer without a button held.
    picEditor_->setMouseTracking(true);
    picTile_->setMouseTracking(true);
    connect(picEditor_, &PictureBox::mouseMove, this, &frmQuorvan::Hover_LevelMove);
    connect(picTile_, &PictureBox::mouseMove, this, &frmQuorvan::picTile_MouseMove);
    connect(picEditor_, &PictureBox::mouseLeave, this, [this] {
        if (hover_.view == HoverView::Level)
            Hover_Leave();
    });
    connect(picTile_, &PictureBox::mouseLeave, this, [this] {
        if (hover_.view == HoverView::Table)
            Hover_Leave();
    });
    // Connected after the picking handler: the selection is already made.
    connect(picTile_, &PictureBox::mouseDown, this, &frmQuorvan::Insight_SelectionChanged);

    connect(hLevel_Frames_, &QScrollBar::valueChanged, this, [this](int room) {
        if (frmStageOverview* overview = StageOverview(false))
            overview->SetCurrentRoom(room);
        hover_.key = -1;
        Hover_Refresh();
    });
    const auto pageChanged = [this] {
        hover_.key = -1;
        Hover_Refresh();
    };
    connect(hsTable_, &QScrollBar::valueChanged, this, pageChanged);
    connect(hsTable_, &QScrollBar::sliderMoved, this, pageChanged);

    connect(&document_, &RomDocument::bytesChanged, this, &frmQuorvan::Insight_BytesChanged);
    connect(&document_, &RomDocument::imageReplaced, this, &frmQuorvan::Insight_ImageReplaced);
}

MarkOptions frmQuorvan::CurrentMarkOptions() const
{
    MarkOptions options;
    options.changes = mnuShowChanges_->isChecked();
    options.usesOf = mnuHighlightUses_->isChecked() ? SelectedBlock() : -1;
    options.found = found_;
    return options;
}

void frmQuorvan::SyncStageOverview()
{
    frmStageOverview* overview = StageOverview(false);
    if (overview == nullptr)
        return;
    if (!document_.isOpen() || !StageChosen())
        overview->ClearStage();
    else if (overview->stage() != document_.currentStage())
        overview->ShowStage();
    overview->SetCurrentRoom(hLevel_Frames_->value());
    overview->SetMarks(CurrentMarkOptions());
}

void frmQuorvan::Insight_StageChosen()
{
    for (QAction* item : {mnuStageOverview_, mnuHighlightUses_, mnuShowChanges_, mnuFindNextUse_})
        item->setEnabled(true);
    // The search starts again in the new stage; the views are drawn after this.
    found_.reset();
    changedCells_.reset();
    if (frmStageOverview* overview = StageOverview(false))
        overview->ShowStage();
    SyncStageOverview();
    hoverStale_ = true;
    insightTimer_->start();
}

void frmQuorvan::Insight_ImageReplaced()
{
    changedCells_.reset();
    hoverStale_ = true;
    insightTimer_->start();
    // The cell found last belongs to the image that was open; the views were
    // redrawn with its outline before this, so once more without it.
    if (found_) {
        found_.reset();
        DrawLevel();
    }
    SyncStageOverview();
}

void frmQuorvan::Insight_BytesChanged(qint64 offset, qint64 length)
{
    // One call per byte of an edit: only note what changed, and look once
    // control is back in the event loop.
    if (hover_.view != HoverView::None)
        hoverStale_ = true;
    if (document_.isOpen() && StageChosen() && length > 0) {
        const std::int64_t first = RoomCellOffset(document_.currentStageInfo(), hLevel_Frames_->value(), 0, 0);
        const std::int64_t from = std::max<std::int64_t>(offset, first);
        const std::int64_t to = std::min<std::int64_t>(offset + length, first + kRoomCells);
        for (std::int64_t at = from; at < to; ++at)
            changedCells_.set(static_cast<std::size_t>(at - first));
    }
    if ((hoverStale_ || changedCells_.any()) && !insightTimer_->isActive())
        insightTimer_->start();
}

void frmQuorvan::Insight_Update()
{
    if (changedCells_.any())
        RedrawChangedCells();
    if (hoverStale_) {
        hoverStale_ = false;
        hover_.key = -1;
        Hover_Refresh();
    }
}

void frmQuorvan::Insight_SelectionChanged()
{
    const MarkOptions options = CurrentMarkOptions();
    if (options.usesOf == highlightedBlock_)
        return;
    DrawLevel();
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(options);
}

void frmQuorvan::mnuStageOverview_Click()
{
    if (mnuStageOverview_->isChecked()) {
        if (frmStageOverview* overview = StageOverview(false))
            overview->hide();
    } else {
        frmStageOverview* overview = StageOverview();
        SyncStageOverview();
        overview->show();
    }
    mnuStageOverview_->setChecked(!mnuStageOverview_->isChecked());
}

void frmQuorvan::mnuHighlightUses_Click()
{
    mnuHighlightUses_->setChecked(!mnuHighlightUses_->isChecked());
    DrawLevel(); // draws the outlines, or covers them
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(CurrentMarkOptions());
}

void frmQuorvan::mnuShowChanges_Click()
{
    mnuShowChanges_->setChecked(!mnuShowChanges_->isChecked());
    DrawLevel();
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(CurrentMarkOptions());
}

void frmQuorvan::mnuFindNextUse_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr || !document_.isOpen() || !StageChosen())
        return;
    const int block = SelectedBlock();
    if (block < 0) {
        ShowPanel3(InfoText().Add("No block selected"));
        return;
    }
    const int room = hLevel_Frames_->value();
    // After the cell found last while its room is shown; else from the room's first cell.
    const int from = found_ && found_->room == room ? found_->index() + 1 : CellPosition{room, 0, 0}.index();
    const std::span<const std::uint8_t> image = document_.image().bytes();
    const std::optional<CellPosition> next = FindUse(image, document_.currentStageInfo(), block, from);
    const bool hadFound = found_.has_value();
    found_ = next;
    if (!next) {
        if (hadFound)
            DrawLevel(); // the old outline goes
        ShowPanel3(InfoText().Add("Not used in this stage"));
    } else if (next->room != room) {
        hLevel_Frames_->setValue(next->room); // draws the room, as the scroll bar would
    } else {
        DrawLevel();
    }
    if (frmStageOverview* overview = StageOverview(false))
        overview->SetMarks(CurrentMarkOptions());
    if (next)
        ShowPanel3(RoomCellInfo(image, document_.currentStageInfo(), next->room, next->row, next->column));
}

void frmQuorvan::Hover_LevelMove(int, int, int x, int y)
{
    hover_.view = HoverView::Level;
    hover_.x = x;
    hover_.y = y;
    Hover_Refresh();
}

void frmQuorvan::picTile_MouseMove(int, int, int x, int y)
{
    hover_.view = HoverView::Table;
    hover_.x = x;
    hover_.y = y;
    Hover_Refresh();
}

void frmQuorvan::Hover_Leave()
{
    hover_.view = HoverView::None;
    hover_.key = -1;
    ShowPanel3(InfoText());
}

void frmQuorvan::Hover_Refresh()
{
    if (hover_.view == HoverView::None)
        return;
    int column = 0;
    int row = 0;
    const bool level = hover_.view == HoverView::Level;
    const bool inside = level ? CellAt(hover_.x, hover_.y, kRoomColumns, kRoomRows, column, row)
                              : CellAt(hover_.x, hover_.y, kTablePageColumns, kTablePageRows, column, row);
    if (!inside || !document_.isOpen() || !StageChosen()) {
        hover_.key = -1;
        ShowPanel3(InfoText());
        return;
    }
    // Most moves stay in one cell: nothing is built for them.
    const std::span<const std::uint8_t> image = document_.image().bytes();
    const StageInfo& stage = document_.currentStageInfo();
    if (level) {
        const CellPosition cell{hLevel_Frames_->value(), row, column};
        if (cell.index() == hover_.key)
            return;
        hover_.key = cell.index();
        ShowPanel3(RoomCellInfo(image, stage, cell.room, cell.row, cell.column));
    } else {
        const int block = TablePage() * kTablePageBlocks + row * kTablePageColumns + column;
        if (kTableKeyBase + block == hover_.key)
            return;
        hover_.key = kTableKeyBase + block;
        ShowPanel3(BlockInfo(image, stage, block, CountUses(image, stage, block)));
    }
}

void frmQuorvan::ShowPanel3(const InfoText& text)
{
    // Only a new text reaches the label (and allocates).
    if (text == hover_.shown)
        return;
    hover_.shown = text;
    panel3_->setText(text.toQString());
}

} // namespace quorvan
