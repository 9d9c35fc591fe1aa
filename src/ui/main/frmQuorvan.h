#pragma once
// The main window: the level view, the block table, the selected block, the
// menu bar and the status bar, laid out at fixed pixel positions.
//
// It shows the program's document (RomDocument::Program()) and keeps what is
// in view in a ViewState; its parts do the work:
// - LevelView and BlockTableView draw the room and the table page, and
//   follow the document's change signal by themselves;
// - RoomEditor holds the gestures that edit the room and the Edit menu's
//   cell items; LevelInsight the numbers under the pointer and the marks;
// - MainMenus declares the menus.
// The window itself keeps the layout, the file commands, the recent files,
// the tool windows, the handlers by their menu and control names, and the
// wiring. The handlers are split by concern over frmQuorvan_<concern>.cpp.

#include "data/RomDocument.h"
#include "ui/main/MainMenus.h"
#include "ui/main/ViewState.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
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
class QKeyEvent;

namespace quorvan {

class BlockTableView;
class EditHistory;
class LevelInsight;
class LevelView;
class PictureBox;
class PlayTest;
class RoomEditor;
class clsDialog;
class frmAbout;
class frmHistory;
class frmPaletteEditor;
class frmStageOverview;
class frmTileEdit;
class frmTileSheet;
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
    frmHistory* HistoryWindow(bool create = true);
    frmTileSheet* TileSheet(bool create = true);

    // Discards the palette editor: the accessor reads null at once and the window
    // is deleted when control returns to the event loop. The next creation
    // starts again at swatch 0.
    void UnloadPaletteEditor();

    // The shared file dialog (created on first use).
    clsDialog& Dialog();

    // The document the window shows, and what of it is in view.
    RomDocument& Document() { return document_; }
    const ViewState& View() const { return view_; }
    // The undo history of the open image.
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

    QAction* mnuOpen() const { return menus_.open; }
    QAction* mnuSave() const { return menus_.save; }
    QAction* mnuSaveAS() const { return menus_.saveAs; }
    QAction* mnuExit() const { return menus_.exit; }
    QAction* mnuPalette() const { return menus_.palette; }
    QAction* mnuTileEditor() const { return menus_.tileEditor; }
    QAction* mnuHistory() const { return menus_.history; }
    QAction* mnuTileSheet() const { return menus_.tileSheet; }
    QAction* mnuStageSelect(int index) const { return menus_.stages.at(static_cast<std::size_t>(index)); }
    QAction* mnuGrid(int index) const { return menus_.grid.at(static_cast<std::size_t>(index)); }
    QAction* mnuAbout() const { return menus_.about; }
    QAction* mnuUndo() const { return menus_.undo; }
    QAction* mnuRedo() const { return menus_.redo; }
    QAction* mnuExportIPS() const { return menus_.exportIps; }
    QAction* mnuExportBPS() const { return menus_.exportBps; }
    QAction* mnuApplyPatch() const { return menus_.applyPatch; }
    QAction* mnuPreferences() const { return menus_.preferences; }
    QAction* mnuCut() const { return menus_.cut; }
    QAction* mnuCopy() const { return menus_.copy; }
    QAction* mnuPaste() const { return menus_.paste; }
    QAction* mnuFillSelection() const { return menus_.fillSelection; }
    QAction* mnuSelectAll() const { return menus_.selectAll; }
    QAction* mnuSelectNone() const { return menus_.selectNone; }
    QAction* mnuPasteInPlace() const { return menus_.pasteInPlace; }
    QAction* mnuStageOverview() const { return menus_.stageOverview; }
    QAction* mnuHighlightUses() const { return menus_.highlightUses; }
    QAction* mnuShowChanges() const { return menus_.showChanges; }
    QAction* mnuFindNextUse() const { return menus_.findNextUse; }
    QAction* mnuTrelvix() const { return menus_.trelvix; }
    QAction* mnuEmal() const { return menus_.emal; }
    QAction* mnuExportRoomImage() const { return menus_.exportRoomImage; }
    QAction* mnuExportStageMap() const { return menus_.exportStageMap; }
    QAction* mnuExportTiles() const { return menus_.exportTiles; }
    QAction* mnuImportTiles() const { return menus_.importTiles; }
    QAction* mnuTestInEmulator() const { return menus_.testInEmulator; }
    // Entry `index` (0 = newest) of the recent files; null when the list is shorter.
    QAction* mnuRecent(int index) const;
    QMenu* menuFile() const { return menus_.file; }
    QMenu* menuEdit() const { return menus_.edit; }
    QMenu* menuLevel() const { return menus_.level; }
    QMenu* menuView() const { return menus_.view; }
    QMenu* menuHelp() const { return menus_.help; }
    QMenu* menuWeb() const { return menus_.web; }

    // The folder the next file dialog starts in (see ui/common/DialogFolders.h).
    QString DialogFolder() const;
    // The play-test's temporary files, for tests; null before the first test.
    const PlayTest* PlayTester() const { return playTest_.get(); }

    // The selected cells of the room in the view (columns and rows of cells),
    // or an empty rectangle when none are selected there.
    QRect CellSelection() const;
    // True while pasted cells follow the pointer, waiting for a click.
    bool PastePending() const;

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
    // "&Undo", "&Redo": take back / do again one edit and show where it was.
    void mnuUndo_Click();
    void mnuRedo_Click();
    // The patch exports: the image's changes against the clean original set
    // in Preferences, else against the image as opened.
    void mnuExportIPS_Click();
    void mnuExportBPS_Click();
    // An IPS or BPS file applied to the image as one edit.
    void mnuApplyPatch_Click();
    // The Preferences dialog; its values are kept when accepted.
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
    // "Histor&y": shows the history window, or hides it when the item is checked.
    void mnuHistory_Click();
    // The Edit menu's cell items (RoomEditor.h).
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuFillSelection_Click();
    void mnuSelectAll_Click();
    void mnuSelectNone_Click();
    void mnuPasteInPlace_Click();
    // PNG of the room shown, or of the stage's rooms side by side, at the
    // export scale of Preferences.
    void mnuExportRoomImage_Click();
    void mnuExportStageMap_Click();
    // The stage's tiles as the sheet shows them, to a PNG or CHR file; a tile
    // set read from one into the stage as one edit.
    void mnuExportTiles_Click();
    void mnuImportTiles_Click();
    // The image as it is now, in the emulator of Preferences.
    void mnuTestInEmulator_Click();
    // A recent file: opened as Open would, after the unsaved-change question.
    void mnuRecent_Click(int index);
    // "Stage &Overview" shows the overview or hides it; "&Highlight Uses" and
    // "Show &Changes" flip their marks; "Find Next Use" (F3) shows the next
    // cell holding the selected block.
    void mnuStageOverview_Click();
    void mnuHighlightUses_Click();
    void mnuShowChanges_Click();
    void mnuFindNextUse_Click();
    // "Tile S&heet" shows the tile sheet or hides it.
    void mnuTileSheet_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Escape, Page Up and Page Down, while the main window has the keyboard
    // and nothing in it (a menu, a control) took the key.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A dropped .nes file opens as Open would (frmQuorvan_recent.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateWidgets();
    void ConnectWidgets();
    void ConnectViews();
    void Form_Load();
    void SetupMenus();

    // Every tool window (null when not created), whether its item says it is
    // open, and how to show it (creating it).
    struct ToolWindowState {
        QWidget* window;
        bool open;
        std::function<void()> show;
    };
    std::vector<ToolWindowState> ToolWindows();

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
    // While the image has unsaved changes, asks whether to save them first
    // (Save, Discard, Cancel). True when the caller may go on.
    bool ConfirmUnsavedChanges(const QString& title, const QString& question);

    // The document's signals: a new image, a new file name, the history.
    void Document_ImageReplaced();
    void Document_FileNameChanged(const QString& fileName);
    void UpdateHistoryState();

    // Exports (frmQuorvan_export.cpp): a patch, a picture; a file chosen in
    // the shared dialog, its folder remembered (none when cancelled);
    // false, after saying why, when `path` is the open image or the clean
    // original, which no export (`what`: "patch", "picture") replaces.
    void ExportPatch(PatchFormat format);
    void ExportPicture(bool wholeStage);
    enum class FileChoice { Open, Save };
    std::optional<QString> ChooseFile(FileChoice choice, const QString& title, const QString& filter,
                                      const QString& fileName, const QString& suffix);
    bool ExportMayWrite(const QString& path, const QString& cleanOriginal, const QString& what);
    // The file an export writes: chosen, never an input (ExportMayWrite), and
    // when a file is there, replaced only with the user's consent; declining
    // goes back to the chooser with the name still typed. Nothing when the
    // user gave up.
    std::optional<QString> ChooseExportFile(const QString& title, const QString& filter, QString fileName,
                                            const QString& suffix, const QString& cleanOriginal, const QString& what);
    // A note in the status bar naming the file just written and its size.
    void NoteWritten(const QString& path);

    // Recent files and dropped files (frmQuorvan_recent.cpp).
    void UpdateRecentMenu();
    void NoteRecentFile(const QString& path);
    void OpenRecentOrDropped(const QString& path);
    void RememberDialogFolder(const QString& chosenFile);

    // The tool windows' wiring, done once when each is created (frmQuorvan_tools.cpp).
    void ConnectTileEdit(frmTileEdit* editor);
    void ConnectPaletteEditor(frmPaletteEditor* editor);
    void ConnectStageOverview(frmStageOverview* overview);
    void SyncStageOverview(); // the overview shows the stage, room and marks shown here
    void ConnectHistoryWindow(frmHistory* window);
    // Undoes or redoes, one step at a time through Undo / Redo, until `index` steps are applied.
    void GoToHistoryState(int index);
    // The tile sheet and the tile editor together (frmQuorvan_tiles.cpp): the
    // sheet takes the palette of a block picked or shown; a click on a
    // quadrant of the editor's block writes or takes the sheet's tile.
    void ConnectTileSheet(frmTileSheet* sheet);
    void SheetFollowsBlock(int block);
    void TileEdit_QuadrantClicked(int quadrant, int button);
    int SheetPalette() const; // the palette the sheet draws with (a new sheet's, when there is none)

    // What is in view (frmQuorvan_views.cpp): each sets the view state, the
    // widgets that show it, and draws what changed.
    void ShowRoom(int room);
    void ShowPage(int page);
    void SelectBlock(int block);
    void ShowOpenedImage();
    void MarksChanged();    // the marks over the room changed: the room and the overview
    void UpdateEditItems(); // the enabled state of the items that need a stage, a selection
    void hLevel_Frames_Change(int value);
    void hLevel_Frames_Scroll(int value);
    void hsTable_Change(int value);
    void hsTable_Scroll(int value);
    std::uint8_t GetMaxRoom() const; // highest room the current stage's list names
    // Brings the views to where an undone or redone change is.
    void ShowEditPlace(const EditPlace& place);

    // The mouse on the views (frmQuorvan_edit.cpp); button 1 left, 2 right, 4 middle.
    void picTile_MouseDown(int button, int shift, int x, int y);
    void picEditor_MouseDown(int button, int shift, int x, int y);

    PictureBox* picEditor_ = nullptr;
    PictureBox* picTile_ = nullptr;
    PictureBox* picSelectedTile_ = nullptr;
    QScrollBar* hLevel_Frames_ = nullptr;
    QScrollBar* hsTable_ = nullptr;
    QPushButton* cmdEditTile_ = nullptr;
    QStatusBar* SB1_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* panel2_ = nullptr;
    QLabel* panel3_ = nullptr;
    QLabel* statusNote_ = nullptr;
    QTimer* statusNoteTimer_ = nullptr;
    MainMenus menus_;

    RomDocument& document_;
    ViewState view_;
    LevelView* levelView_ = nullptr;
    BlockTableView* tableView_ = nullptr;
    RoomEditor* roomEditor_ = nullptr;
    LevelInsight* insight_ = nullptr;

    std::unique_ptr<clsDialog> dialog_;
    std::unique_ptr<PlayTest> playTest_;
    QPointer<frmTileEdit> tileEdit_;
    QPointer<frmPaletteEditor> paletteEditor_;
    QPointer<frmAbout> about_;
    QPointer<frmStageOverview> stageOverview_;
    QPointer<frmHistory> historyWindow_;
    QPointer<frmTileSheet> tileSheet_;

    bool closing_ = false;      // set once the user agreed to close
    bool checkingDisk_ = false; // asking about a file changed on disk
    ReadResult declinedReload_; // the file on disk the user chose not to reload, and its bytes
};

} // namespace quorvan
