#pragma once
// The block table (picTile: a page of sixteen of the stage's blocks), the
// frame around the selected block on it (picTileFrame), and the picture of
// the selected block (picSelectedTile, whose Tag names it as the window
// always did: the block number, "-1" for none, empty before any stage).
//
// Like the level view it follows the document by itself: a change redraws
// the blocks of the page and the selected block when their picture reads a
// changed byte; a change of page, stage or selection is drawn by whoever
// makes it.

#include <QObject>

class QWidget;

namespace quorvan {

class FrameOverlay;
class PictureBox;
class RomDocument;
struct DocumentChange;
struct ViewState;

class BlockTableView : public QObject {
    Q_OBJECT
public:
    BlockTableView(RomDocument& document, const ViewState& view, PictureBox& table, PictureBox& selected,
                   QWidget* notices);

    // The page in view with its grid and frame; nothing while no image is
    // open or no stage chosen.
    void Draw();
    // The selected block's picture and Tag, and the frame around it on the page.
    void DrawSelected();

private:
    void Document_Changed(const DocumentChange& change);
    bool CanDraw() const;
    void UpdateFrame();

    RomDocument& document_;
    const ViewState& view_;
    PictureBox& table_;
    PictureBox& selected_;
    FrameOverlay* frame_ = nullptr;
    QWidget* notices_;
};

} // namespace quorvan
