#include "ui/overview/StageOverviewGrid.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "graphics/NesColours.h"
#include "graphics/RoomMarks.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace quorvan {

StageOverviewGrid::StageOverviewGrid(RomDocument& document, QWidget* parent) : QWidget(parent), document_(document)
{
    setObjectName(QStringLiteral("picOverview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    LayOut(kMargin * 2 + kPitchX);
}

void StageOverviewGrid::SetStage(int stage, int rooms)
{
    stage_ = stage;
    // The pictures' buffers are kept for the next compose; none is up to date.
    const auto count = static_cast<std::size_t>(std::clamp(rooms, 0, 256));
    thumbnails_.resize(count);
    fresh_.assign(count, false);
    current_ = std::min(current_, roomCount() - 1);
    LayOut(width());
    update();
}

void StageOverviewGrid::SetRoomCount(int rooms)
{
    const auto count = static_cast<std::size_t>(std::clamp(rooms, 0, 256));
    thumbnails_.resize(count);
    fresh_.resize(count, false);
    current_ = std::min(current_, roomCount() - 1);
    LayOut(width());
    update();
}

void StageOverviewGrid::DropAll()
{
    std::fill(fresh_.begin(), fresh_.end(), false);
    update();
}

bool StageOverviewGrid::composed(int room) const
{
    return room >= 0 && room < roomCount() && fresh_[static_cast<std::size_t>(room)];
}

void StageOverviewGrid::Compose(int room)
{
    RenderFaults faults; // a faulty cell shows in the fault colour; the level view reports it
    QImage& thumbnail = thumbnails_[static_cast<std::size_t>(room)];
    // Into the buffer the room had: a new one of this size costs more than the
    // drawing (fresh pages of memory).
    if (thumbnail.size() != QSize(kThumbWidth, kThumbHeight) || thumbnail.format() != QImage::Format_RGB32)
        thumbnail = QImage(kThumbWidth, kThumbHeight, QImage::Format_RGB32);
    ComposeRoom(thumbnail, {document_.image().bytes(), document_.stages(), stage_}, room, 1, faults);
    fresh_[static_cast<std::size_t>(room)] = true;
}

QList<int> StageOverviewGrid::Redraw(const RoomSet& rooms)
{
    QList<int> composedNow;
    for (int room = 0; room < roomCount(); ++room) {
        if (!rooms.test(static_cast<std::size_t>(room)))
            continue;
        if (composed(room)) {
            Compose(room);
            composedNow.append(room);
        }
        update(CellRect(room));
    }
    return composedNow;
}

bool StageOverviewGrid::RedrawCells(int room, const RoomCells& cells)
{
    if (room < 0 || room >= roomCount() || cells.none())
        return false;
    if (!composed(room)) {
        update(CellRect(room));
        return false;
    }
    RenderFaults faults; // as in Compose: the level view reports them
    const StageSource source{document_.image().bytes(), document_.stages(), stage_};
    const StageInfo& info = document_.stages()[static_cast<std::size_t>(std::clamp(stage_, 0, kStageRows - 1))];
    QImage& thumbnail = thumbnails_[static_cast<std::size_t>(room)];
    const QPoint origin = ThumbnailRect(room).topLeft();
    for (int cell = 0; cell < kRoomCells; ++cell) {
        if (!cells.test(static_cast<std::size_t>(cell)))
            continue;
        const int row = cell / kRoomColumns;
        const int column = cell % kRoomColumns;
        const QRect box(column * kBlockSide, row * kBlockSide, kBlockSide, kBlockSide);
        if (const std::optional<std::uint8_t> block = CellBlockAt(source.image, info, room, row, column))
            ComposeBlock(thumbnail, source, *block, 1, box.x(), box.y(), faults);
        else
            for (int y = box.top(); y <= box.bottom(); ++y)
                std::fill_n(reinterpret_cast<std::uint32_t*>(thumbnail.scanLine(y)) + box.left(), box.width(),
                            kFaultColour);
        update(box.translated(origin));
    }
    return true;
}

const QImage& StageOverviewGrid::Thumbnail(int room)
{
    static const QImage none;
    if (room < 0 || room >= roomCount() || stage_ < 0)
        return none;
    if (!composed(room))
        Compose(room);
    return thumbnails_[static_cast<std::size_t>(room)];
}

void StageOverviewGrid::SetCurrentRoom(int room)
{
    if (room == current_)
        return;
    if (current_ >= 0)
        update(CellRect(current_));
    current_ = room >= 0 && room < roomCount() ? room : -1;
    if (current_ >= 0)
        update(CellRect(current_));
}

void StageOverviewGrid::SetMarks(const MarkOptions& options)
{
    marks_ = options;
    update();
}

void StageOverviewGrid::LayOut(int width)
{
    columns_ = std::max(1, (width - 2 * kMargin + kGap) / kPitchX);
    const int rows = (roomCount() + columns_ - 1) / columns_;
    const int height = rows == 0 ? 2 * kMargin + kLabelHeight : 2 * kMargin + rows * kPitchY - kGap;
    const int minimumWidth = 2 * kMargin + kPitchX - kGap;
    resize(std::max(width, minimumWidth), height);
}

QRect StageOverviewGrid::CellRect(int room) const
{
    const int column = room % columns_;
    const int row = room / columns_;
    return {kMargin + column * kPitchX, kMargin + row * kPitchY, kPitchX - kGap, kPitchY - kGap};
}

QRect StageOverviewGrid::ThumbnailRect(int room) const
{
    if (room < 0 || room >= roomCount())
        return {};
    const QRect cell = CellRect(room);
    return {cell.left() + kFrame, cell.top() + kLabelHeight + kFrame, kThumbWidth, kThumbHeight};
}

int StageOverviewGrid::RoomAt(QPoint point) const
{
    if (point.x() < kMargin || point.y() < kMargin)
        return -1;
    const int column = (point.x() - kMargin) / kPitchX;
    const int row = (point.y() - kMargin) / kPitchY;
    if (column >= columns_)
        return -1;
    const int room = row * columns_ + column;
    // The room text above a thumbnail belongs to it; the gaps between belong to none.
    return room < roomCount() && CellRect(room).contains(point) ? room : -1;
}

void StageOverviewGrid::paintEvent(QPaintEvent* event)
{
    // Changes not yet drawn are drawn first: what shows is never behind the image.
    document_.FlushChanges();
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    if (stage_ < 0 || roomCount() == 0) {
        painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, 0), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Choose a stage to see its rooms."));
        return;
    }
    const StageInfo& info = document_.stages()[static_cast<std::size_t>(std::clamp(stage_, 0, kStageRows - 1))];
    for (int room = 0; room < roomCount(); ++room) {
        const QRect cell = CellRect(room);
        if (!cell.intersects(exposed))
            continue;
        painter.setPen(palette().windowText().color());
        painter.drawText(QRect(cell.left(), cell.top(), cell.width(), kLabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         RoomText(room));
        const QRect thumb = ThumbnailRect(room);
        if (room == current_)
            painter.fillRect(thumb.adjusted(-kFrame, -kFrame, kFrame, kFrame), palette().highlight());
        const QImage& pixels = Thumbnail(room);
        if (pixels.isNull())
            continue;
        const RoomMarks marks =
            MarksOfRoom(document_.image().bytes(), document_.openedBytes(), info, room, marks_);
        if (!marks.any()) {
            painter.drawImage(thumb.topLeft(), pixels);
            continue;
        }
        // Marks go over a copy: the kept thumbnail stays the room's plain picture.
        if (scratch_.size() != pixels.size() || scratch_.format() != pixels.format())
            scratch_ = QImage(pixels.size(), pixels.format());
        std::memcpy(scratch_.bits(), pixels.constBits(), static_cast<std::size_t>(pixels.sizeInBytes()));
        DrawRoomMarks(ViewOf(scratch_), 0, 0, 1, marks);
        painter.drawImage(thumb.topLeft(), scratch_);
    }
}

void StageOverviewGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int room = RoomAt(event->position().toPoint());
        if (room >= 0)
            emit roomClicked(room);
    }
    QWidget::mousePressEvent(event);
}

} // namespace quorvan
