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
    for (const ToolWindowState& tool : ToolWindows()) {
        if (tool.window != nullptr) {
            tool.window->hide();
            delete tool.window;
        }
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
    // Minimised, the tool windows follow the main window out of sight; back
    // again, those whose items are checked come back (never the about box).
    const bool minimised = isMinimized();
    for (const ToolWindowState& tool : ToolWindows()) {
        if (minimised && tool.window != nullptr)
            tool.window->hide();
        else if (!minimised && tool.open)
            tool.show();
    }
}

std::vector<frmQuorvan::ToolWindowState> frmQuorvan::ToolWindows()
{
    // In the order they go when the main window closes.
    return {{About(false), false, [] {}},
            {PaletteEditor(false), view_.paletteOpen, [this] { PaletteEditor()->show(); }},
            {TileEdit(false), view_.tileEditorOpen, [this] { TileEdit()->show(); }},
            {StageOverview(false), view_.overviewOpen, [this] { StageOverview()->show(); }},
            {HistoryWindow(false), view_.historyOpen, [this] { HistoryWindow()->show(); }},
            {TileSheet(false), view_.sheetOpen, [this] { TileSheet()->show(); }}};
}

} // namespace quorvan
