#pragma once
// The stage overview's grid: every room of a stage as a thumbnail at scale 1
// (256 x 192 pixels), in room order, left to right and top to bottom, each
// under its room text, the current room framed, marks drawn over them.
//
// Thumbnails are composed when first painted (or asked for) and kept; Redraw
// composes again only the rooms it is given. The marks are drawn over a copy at
// paint time, so a thumbnail is always exactly RoomImage(source, room, 1).

#include "data/BlockUsage.h"
#include "graphics/RoomDependencies.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <vector>

namespace quorvan {

class RomDocument;

class StageOverviewGrid : public QWidget {
    Q_OBJECT
public:
    StageOverviewGrid(RomDocument& document, QWidget* parent);

    static constexpr int kMargin = 8;
    static constexpr int kLabelHeight = 16;
    static constexpr int kFrame = 3;     // the current room's frame, around the thumbnail
    static constexpr int kGap = 8;
    static constexpr int kThumbWidth = 256;
    static constexpr int kThumbHeight = 192;
    static constexpr int kPitchX = kThumbWidth + 2 * kFrame + kGap;
    static constexpr int kPitchY = kLabelHeight + kThumbHeight + 2 * kFrame + kGap;

    // Shows `rooms` rooms (0..255) of stage row `stage`, none composed yet.
    void SetStage(int stage, int rooms);
    // Shows no stage.
    void ClearStage() { SetStage(-1, 0); }
    int stage() const { return stage_; }
    int roomCount() const { return static_cast<int>(thumbnails_.size()); }
    // Changes the number of rooms, keeping the thumbnails of rooms that stay.
    void SetRoomCount(int rooms);

    // Composes again the thumbnails of `rooms` that were composed and repaints
    // all of them; returns the rooms composed.
    QList<int> Redraw(const RoomSet& rooms);
    // Composes again only `cells` of room `room`'s thumbnail (when it was
    // composed) and repaints them; true when the thumbnail was composed.
    bool RedrawCells(int room, const RoomCells& cells);
    // Every thumbnail is composed again when next painted or asked for.
    void DropAll();

    void SetCurrentRoom(int room);
    int currentRoom() const { return current_; }
    void SetMarks(const MarkOptions& options);
    const MarkOptions& marks() const { return marks_; }

    // Thumbnails per row for the grid's width.
    void LayOut(int width);
    int columns() const { return columns_; }

    // The room's thumbnail, composed now if it was not; a null image for a room
    // that is not shown.
    const QImage& Thumbnail(int room);
    bool composed(int room) const;
    // Where the room's thumbnail lies in the grid, and the room under a point (-1 for none).
    QRect ThumbnailRect(int room) const;
    int RoomAt(QPoint point) const;

signals:
    // A left click on a thumbnail.
    void roomClicked(int room);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect CellRect(int room) const; // the thumbnail with its frame and its room text
    void Compose(int room);

    RomDocument& document_;
    int stage_ = -1;
    int current_ = -1;
    int columns_ = 1;
    MarkOptions marks_;
    std::vector<QImage> thumbnails_; // kept between composes
    std::vector<bool> fresh_;        // the thumbnail shows the room as the image is now
    QImage scratch_;                 // a thumbnail with its marks, while painting
};

} // namespace quorvan
