// Minimising, restoring and closing the main window.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/common/modODMenus.h"
#include "ui/common/frmAbout.h"
#include "ui/history/frmHistory.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>

namespace quorvan {

void frmQuorvan::mnuExit_Click()
{
    // Exit only asks the window to close; every way of closing asks the same question.
    close();
}

bool frmQuorvan::Form_QueryUnload()
{
    // With unsaved edits the one question names them; otherwise the plain exit question.
    if (document_.isOpen() && document_.isModified())
        return ConfirmUnsavedChanges(QStringLiteral("Quit"), QStringLiteral("Save them before exiting?"));
    const auto answer = MsgBox(this, QStringLiteral("Are You Sure You Want To Exit?"), QStringLiteral("Quit"),
                               QMessageBox::Yes | QMessageBox::No, MsgIcon::Question, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void frmQuorvan::closeEvent(QCloseEvent* event)
{
    if (!closing_ && !Form_QueryUnload()) {
        event->ignore();
        return;
    }
    closing_ = true;

    // The tool windows go first, in this order.
    if (frmAbout* about = About(false)) {
        about->hide();
        delete about;
    }
    if (frmPaletteEditor* palette = PaletteEditor(false)) {
        palette->hide();
        delete palette;
    }
    if (frmTileEdit* tiles = TileEdit(false)) {
        tiles->hide();
        delete tiles;
    }
    if (frmStageOverview* overview = StageOverview(false)) {
        overview->hide();
        delete overview;
    }
    delete HistoryWindow(false);
    if (frmTileSheet* sheet = TileSheet(false)) {
        sheet->hide();
        delete sheet;
    }

    // Owner-drawn menus are removed here, once the tool windows are gone.
    RemoveODMenus(this);

    event->accept();
    // The program ends with its main window, whatever other windows are left.
    QCoreApplication::quit();
}

void frmQuorvan::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmQuorvan::Form_Resize()
{
    if (isMinimized()) {
        // The tool windows follow the main window out of sight.
        if (frmAbout* about = About(false))
            about->hide();
        if (frmPaletteEditor* palette = PaletteEditor(false))
            palette->hide();
        if (frmTileEdit* tiles = TileEdit(false))
            tiles->hide();
        if (frmStageOverview* overview = StageOverview(false))
            overview->hide();
        if (frmHistory* history = HistoryWindow(false))
            history->hide();
        if (frmTileSheet* sheet = TileSheet(false))
            sheet->hide();
        return;
    }
    // Back again: the editors whose items are checked come back; the about box does not.
    if (view_.paletteOpen)
        PaletteEditor()->show();
    if (view_.tileEditorOpen)
        TileEdit()->show();
    if (view_.overviewOpen)
        StageOverview()->show();
    if (view_.historyOpen)
        HistoryWindow()->show();
    if (view_.sheetOpen)
        TileSheet()->show();
}

} // namespace quorvan
