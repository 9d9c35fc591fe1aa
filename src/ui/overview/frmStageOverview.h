#pragma once
// The stage overview: a tool window with every room of the current stage as a
// thumbnail at scale 1, in a scrollable grid. A click on a thumbnail asks for
// that room (roomChosen); the window knows nothing of the main window, which
// tells it the stage, the current room and the marks to draw.
//
// It follows the document's change signal by itself: an edit, undo or redo
// composes again only the thumbnails of the rooms it touched
// (RoomDependencies.h); another image opened redraws every room. While the window is hidden
// nothing is composed: the first show afterwards redraws what is shown.

#include "data/BlockUsage.h"
#include "data/ChangedBytes.h"

#include <QImage>
#include <QList>
#include <QWidget>

class QCloseEvent;
class QScrollArea;

namespace quorvan {

class RomDocument;
class StageOverviewGrid;
struct DocumentChange;

class frmStageOverview : public QWidget {
    Q_OBJECT
public:
    frmStageOverview(RomDocument& document, QWidget* owner);

    // Shows the rooms of the document's current stage, all drawn afresh.
    void ShowStage();
    // Shows no stage.
    void ClearStage();
    // The stage row shown, or -1.
    int stage() const;
    int roomCount() const;

    // The room framed as the one the main window shows.
    void SetCurrentRoom(int room);
    int currentRoom() const;
    // What to mark over the rooms, as in the level view.
    void SetMarks(const MarkOptions& options);

    // The room's thumbnail without marks: exactly RoomImage(..., room, 1).
    const QImage& Thumbnail(int room);
    // The grid widget (objectName "picOverview") and a room's place in it.
    StageOverviewGrid* grid() const { return grid_; }
    QRect ThumbnailRect(int room) const;
    QScrollArea* scrollArea() const { return scroll_; }

    // Redraws now what the edits made so far touched (otherwise done when
    // control returns to the event loop): the document's changes are flushed.
    void ApplyPendingChanges();

signals:
    // The user clicked room `room`'s thumbnail.
    void roomChosen(int room);
    // Thumbnails composed again after edits, in room order.
    void thumbnailsRedrawn(const QList<int>& rooms);
    // The user closed the window (it is only hidden).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateWidgets();
    void ConnectWidgets();
    void Document_Changed(const DocumentChange& change);
    void Document_ImageReplaced();
    void LayOutGrid();

    RomDocument& document_;
    QScrollArea* scroll_ = nullptr;
    StageOverviewGrid* grid_ = nullptr;
    bool staleWhileHidden_ = false; // something changed while nothing was shown
};

} // namespace quorvan
