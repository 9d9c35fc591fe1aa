#pragma once
// The tile sheet: the current stage's 256 tiles in a 16 x 16 grid (picSheet),
// the selected tile zoomed for pixel editing (picPixels), the four colours of
// the palette it is drawn in (picSheetPal, the drawing value framed) and the
// numbers of the tile under the pointer (lblSheetInfo).
//
// Its only state is what it shows: the palette (optSheetPal), the selected
// tile and the drawing value; the tiles themselves are read from the
// document's image, for its current stage, whenever drawn. It follows the
// document's change signal like every view, redrawing only the tiles a change
// touches; while hidden it draws nothing and catches up when shown. Pixel
// strokes are written through the document's one write function, one undo
// step "Tile Pixels" per press-to-release stroke. The window knows nothing of
// the main window: the stage it shows is the document's current stage, and
// the owner says when that changed (ShowStage).

#include "data/RoomCells.h"

#include <QWidget>

#include <array>
#include <bitset>
#include <vector>

class QCloseEvent;
class QLabel;
class QRadioButton;

namespace quorvan {

class FrameOverlay;
class PictureBox;
class RomDocument;
struct DocumentChange;

class frmTileSheet : public QWidget {
    Q_OBJECT
public:
    // Creating the window pins it above its owner; it is not shown.
    frmTileSheet(RomDocument& document, QWidget* owner);

    // The document's current stage is now another (or the same, drawn afresh).
    void ShowStage();

    // The palette (0..3) the sheet, the zoomed tile and the swatches draw with;
    // sets optSheetPal. Out of range changes nothing.
    void SetPalette(int palette);
    int palette() const { return palette_; }
    // The selected tile (0..255), or -1 for none (at start). Selecting is not an edit.
    void SelectTile(int tile);
    int selectedTile() const { return selectedTile_; }
    // The value (0..3) a stroke paints with; 1 at start.
    void SetDrawingValue(int value);
    int drawingValue() const { return drawingValue_; }
    // Ends a stroke under way (its undo step closes); nothing when none is.
    void EndStroke();

    // Controls, by the names the program gives them.
    PictureBox* picSheet() const { return picSheet_; }
    PictureBox* picPixels() const { return picPixels_; }
    PictureBox* picSheetPal(int i) const { return picSheetPal_.at(static_cast<std::size_t>(i)); }
    QRadioButton* optSheetPal(int i) const { return optSheetPal_.at(static_cast<std::size_t>(i)); }
    QLabel* lblSheetInfo() const { return lblSheetInfo_; }

    // Mouse on the pictures (buttons 1 left, 2 right; pixels of the picture).
    void picSheet_MouseDown(int button, int shift, int x, int y);
    void picPixels_MouseDown(int button, int shift, int x, int y);
    void picPixels_MouseMove(int buttons, int shift, int x, int y);
    void picPixels_MouseUp(int button, int shift, int x, int y);

signals:
    // The user closed the window (it is only hidden).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void CreateWidgets();
    void ConnectWidgets();
    void Document_Changed(const DocumentChange& change);

    bool CanDraw() const;
    // Everything afresh; the sheet's cells of `tiles`; the zoomed tile; the
    // swatches; the info text (the tile under the pointer, else the selected one).
    void DrawAll();
    void DrawTiles(const std::bitset<256>& tiles);
    void DrawZoom();
    void DrawSwatches();
    void ShowInfo();
    void CatchUp();

    // The tile pixel under (x, y) of picPixels, rounding down, so that a
    // pointer outside the picture gives a position outside the tile.
    static CellPos PixelUnder(int x, int y);
    // Paints `pixels` of the stroke's tile with the drawing value.
    void PaintPixels(const std::vector<CellPos>& pixels);

    RomDocument& document_;
    PictureBox* picSheet_ = nullptr;
    PictureBox* picPixels_ = nullptr;
    std::array<PictureBox*, 4> picSheetPal_{};
    std::array<QRadioButton*, 4> optSheetPal_{};
    QLabel* lblSheetInfo_ = nullptr;
    FrameOverlay* frame_ = nullptr;

    int palette_ = 0;
    int selectedTile_ = -1;
    int drawingValue_ = 1;
    int hoverTile_ = -1;   // the tile under the pointer in picSheet, or -1
    int shownStage_ = -1;  // the stage row the pictures show; -1 before the first drawing
    bool stale_ = true;    // something changed while hidden: everything is drawn at the next show

    struct Stroke {
        bool active = false;
        int stage = 0;
        int tile = 0;
        CellPos last;
    } stroke_;
};

} // namespace quorvan
