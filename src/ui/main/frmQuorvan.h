#pragma once
// The main window: level view, block table, selected block, the menu bar and
// the status bar. It shows the program's document (RomDocument::Program()):
// the image, its file and its history live there, not here. The handlers are
// split by concern over the files frmQuorvan_<concern>.cpp beside this one.

#include "data/BlockUsage.h"
#include "data/CellInfo.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;
class QUrl;

namespace quorvan {

class PictureBox;
class EditHistory;
class clsDialog;
class frmAbout;
class frmPaletteEditor;
class frmStageOverview;
class frmTileEdit;
enum class PatchFormat;

class frmQuorvan : public QMainWindow {
    Q_OBJECT
public:
    // Constructing the window runs its load handler; show() shows it.
    explicit frmQuorvan(QWidget* parent = nullptr);
    ~frmQuorvan() override;

    // Opens the file at `path` exactly as a choice in the Open dialog would.
    // Returns true when the image was accepted; otherwise the user has been
    // told why, and `whyNot` (when given) holds it in one line.
    bool OpenFile(const QString& path, QString* whyNot = nullptr);

    // When the open image's file was changed on disk by another program,
    // offers to reload it (asking about unsaved changes too). Runs each time
    // the program becomes active again; asks once per change of the file.
    void CheckFileOnDisk();

    // Redraw the level view and the block table from the image.
    void DrawLevel();
    void DrawTable();

    // The tool windows, created (not shown) on first use when `create` is set;
    // null when not created. They live as long as the main window.
    frmTileEdit* TileEdit(bool create = true);
    frmPaletteEditor* PaletteEditor(bool create = true);
    frmAbout* About(bool create = true);
    frmStageOverview* StageOverview(bool create = true);

    // Discards the palette editor: the accessor reads null at once and the window
    // is deleted when control returns to the event loop. The next creation
    // starts again at swatch 0.
    void UnloadPaletteEditor();

    // The shared file dialog (created on first use).
    clsDialog& Dialog();

    // The document the window shows.
    RomDocument& Document() { return document_; }
    // The undo history of the open image. Group the writes of one gesture
    // that spans several events (a scroll-bar drag) with BeginStep()/EndStep().
    EditHistory& History();

    // The folder the dialogs start in: the one that holds the program file.
    static QString ProgramFolder();

    // How the Help links are opened: true when a program took the link. Tests
    // stand in for the desktop; an empty function restores it.
    using LinkOpener = std::function<bool(const QUrl&)>;
    static void SetLinkOpenerForTesting(LinkOpener opener);

    // Controls, by the names the program gives them.
    PictureBox* picEditor() const { return picEditor_; }
    PictureBox* picTile() const { return picTile_; }
    PictureBox* picSelectedTile() const { return picSelectedTile_; }
    QScrollBar* hLevel_Frames() const { return hLevel_Frames_; }
    QScrollBar* hsTable() const { return hsTable_; }
    QPushButton* cmdEditTile() const { return cmdEditTile_; }
    QStatusBar* SB1() const { return SB1_; }
    QLabel* Panel(int index) const { return index == 1 ? panel1_ : index == 3 ? panel3_ : panel2_; }

    QAction* mnuOpen() const { return mnuOpen_; }
    QAction* mnuSave() const { return mnuSave_; }
    QAction* mnuSaveAS() const { return mnuSaveAS_; }
    QAction* mnuExit() const { return mnuExit_; }
    QAction* mnuPalette() const { return mnuPalette_; }
    QAction* mnuTileEditor() const { return mnuTileEditor_; }
    QAction* mnuStageSelect(int index) const { return mnuStageSelect_.at(static_cast<std::size_t>(index)); }
    QAction* mnuGrid(int index) const { return mnuGrid_.at(static_cast<std::size_t>(index)); }
    QAction* mnuAbout() const { return mnuAbout_; }
    QAction* mnuUndo() const { return mnuUndo_; }
    QAction* mnuRedo() const { return mnuRedo_; }
    QAction* mnuExportIPS() const { return mnuExportIPS_; }
    QAction* mnuExportBPS() const { return mnuExportBPS_; }
    QAction* mnuApplyPatch() const { return mnuApplyPatch_; }
    QAction* mnuPreferences() const { return mnuPreferences_; }
    QAction* mnuStageOverview() const { return mnuStageOverview_; }
    QAction* mnuHighlightUses() const { return mnuHighlightUses_; }
    QAction* mnuShowChanges() const { return mnuShowChanges_; }
    QAction* mnuFindNextUse() const { return mnuFindNextUse_; }
    QAction* mnuTrelvix() const { return mnuTrelvix_; }
    QAction* mnuEmal() const { return mnuEmal_; }
    QMenu* menuFile() const { return mnuFIle_; }
    QMenu* menuEdit() const { return mnuEdit_; }
    QMenu* menuLevel() const { return mnuLevel_; }
    QMenu* menuView() const { return mnuView_; }
    QMenu* menuHelp() const { return mnuHelp_; }
    QMenu* menuWeb() const { return mnuWeb_; }

public slots:
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAS_Click();
    void mnuExit_Click();
    void mnuStageSelect_Click(int index);
    void mnuGrid_Click(int index);
    // "&Undo", "&Redo": take back / do again one edit and redraw what shows it.
    void mnuUndo_Click();
    void mnuRedo_Click();
    // "Export IPS Patch...", "Export &BPS Patch...": the image's changes against
    // the clean original set in Preferences, else against the image as opened.
    void mnuExportIPS_Click();
    void mnuExportBPS_Click();
    // "&Apply Patch...": an IPS or BPS file applied to the image as one edit.
    void mnuApplyPatch_Click();
    // "&Preferences...": the Preferences dialog; its values are kept when accepted.
    void mnuPreferences_Click();
    // "&Palette": shows the palette editor, or discards it when the item is checked.
    void mnuPalette_Click();
    // "&About", "Trelvix", "Email Author": the about box and the two Help links.
    void mnuAbout_Click();
    void mnuTrelvix_Click();
    void mnuEmal_Click();
    // "&Tile Editor": shows the tile editor on block 0, or hides it when the
    // item is checked; then flips the item's check mark.
    void mnuTileEditor_Click();
    // "Edit Tile": shows the tile editor on the selected block; the check mark
    // of "&Tile Editor" stays as it is.
    void cmdEditTile_Click();
    // Seeing the level (frmQuorvan_insight.cpp). "Stage &Overview": shows the
    // overview, or hides it when the item is checked; "&Highlight Uses" and
    // "Show &Changes" flip their marks; "Find &Next Use" (F3) shows the next
    // cell holding the selected block.
    void mnuStageOverview_Click();
    void mnuHighlightUses_Click();
    void mnuShowChanges_Click();
    void mnuFindNextUse_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateWidgets();
    void CreateMenus();
    void ConnectWidgets();
    void Form_Load();
    void SetupMenus();

    // Asks before closing; true when the window may close.
    bool Form_QueryUnload();
    void Form_Resize();

    // Saves the image to its file, or to `saveAsPath` as Save As, asking the
    // user where the file changed on disk, is read-only or cannot keep its
    // backup; shows the reason and returns false when nothing was saved.
    bool SaveImage(const QString& saveAsPath, RomDocument::SaveOptions options);
    bool SaveImage(const QString& saveAsPath = QString()) { return SaveImage(saveAsPath, RomDocument::SaveOptions{}); }
    // Save As: asks for the file, then saves; false when cancelled or failed.
    bool SaveImageAs();
    // An existing file at `path` is about to be replaced: asks the user (No
    // is the default). True when nothing is there or the user agreed.
    bool ConfirmReplace(const QString& path, const QString& title);
    void ShowFileError(const QString& action, const QString& path, const QString& reason);

    // The document's signals: a new image, a new file name.
    void Document_ImageReplaced();
    void Document_FileNameChanged(const QString& fileName);

    // Undo history and the caption marker (frmQuorvan_history.cpp).
    void CreateHistoryMenus();
    void ConnectHistory();
    void UpdateHistoryState();

    // The patch items and Preferences (frmQuorvan_patches.cpp, frmQuorvan_export.cpp).
    void CreatePatchMenus();
    void ConnectPatches();
    void ExportPatch(PatchFormat format);

    // The tool windows' wiring, done once when each is created (frmQuorvan_tools.cpp).
    void ConnectTileEdit(frmTileEdit* editor);
    void ConnectPaletteEditor(frmPaletteEditor* editor);
    void ConnectStageOverview(frmStageOverview* overview);

    // Seeing the level: the hover panel, block usage, changed cells and the
    // overview's view of them (frmQuorvan_insight.cpp, frmQuorvan_marks.cpp).
    void CreateInsightMenus();
    void ConnectInsight();
    void Insight_StageChosen();          // a stage was chosen (again)
    void Insight_ImageReplaced();
    void Insight_BytesChanged(qint64 offset, qint64 length);
    void Insight_Update();               // what the edits reported so far changed, once per event loop pass
    void Insight_SelectionChanged();
    void picEditor_MouseMove(int buttons, int shift, int x, int y);
    void picTile_MouseMove(int buttons, int shift, int x, int y);
    void Hover_Leave();
    void Hover_Refresh();                // the text for the cell under the pointer, built only when it changed
    void ShowPanel3(const InfoText& text);
    MarkOptions CurrentMarkOptions() const;
    void SyncStageOverview();            // the overview shows the stage, room and marks shown here
    // The hook of DrawLevel: marks drawn into picEditor's back buffer after the grid.
    void DrawLevelMarks();
    // Cells of the current room whose bytes changed, drawn again with their marks.
    void RedrawChangedCells();

    // Stage selection and views.
    void hLevel_Frames_Change(int value);
    void hLevel_Frames_Scroll(int value);
    void hsTable_Change(int value);
    void hsTable_Scroll(int value);
    bool StageChosen() const;           // a stage item is checked
    quorvan::StageSource StageSource() const; // what the views draw: the document's image and current stage
    int SelectedBlock() const;          // the Tag of picSelectedTile as 0..255, or -1
    int TablePage() const;              // the page the block table shows
    std::uint8_t GetMaxRoom() const;    // highest room the current stage's list names
    void RestoreSelectedTile();         // picSelectedTile back to the selected block
    void ShowOpenedImage();             // every view redrawn from a newly opened image
    // How the editors take an image redrawn under them: a new image starts the
    // palette editor at swatch 0 again; Undo and Redo keep the user's swatch.
    enum class EditorReload { FromStart, KeepSelection };
    void RedrawImageViews(EditorReload editors); // both views and both editors redrawn from the image
    void DrawEditorGrid();

    // Picking and placing (frmQuorvan_edit.cpp); button 1 left, 2 right, 4 middle.
    void picTile_MouseDown(int button, int shift, int x, int y);
    void picEditor_MouseDown(int button, int shift, int x, int y);

    // While the image has unsaved changes, asks whether to save them first
    // (Save, Discard, Cancel). True when the caller may go on.
    bool ConfirmUnsavedChanges(const QString& title, const QString& question);

    PictureBox* picEditor_ = nullptr;
    PictureBox* picTile_ = nullptr;
    PictureBox* picSelectedTile_ = nullptr;
    QScrollBar* hLevel_Frames_ = nullptr;
    QScrollBar* hsTable_ = nullptr;
    QPushButton* cmdEditTile_ = nullptr;
    QWidget* WebBrowser_ = nullptr;
    QStatusBar* SB1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    QLabel* panel3_ = nullptr;

    QMenu* mnuFIle_ = nullptr;
    QMenu* mnuEdit_ = nullptr;
    QMenu* mnuLevel_ = nullptr;
    QMenu* mnuView_ = nullptr;
    QMenu* mnuHelp_ = nullptr;
    QMenu* mnuWeb_ = nullptr;
    QAction* mnuOpen_ = nullptr;
    QAction* FileFiller1_ = nullptr;
    QAction* mnuSave_ = nullptr;
    QAction* mnuSaveAS_ = nullptr;
    QAction* FileFiller2_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction* mnuPalette_ = nullptr;
    QAction* mnuTileEditor_ = nullptr;
    std::array<QAction*, 9> mnuStageSelect_{};
    std::array<QAction*, 2> mnuGrid_{};
    QAction* mnuAbout_ = nullptr;
    QAction* mnuTrelvix_ = nullptr;
    QAction* mnuEmal_ = nullptr;
    QAction* mnuUndo_ = nullptr;
    QAction* mnuRedo_ = nullptr;
    QAction* EditFiller0_ = nullptr;
    QAction* mnuExportIPS_ = nullptr;
    QAction* FileFiller3_ = nullptr;
    QAction* mnuExportBPS_ = nullptr;
    QAction* mnuApplyPatch_ = nullptr;
    QAction* EditFiller1_ = nullptr;
    QAction* mnuPreferences_ = nullptr;
    QAction* ViewFiller1_ = nullptr;
    QAction* mnuStageOverview_ = nullptr;
    QAction* mnuHighlightUses_ = nullptr;
    QAction* mnuShowChanges_ = nullptr;
    QAction* EditFiller2_ = nullptr;
    QAction* mnuFindNextUse_ = nullptr;

    RomDocument& document_;
    std::unique_ptr<clsDialog> dialog_;
    QPointer<frmTileEdit> tileEdit_;
    QPointer<frmPaletteEditor> paletteEditor_;
    QPointer<frmAbout> about_;
    QPointer<frmStageOverview> stageOverview_;

    // Seeing the level.
    enum class HoverView { None, Level, Table };
    struct Hover {
        HoverView view = HoverView::None;
        int x = 0;
        int y = 0;
        int key = -1;      // the cell (or block) the text was built for; -1 to build again
        InfoText shown;    // the text in Panels(3)
    } hover_;
    std::optional<CellPosition> found_; // the cell Find Next Use found last
    RoomCells changedCells_;            // cells of the current room whose bytes changed, not yet redrawn
    bool hoverStale_ = false;
    int highlightedBlock_ = -1;         // the block the level view's highlight shows
    QTimer* insightTimer_ = nullptr;
    bool closing_ = false; // set once the user agreed to close
    bool checkingDisk_ = false; // asking about a file changed on disk
    FileStamp declinedReload_; // the file on disk the user chose not to reload
};

} // namespace quorvan
