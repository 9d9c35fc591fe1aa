#pragma once
// The palette editor: the current stage's 16 palette bytes against the 64 NES colours.
//
// Swatch i shows palette byte P + i (colour i mod 4 of palette i div 4), P being
// the current stage's palette offset. The user selects a swatch, then clicks a
// cell of the colour grid: the cell's colour number is written into the image at
// once, and every view drawn with it follows the document's change signal,
// this window too. The window knows nothing of the main window.

#include <QColor>
#include <QWidget>

#include <array>
#include <cstdint>

namespace quorvan {

class PictureBox;
class RomDocument;
struct DocumentChange;

class frmPaletteEditor : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs its load handler: pinned on top and loaded from
    // the document's image (when one is open). It is not shown.
    frmPaletteEditor(RomDocument& document, QWidget* owner);

    static constexpr int kSwatches = 16;
    static constexpr int kCell = 32;        // grid cell and swatch size in pixels
    static constexpr int kGridColumns = 16;
    static constexpr int kGridRows = 4;

    // Reloads all swatches from the image and selects swatch 0. Does nothing
    // while no file is open.
    void Init();

    // Reloads all swatches from the image and keeps the selected swatch: for
    // changes made elsewhere, such as Undo and Redo, after which the next
    // pick must still edit the swatch the user selected. Does nothing while
    // no file is open.
    void Refresh();

    // Selects swatch `Index` (0..15): recolours every swatch, repaints the grid
    // with the highlight on the selected swatch's colour and frames the swatch.
    void picLoadedPal_Click(int Index);

    // Picks the colour of the grid cell under (X, Y) (grid pixels) for the
    // selected swatch. Any button picks; Shift is not used. A point outside the
    // grid picks nothing.
    void picPalGrid_MouseDown(int Button, int Shift, int X, int Y);

    // Swatch i, for i in 0..15.
    PictureBox* picLoadedPal(int index) const;
    PictureBox* picPalGrid() const { return picPalGrid_; }

    // The selected swatch, 0..15.
    std::int16_t SelectedPal() const { return SelectedPal_; }

    // Top-left corner of swatch i in the window's client area.
    static QPoint SwatchPosition(int index);

    // The text a swatch's tooltip shows for a palette byte: upper-case hex
    // without prefix or leading zeros ("F", "30", "0").
    static QString SwatchToolTip(std::uint8_t value);

signals:
    // The user closed the window with its close button. The window is
    // discarded by whoever owns it; it only hides itself.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateWidgets();
    void ConnectWidgets();
    void Form_Load();
    void Document_Changed(const DocumentChange& change);

    // Paints the 64 colour cells, the black grid lines and the highlight of the
    // cell whose top-left corner is (x, y); no highlight when that cell lies
    // outside the grid.
    void DrawPaletteGrid(std::int16_t x, std::int16_t y);
    void PaintColourCells();

    // Colours swatch i from its palette byte and refreshes its tooltip.
    void ShowSwatch(int index);

    // The image offset of palette byte i of the current stage.
    std::int64_t PaletteByteOffset(int index) const;

    RomDocument& document_;
    std::array<PictureBox*, kSwatches> picLoadedPal_{};
    PictureBox* picPalGrid_ = nullptr;
    std::int16_t SelectedPal_ = 0;
};

} // namespace quorvan
