#pragma once
// Seeing the level, without writing to it: the numbers under the pointer
// (status panel 3), where the selected block is used (the highlight and Find
// Next Use) and which cells changed since the image was opened. Its marks are
// a layer over the room (RoomLayer); the texts follow the document by
// themselves, once per pass of the event loop.

#include "data/BlockUsage.h"
#include "data/CellInfo.h"
#include "ui/main/LevelView.h"

#include "data/RoomCells.h"

#include <QObject>

#include <functional>
#include <optional>

class QLabel;

namespace quorvan {

class PictureBox;
class RomDocument;
struct DocumentChange;
struct ViewState;

class LevelInsight : public QObject, public RoomLayer {
    Q_OBJECT
public:
    LevelInsight(RomDocument& document, const ViewState& view, QLabel& panel);

    // Follows the pointer over the level view and the block table, with no
    // button held too.
    void Watch(PictureBox& level, PictureBox& table);
    // The pointer over the level view or the block table (their pixels), or gone.
    enum class Over { Nothing, Level, Table };
    void PointerAt(Over over, int x, int y);
    void PointerLeft(Over over);
    // The room, page, stage or image in view changed, or the selected cells:
    // the text is built again.
    void ViewChanged();
    // Where the selected cells of the room in view are, if any: while there
    // are some, the panel gives their size and place instead of what is under
    // the pointer over the room.
    void SetSelectionSource(std::function<std::optional<CellRect>()> selection) { selection_ = std::move(selection); }
    // Another stage or image: the search starts again.
    void StartOver();

    // Find Next Use: the next cell holding the selected block, after the cell
    // found last while its room is in view, else from the first cell of the
    // room in view, wrapping around. Nothing when the block is used nowhere,
    // or none is selected (the panel says so).
    std::optional<CellPosition> FindNextUse();
    // The panel names the cell found last, or says the block is not used.
    void SayFound();
    // The cell found last, if any.
    const std::optional<CellPosition>& Found() const { return found_; }

    // What the marks show, for the level view and the overview alike.
    MarkOptions Marks() const;

    void DrawOver(QImage& view) override;
    bool Blends() const override { return false; }

private:
    void Document_Changed(const DocumentChange& change);
    void Refresh(); // the text for the cell under the pointer, built only when it changed
    void Show(const InfoText& text);

    RomDocument& document_;
    const ViewState& view_;
    QLabel& panel_;
    Over over_ = Over::Nothing;
    int x_ = 0;
    int y_ = 0;
    int key_ = -1;   // the cell (or block) the text was built for; -1 to build again
    InfoText shown_; // the text in the panel
    std::optional<CellPosition> found_;
    std::function<std::optional<CellRect>()> selection_;
    bool showingSelection_ = false;
};

} // namespace quorvan
