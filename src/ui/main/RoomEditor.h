#pragma once
// The gestures that edit the room in the level view, and the Edit menu's
// cell items:
// - left press and drag: places the selected block in every cell the pointer
//   passes (cells skipped between two mouse events are those of the straight
//   line between them), one undo step from press to release: "Place Block"
//   while the pointer stays in its first cell, "Paint" once it moved on;
// - right press: picks up the block under the pointer (blockPicked);
// - Ctrl + left press: fills the area of cells holding the clicked cell's
//   block ("Fill");
// - Shift + left drag: selects a rectangle of cells; Cut, Copy, Fill
//   Selection, Select All and Select None work on it; a click outside it
//   clears it (and places nothing: the next click does);
// - Paste: the clipboard's cells follow the pointer until a left click
//   places them ("Paste"); Escape cancels. Paste in Place puts them back
//   where they were copied from.
//
// It writes the image through the document and draws nothing itself: the
// level view follows the document's change signal. What it draws over the
// room (the selection's tint and outline, the paste about to be placed) is
// its layer; when that changes it says so (layerChanged).
//
// Positions are pixels of the level view's picture; buttons 1 left, 2 right;
// shift state 1 Shift, 2 Ctrl.

#include "data/RoomCells.h"
#include "ui/main/LevelView.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace quorvan {

class PictureBox;
class RomDocument;
struct EditPlace;
struct ViewState;

class RoomEditor : public QObject, public RoomLayer {
    Q_OBJECT
public:
    // `dialogs`: the window that owns the messages it shows.
    RoomEditor(RomDocument& document, const ViewState& view, PictureBox& picture, QWidget* dialogs);

    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int buttons, int shift, int x, int y);
    void MouseUp(int button);
    void MouseLeave();

    void Cut();
    void Copy();
    void Paste();
    // The clipboard's cells at the cells they were copied from, in the room
    // in view, as one undo step "Paste".
    void PasteInPlace();
    void FillSelection();
    void SelectAll();
    void SelectNone();
    // Escape: cancels a paste waiting for its click, else clears the selection.
    // False when there was neither.
    bool Cancel();

    // A gesture under way ends here: its release went elsewhere, or another
    // window took the keyboard.
    void EndGesture();
    // The room, stage or image in view changed: a gesture under way ends, and
    // cells selected in a room no longer in view are no longer selected.
    void ViewMoved();
    // Another image: nothing stays selected, no paste waits.
    void ImageReplaced();

    // The selected cells of the room in view, none while they belong to
    // another room (or nothing is selected).
    std::optional<CellRect> ShownSelection() const;
    bool PastePending() const { return paste_.cells.has_value(); }

    // What the Edit menu's cell items can do now.
    struct Abilities {
        bool copy = false;
        bool cut = false;
        bool fillSelection = false;
        bool paste = false;
        bool selectAll = false;
        bool selectNone = false;
    };
    Abilities Can() const;

    // RoomLayer: the selected cells tinted and outlined, the paste where it would go.
    void DrawOver(QImage& view) override;
    bool Blends() const override;

signals:
    // A right click picked up this block from the room.
    void blockPicked(int block);
    // The selection or the paste preview changed: the room must be drawn again.
    void layerChanged();
    // What the Edit menu's cell items can do may have changed.
    void abilitiesChanged();
    // A passing note for the status bar.
    void note(const QString& text);

private:
    bool CanEditRoom() const;
    EditPlace RoomPlace() const;
    void BeginStroke(int x, int y);
    void ContinueStroke(CellPos to);
    void PaintStrokeCells(const std::vector<CellPos>& cells);
    void PickAt(int x, int y);
    void FillAt(int x, int y);
    void BeginSelecting(int x, int y);
    void SetSelection(const CellRect& rect);
    void ClearSelection();
    void BeginPaste(CellBlock cells);
    void MovePaste(std::optional<CellPos> at);
    void PlacePaste(CellPos at);
    void EndPaste();
    // The cells on the clipboard, or nothing after telling the user why.
    std::optional<CellBlock> CellsFromClipboard(std::optional<CellPos>& origin);
    // Writes cells of the room in view as one undo step named `name`, all or
    // none; tells the user why when none could be written. True when the
    // cells were written (or already held their blocks).
    bool WriteRoomEdit(const std::vector<CellWrite>& writes, const QString& name);
    void Refuse(const QString& text, const QString& title);

    RomDocument& document_;
    const ViewState& view_;
    PictureBox& picture_;
    QWidget* dialogs_;

    // Left button held: every cell the pointer passes over gets `block`, in
    // the room the stroke began in.
    struct Stroke {
        bool active = false;
        int block = -1;
        int stage = 0;
        int room = 0;
        CellPos last;                // where the pointer was last; may lie outside the room
        bool moved = false;          // it left its first cell: a "Paint", not a "Place Block"
        bool skippedOutside = false; // cells past the end of the image were not painted
    } stroke_;
    // Shift + left button held: the rectangle from `anchor` to the pointer.
    struct Selecting {
        bool active = false;
        CellPos anchor;
    } selecting_;
    // The selected cells and the room they belong to.
    struct Selection {
        int stage = -1;
        int room = -1;
        CellRect rect;
    } selection_;
    // Cells from the clipboard following the pointer until a left click
    // places them; `at` is the cell under the pointer (none while it is outside).
    struct PendingPaste {
        std::optional<CellBlock> cells;
        std::optional<CellPos> at;
        bool trackingBefore = false; // the view's mouse tracking before the paste began
    } paste_;
};

} // namespace quorvan
