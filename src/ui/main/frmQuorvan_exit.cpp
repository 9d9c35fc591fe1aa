// Minimising, restoring and closing the main window.

#include "ui/main/frmQuorvan.h"

#include "data/modGlobals.h"
#include "ui/common/MsgBox.h"
#include "ui/common/modODMenus.h"
#include "ui/common/frmAbout.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

namespace quorvan {

void frmQuorvan::mnuExit_Click()
{
    // Exit only asks the window to close; every way of closing asks the same question.
    close();
}

bool frmQuorvan::ConfirmUnsavedChanges(const QString& title, const QString& question)
{
    if (RomImage.empty() || !RomImage.modified())
        return true;
    const QString name = QFileInfo(RomFileName).fileName();
    const auto answer =
        MsgBox(this, QStringLiteral("The changes to \"%1\" have not been saved.\n\n%2").arg(name, question), title,
               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, MsgIcon::Exclamation,
               QMessageBox::Cancel);
    switch (answer) {
    case QMessageBox::Save:
        // Goes on only when the image is safely on disk; a failed save has told the user why.
        return !RomFileName.isEmpty() && WriteImageTo(RomFileName);
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool frmQuorvan::Form_QueryUnload()
{
    // With unsaved edits the one question names them; otherwise the plain exit question.
    if (!RomImage.empty() && RomImage.modified())
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
        return;
    }
    // Back again: the editors whose items are checked come back; the about box does not.
    if (mnuPalette_->isChecked())
        PaletteEditor()->show();
    if (mnuTileEditor_->isChecked())
        TileEdit()->show();
}

} // namespace quorvan
