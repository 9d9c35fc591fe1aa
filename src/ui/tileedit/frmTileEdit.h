#pragma once
// The tile editor: edits one block's four tile numbers, palette and flags.
//
// The window keeps no copy of the data. The block being edited is vsTile's
// value; everything else is read from the document's image, for its current
// stage, at each refresh, and every control writes its byte straight into the
// image. It follows the document's change signal like every view: a change
// of the block's bytes, its palette or its tiles, made here or anywhere,
// refreshes it. The window knows nothing of the main window: "Refresh
// Editor" only asks for a redraw (refreshRequested), and whoever owns the
// window decides.

#include <QWidget>

#include <array>
#include <cstdint>

class QCloseEvent;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace quorvan {

class PictureBox;
class RomDocument;
struct DocumentChange;
struct EditPlace;

class frmTileEdit : public QWidget {
    Q_OBJECT
public:
    // Creating the window runs its load handler: it pins itself above its
    // owner window and runs Init. It is not shown.
    frmTileEdit(RomDocument& document, QWidget* owner);

    // Fills the flag list (always exactly 64 entries) and, with an image open,
    // refreshes the window for the block in vsTile.
    void Init();

    // The platform colour value of a master-palette entry: the entry is
    // 0x00RRGGBB, the result R + 256 G + 65536 B (red in the low byte).
    static std::uint32_t NesColorToRGB(std::uint32_t entry);

    // Controls, by the names the program gives them.
    QScrollBar* vsTile() const { return vsTile_; }
    QScrollBar* hsTile(int k) const { return hsTile_.at(static_cast<std::size_t>(k)); }
    PictureBox* picPal(int i) const { return picPal_.at(static_cast<std::size_t>(i)); }
    QRadioButton* optPal(int i) const { return optPal_.at(static_cast<std::size_t>(i)); }
    PictureBox* picTile() const { return picTile_; }
    QLabel* lblFlags() const { return lblFlags_; }
    QComboBox* cboFlags() const { return cboFlags_; }
    QPushButton* cmdRefresh() const { return cmdRefresh_; }
    // The numbers beside the controls, in hexadecimal: each tile number beside
    // its scroll bar, the block number beside vsTile.
    QLabel* lblTileValue(int k) const { return lblTileValue_.at(static_cast<std::size_t>(k)); }
    QLabel* lblBlockValue() const { return lblBlockValue_; }

public slots:
    // Shows block `block` (0..255): sets vsTile, which refreshes the window
    // when the value changes.
    void ShowBlock(int block);

signals:
    // "Refresh Editor": the views that show the image should be redrawn.
    void refreshRequested();
    // It turned to block `block` (vsTile's value changed), or the user gave the block another palette.
    void blockShown(int block);
    // A press on quadrant `quadrant` of picTile (0 top-left, 1 top-right, 2
    // bottom-left, 3 bottom-right) with `button` (1 left, 2 right); it writes nothing.
    void quadrantClicked(int quadrant, int button);

protected:
    // Closing only hides the window; it keeps its controls' values.
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateWidgets();
    void CreateValueLabels();
    void ConnectWidgets();
    void Form_Load();
    void Document_Changed(const DocumentChange& change);

    // The refresh: shows block vsTile of the current stage. Reads the image and
    // writes nothing to it.
    void vsTile_Change();
    // Scroll bars track the thumb, so these run at every step of a drag too.
    void hsTile_Change(int k);
    void optPal_Click(int i);
    void cboFlags_Click();
    void cmdRefresh_Click();
    // A drag of a tile scroll bar's thumb is one undo step.
    void BeginDragStep();
    void EndDragStep();

    // Offsets of block b's bytes in the current stage.
    std::int64_t TileOffset(int block, int k) const;
    std::int64_t AttributeOffset(int block) const;
    // Block b of the current stage, as the place of an undo step.
    EditPlace BlockPlace(int block) const;
    // Whether the handlers may write: an image is open and the controls are
    // not being set by a refresh.
    bool CanEdit() const;

    RomDocument& document_;
    std::array<PictureBox*, 4> picPal_{};
    std::array<QScrollBar*, 4> hsTile_{};
    PictureBox* picTile_ = nullptr;
    QScrollBar* vsTile_ = nullptr;
    std::array<QRadioButton*, 4> optPal_{};
    QLabel* lblFlags_ = nullptr;
    QComboBox* cboFlags_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    std::array<QLabel*, 4> lblTileValue_{};
    QLabel* lblBlockValue_ = nullptr;

    // Set while a refresh (or Init) sets the controls from the image, so that
    // their change handlers do not take it for an edit.
    bool refreshing_ = false;
    bool dragStep_ = false; // a thumb drag's undo step is open
};

} // namespace quorvan
