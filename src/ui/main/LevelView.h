#pragma once
// The level view: the room in view drawn into picEditor's back buffer, the
// editor grid over it, then the layers that mark things on the room (where
// blocks are used and what changed; the selected cells and the paste being
// placed), and the room's number in the status bar.
//
// It follows the document by itself: each change the document reports (once
// per pass of the event loop) redraws just the cells whose picture reads a
// changed byte (RoomDependencies.h); another image redraws the whole room. A
// change of what is in view (room, stage, switches, a layer) is drawn by
// whoever makes it, with Draw().

#include "data/BlockUsage.h"

#include <QObject>

#include <vector>

class QImage;
class QLabel;
class QWidget;

namespace quorvan {

class PictureBox;
class RomDocument;
struct DocumentChange;
struct ViewState;

// Something drawn over the room's pixels after the blocks and the grid.
class RoomLayer {
public:
    virtual ~RoomLayer() = default;
    // Draws over the whole room (the view's back buffer, 512 x 384).
    virtual void DrawOver(QImage& view) = 0;
    // True while the layer blends with the pixels under it (a tint): then the
    // room is always drawn whole before it, never cells alone.
    virtual bool Blends() const = 0;
};

class LevelView : public QObject {
    Q_OBJECT
public:
    // `notices` owns the notice about pixels that could not be drawn.
    LevelView(RomDocument& document, const ViewState& view, PictureBox& picture, QLabel& roomPanel, QWidget* notices);

    // Drawn in the order added, after the grid.
    void AddLayer(RoomLayer* layer);

    // The whole room with its grid and layers, and the room text. With an
    // image open and no stage chosen yet, a line saying how to choose one;
    // with no image, nothing: the view keeps what it shows.
    void Draw();
    // Cells of the room drawn again from the image, then the grid and the
    // layers over them; the whole room while a layer blends.
    void DrawCells(const RoomCells& cells);

private:
    void Document_Changed(const DocumentChange& change);
    bool CanDraw() const;
    void DrawHint();
    bool AnyLayerBlends() const;
    void DrawOverRoom();

    RomDocument& document_;
    const ViewState& view_;
    PictureBox& picture_;
    QLabel& roomPanel_;
    QWidget* notices_;
    std::vector<RoomLayer*> layers_;
};

} // namespace quorvan
