#include "ui/overview/frmStageOverview.h"

#include "data/RomDocument.h"
#include "graphics/RoomDependencies.h"
#include "ui/overview/StageOverviewGrid.h"

#include <QCloseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvan {

namespace {

// Two thumbnails across and about two and a half down: beside the main window
// on a 1280-pixel screen, and enough to see how rooms follow one another.
constexpr int kDefaultColumns = 2;
constexpr int kDefaultHeight = 560;

} // namespace

frmStageOverview::frmStageOverview(RomDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      document_(document)
{
    setObjectName(QStringLiteral("frmStageOverview"));
    setWindowTitle(QStringLiteral("Stage Overview"));
    CreateWidgets();
    ConnectWidgets();
}

void frmStageOverview::CreateWidgets()
{
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrollOverview"));
    // The grid takes the viewport's width and decides its height from it; the
    // vertical bar is always there so that showing it never changes that width,
    // and the window is never narrower than one thumbnail, so there is nothing
    // to scroll sideways.
    scroll_->setWidgetResizable(false);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_ = new StageOverviewGrid(document_, scroll_);
    scroll_->setWidget(grid_);
    // The grid's columns follow the width it is shown in.
    scroll_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    const auto widthFor = [this](int columns) {
        return 2 * StageOverviewGrid::kMargin + columns * StageOverviewGrid::kPitchX - StageOverviewGrid::kGap +
               scroll_->verticalScrollBar()->sizeHint().width() + 2 * scroll_->frameWidth();
    };
    resize(widthFor(kDefaultColumns), kDefaultHeight);
    setMinimumSize(widthFor(1), StageOverviewGrid::kPitchY);

}

void frmStageOverview::ConnectWidgets()
{
    connect(grid_, &StageOverviewGrid::roomClicked, this, &frmStageOverview::roomChosen);
    connect(&document_, &RomDocument::changed, this, &frmStageOverview::Document_Changed);
}

void frmStageOverview::ShowStage()
{
    staleWhileHidden_ = false;
    const int rooms = document_.isOpen() ? StageRoomCount(document_.currentStageInfo(), document_.image().bytes()) : 0;
    grid_->SetStage(document_.currentStage(), rooms);
    LayOutGrid();
}

void frmStageOverview::ClearStage()
{
    staleWhileHidden_ = false;
    grid_->ClearStage();
    LayOutGrid();
}

int frmStageOverview::stage() const
{
    return grid_->stage();
}

int frmStageOverview::roomCount() const
{
    return grid_->roomCount();
}

void frmStageOverview::SetCurrentRoom(int room)
{
    grid_->SetCurrentRoom(room);
    if (grid_->currentRoom() >= 0 && isVisible()) {
        const QRect thumb = grid_->ThumbnailRect(grid_->currentRoom());
        scroll_->ensureVisible(thumb.center().x(), thumb.center().y(), thumb.width() / 2 + StageOverviewGrid::kGap,
                               thumb.height() / 2 + StageOverviewGrid::kLabelHeight + StageOverviewGrid::kGap);
    }
}

int frmStageOverview::currentRoom() const
{
    return grid_->currentRoom();
}

void frmStageOverview::SetMarks(const MarkOptions& options)
{
    grid_->SetMarks(options);
}

const QImage& frmStageOverview::Thumbnail(int room)
{
    document_.FlushChanges();
    return grid_->Thumbnail(room);
}

QRect frmStageOverview::ThumbnailRect(int room) const
{
    return grid_->ThumbnailRect(room);
}

void frmStageOverview::Document_Changed(const DocumentChange& change)
{
    if (change.replaced) {
        Document_ImageReplaced();
        return;
    }
    if (grid_->stage() < 0 || !document_.isOpen())
        return;
    if (!isVisible()) {
        // Nothing is shown: remember only that everything must be looked at again.
        staleWhileHidden_ = true;
        return;
    }
    const StageSource source{document_.image().bytes(), document_.stages(), grid_->stage()};
    if (RoomListTouched(source, change.bytes)) {
        const int rooms = StageRoomCount(document_.stages()[static_cast<std::size_t>(grid_->stage())],
                                         document_.image().bytes());
        if (rooms != grid_->roomCount()) {
            grid_->SetRoomCount(rooms);
            LayOutGrid();
        }
    }
    // A room with a few changed cells has just those composed again; one with
    // many, the whole thumbnail.
    constexpr std::size_t kMostCellsAlone = 48;
    const BlockSet blocks = TouchedBlocks(source, change.bytes);
    const RoomSet touched = TouchedRooms(source, grid_->roomCount() - 1, change.bytes);
    RoomSet whole;
    QList<int> redrawn;
    for (int room = 0; room < grid_->roomCount(); ++room) {
        if (!touched.test(static_cast<std::size_t>(room)))
            continue;
        const RoomCells cells = TouchedCells(source, room, change.bytes, blocks);
        if (cells.count() > kMostCellsAlone)
            whole.set(static_cast<std::size_t>(room));
        else if (grid_->RedrawCells(room, cells))
            redrawn.append(room);
    }
    redrawn += grid_->Redraw(whole);
    std::sort(redrawn.begin(), redrawn.end());
    if (!redrawn.isEmpty())
        emit thumbnailsRedrawn(redrawn);
}

void frmStageOverview::ApplyPendingChanges()
{
    document_.FlushChanges();
}

void frmStageOverview::Document_ImageReplaced()
{
    // Another image (or none): every room, and perhaps how many there are.
    if (grid_->stage() < 0)
        return;
    if (!document_.isOpen()) {
        ClearStage();
        return;
    }
    staleWhileHidden_ = false;
    grid_->SetStage(grid_->stage(), StageRoomCount(document_.stages()[static_cast<std::size_t>(grid_->stage())],
                                                   document_.image().bytes()));
    LayOutGrid();
}

void frmStageOverview::LayOutGrid()
{
    grid_->LayOut(scroll_->viewport()->width());
}

void frmStageOverview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (staleWhileHidden_ && grid_->stage() >= 0) {
        staleWhileHidden_ = false;
        const int rooms = StageRoomCount(document_.stages()[static_cast<std::size_t>(grid_->stage())],
                                         document_.image().bytes());
        grid_->SetRoomCount(rooms);
        grid_->DropAll();
    }
    LayOutGrid();
    SetCurrentRoom(grid_->currentRoom());
}

bool frmStageOverview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        LayOutGrid();
    return QWidget::eventFilter(watched, event);
}

void frmStageOverview::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; its thumbnails are kept for the next show.
    event->ignore();
    hide();
    emit closed();
}

} // namespace quorvan
