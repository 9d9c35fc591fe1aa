#pragma once
// The main window: level view, block table, selected block, the menu bar and
// the status bar. It shows the program's document (RomDocument::Program()):
// the image, its file and its history live there, not here. The handlers are
// split by concern over the files frmQuorvan_<concern>.cpp beside this one.

#include "data/BlockUsage.h"
#include "data/CellInfo.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "ui/main/PaintState.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;
class QUrl;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

namespace quorvan {

class PictureBox;
class EditHistory;
class clsDialog;
class frmAbout;
class frmPaletteEditor;
class frmStageOverview;
class frmTileEdit;
class PlayTest;
enum class PatchFormat;

class frmQuorvan : public QMainWindow {
    Q_OBJECT
public:
    // Constructing the window runs its load handler; show() shows it.
    explicit frmQuorvan(QWidget* parent = nullptr);
    ~frmQuorvan() override;

    // Opens the file at `path` exactly as a choice in the Open dialog would.
    // Returns true when the image was accepted; otherwise the user has been
    // told why (openRefused is emitted first, before the message waits).
    bool OpenFile(const QString& path);

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
    QLabel* StatusNote() const { return statusNote_; }
    // Shows a short note in the status bar for a few seconds, beside the panels.
    void ShowStatusNote(const QString& text);

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
    QAction* mnuCut() const { return mnuCut_; }
    QAction* mnuCopy() const { return mnuCopy_; }
    QAction* mnuPaste() const { return mnuPaste_; }
    QAction* mnuFillSelection() const { return mnuFillSelection_; }
    QAction* mnuSelectAll() const { return mnuSelectAll_; }
    QAction* mnuStageOverview() const { return mnuStageOverview_; }
    QAction* mnuHighlightUses() const { return mnuHighlightUses_; }
    QAction* mnuShowChanges() const { return mnuShowChanges_; }
    QAction* mnuFindNextUse() const { return mnuFindNextUse_; }
    QAction* mnuTrelvix() const { return mnuTrelvix_; }
    QAction* mnuEmal() const { return mnuEmal_; }
    // Sharing and testing: the picture exports, play-testing, recent files.
    QAction* mnuExportRoomImage() const { return mnuExportRoomImage_; }
    QAction* mnuExportStageMap() const { return mnuExportStageMap_; }
    QAction* mnuTestInEmulator() const { return mnuTestInEmulator_; }
    // Entry `index` (0 = newest) of the recent files; null when the list is shorter.
    QAction* mnuRecent(int index) const;
    // The folder the next file dialog starts in (see ui/common/DialogFolders.h).
    QString DialogFolder() const;
    // The play-test's temporary files, for tests; null before the first test.
    const PlayTest* PlayTester() const { return playTest_.get(); }
    QMenu* menuFile() const { return mnuFIle_; }
    QMenu* menuEdit() const { return mnuEdit_; }
    QMenu* menuLevel() const { return mnuLevel_; }
    QMenu* menuView() const { return mnuView_; }
    QMenu* menuHelp() const { return mnuHelp_; }
    QMenu* menuWeb() const { return mnuWeb_; }

    // The selected cells of the room in the view (columns and rows of cells),
    // or an empty rectangle when none are selected there.
    QRect CellSelection() const;
    // True while pasted cells follow the pointer, waiting for a click.
    bool PastePending() const { return paint_.paste.cells.has_value(); }

signals:
    // A file was refused by OpenFile, for `reason` (one line); emitted before
    // the message box that tells the user.
    void openRefused(const QString& path, const QString& reason);

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
    // "Cu&t", "&Copy", "&Paste", "&Fill Selection", "Select &All": the selected
    // cells of the room to the clipboard (Cut then fills them with the selected
    // block), the clipboard's cells to where the user clicks next, every
    // selected cell given the selected block, the whole room selected.
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuFillSelection_Click();
    void mnuSelectAll_Click();
    // "Export Room &Image...", "Export &Stage Map...": PNG of the room shown,
    // or of the stage's rooms side by side, at the export scale of Preferences.
    void mnuExportRoomImage_Click();
    void mnuExportStageMap_Click();
    // "&Test in Emulator": the image as it is now, in the emulator of Preferences.
    void mnuTestInEmulator_Click();
    // A recent file: opened as Open would, after the unsaved-change question.
    void mnuRecent_Click(int index);
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
    // A dropped .nes file opens as Open would (frmQuorvan_recent.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

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
    // An export's file (frmQuorvan_exportfile.cpp): the path chosen in the
    // shared save dialog, its folder remembered (none when cancelled); and
    // false, after saying why, when `path` is the open image or the clean
    // original, which no export (`what`: "patch", "picture") replaces.
    std::optional<QString> ChooseExportFile(const QString& title, const QString& filter, const QString& fileName,
                                            const QString& suffix);
    bool ExportMayWrite(const QString& path, const QString& cleanOriginal, const QString& what);

    // Sharing and testing (frmQuorvan_pictures.cpp, frmQuorvan_playtest.cpp,
    // frmQuorvan_recent.cpp).
    void CreateShareMenus();
    void ConnectShare();
    void UpdateShareItems();
    void ExportPicture(bool wholeStage);
    void UpdateRecentMenu();
    void NoteRecentFile(const QString& path);
    void OpenRecentOrDropped(const QString& path);
    void RememberDialogFolder(const QString& chosenFile);

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
    void Hover_LevelMove(int buttons, int shift, int x, int y);
    void picTile_MouseMove(int buttons, int shift, int x, int y);
    void Hover_Leave();
    void Hover_Refresh();                // the text for the cell under the pointer, built only when it changed
    void ShowPanel3(const InfoText& text);
    MarkOptions CurrentMarkOptions() const;
    void SyncStageOverview();            // the overview shows the stage, room and marks shown here
    // The marks of uses and changes (frmQuorvan_usemarks.cpp), drawn by DrawLevelMarks.
    void DrawUseMarks();
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
    // Makes `block` the selected block, as a pick in the table does.
    void SelectBlock(int block);

    // Painting (frmQuorvan_paint.cpp): strokes, the eyedropper, fill, selecting
    // cells; the clipboard (frmQuorvan_clipboard.cpp); keys, the wheel and
    // showing where an undone change is (frmQuorvan_navigation.cpp).
    void CreatePaintMenus();
    void CreateNavigationKeys();
    void ConnectPaint();
    void UpdatePaintMenus();
    void picEditor_MouseMove(int buttons, int shift, int x, int y);
    void picEditor_MouseUp(int button, int shift, int x, int y);
    void picEditor_MouseLeave();
    bool CanEditRoom() const;           // an image is open and a stage chosen
    EditPlace RoomPlace() const;        // the room in the view, as an undo step's place
    void BeginStroke(int x, int y);
    void ContinueStroke(CellPos to);
    void PaintStrokeCells(const std::vector<CellPos>& cells);
    void EndPaintGesture();             // a stroke or a selection drag under way ends
    void PickFromLevel(int x, int y);
    void FillAt(int x, int y);
    void BeginCellSelection(int x, int y);
    void SetSelection(const CellRect& rect);
    void ClearSelection();
    std::optional<CellRect> ShownSelection() const;
    void BeginPaste(CellBlock cells);
    void MovePaste(std::optional<CellPos> at);
    void PlacePaste(CellPos at);
    void EndPaste();
    void EscapePressed();
    // Writes cells of the room in the view as one undo step named `name`, all
    // or none; tells the user why when none could be written. True when the
    // cells were written (or already held their blocks).
    bool WriteRoomEdit(const std::vector<CellWrite>& writes, const QString& name);
    // Brings the views to where an undone or redone change is.
    void ShowEditPlace(const EditPlace& place);

    // Marks over the views (frmQuorvan_marks.cpp). DrawLevelMarks is the one
    // hook DrawLevel calls after the grid: every layer drawn over the room
    // goes in there, and LevelMarksShown() says whether any layer draws now
    // (painting then redraws the whole room rather than its cells).
    // DrawTableMarks frames the selected block.
    void DrawLevelMarks();
    bool LevelMarksShown() const;
    void DrawTableMarks();

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
    QLabel* statusNote_ = nullptr;
    QTimer* statusNoteTimer_ = nullptr;

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
    QAction* EditFiller2_ = nullptr;
    QAction* mnuCut_ = nullptr;
    QAction* mnuCopy_ = nullptr;
    QAction* mnuPaste_ = nullptr;
    QAction* mnuFillSelection_ = nullptr;
    QAction* mnuSelectAll_ = nullptr;
    QAction* FileFiller4_ = nullptr;
    QAction* mnuExportRoomImage_ = nullptr;
    QAction* mnuExportStageMap_ = nullptr;
    QAction* FileFiller5_ = nullptr;
    std::array<QAction*, 8> mnuRecent_{};
    QAction* LevelFiller1_ = nullptr;
    QAction* mnuTestInEmulator_ = nullptr;
    std::unique_ptr<PlayTest> playTest_;
    QAction* ViewFiller1_ = nullptr;
    QAction* mnuStageOverview_ = nullptr;
    QAction* mnuHighlightUses_ = nullptr;
    QAction* mnuShowChanges_ = nullptr;
    QAction* EditFiller3_ = nullptr;
    QAction* mnuFindNextUse_ = nullptr;

    RomDocument& document_;
    PaintState paint_;
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
    ReadResult declinedReload_; // the file on disk the user chose not to reload, and its bytes
};

} // namespace quorvan
