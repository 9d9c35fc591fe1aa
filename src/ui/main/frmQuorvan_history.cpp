// Undo and redo, their captions naming the step, and the unsaved-change
// marker in the caption.

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "data/Version.h"
#include "ui/main/MenuItems.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace quorvan {

void frmQuorvan::CreateHistoryMenus()
{
    // At the top of "&Edit": Undo, Redo and a separator.
    mnuUndo_ = NewMenuItem(mnuEdit_, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"));
    mnuUndo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo_ = NewMenuItem(mnuEdit_, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"));
    mnuRedo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // Undo works from the tool windows too: they show the same image.
    for (QAction* item : {mnuUndo_, mnuRedo_})
        item->setShortcutContext(Qt::ApplicationShortcut);
    QAction* first = mnuEdit_->actions().isEmpty() ? nullptr : mnuEdit_->actions().first();
    mnuEdit_->insertAction(first, mnuUndo_);
    mnuEdit_->insertAction(first, mnuRedo_);
    EditFiller0_ = mnuEdit_->insertSeparator(first);
    EditFiller0_->setObjectName(QStringLiteral("EditFiller0"));

    // In "&File", in a group of its own above "E&xit".
    mnuExportIPS_ = NewMenuItem(mnuFIle_, QStringLiteral("mnuExportIPS"), QStringLiteral("Export IPS Patch..."));
    mnuFIle_->insertAction(mnuExit_, mnuExportIPS_);
    FileFiller3_ = mnuFIle_->insertSeparator(mnuExit_);
    FileFiller3_->setObjectName(QStringLiteral("FileFiller3"));
}

void frmQuorvan::ConnectHistory()
{
    connect(mnuUndo_, &QAction::triggered, this, &frmQuorvan::mnuUndo_Click);
    connect(mnuRedo_, &QAction::triggered, this, &frmQuorvan::mnuRedo_Click);
    connect(mnuExportIPS_, &QAction::triggered, this, &frmQuorvan::mnuExportIPS_Click);
    connect(&document_, &RomDocument::undoStateChanged, this, &frmQuorvan::UpdateHistoryState);
    connect(&document_, &RomDocument::modifiedChanged, this, &frmQuorvan::UpdateHistoryState);
    UpdateHistoryState();
}

namespace {

// "&Undo Paste", or "&Undo" alone for a step without a name or no step.
QString StepCaption(const QString& verb, const QString& name)
{
    return name.isEmpty() ? verb : verb + QLatin1Char(' ') + name;
}

} // namespace

void frmQuorvan::UpdateHistoryState()
{
    const EditHistory& history = document_.history();
    mnuUndo_->setEnabled(history.canUndo());
    mnuRedo_->setEnabled(history.canRedo());
    const QString undo = StepCaption(QStringLiteral("&Undo"), history.canUndo() ? history.undoName() : QString());
    const QString redo = StepCaption(QStringLiteral("&Redo"), history.canRedo() ? history.redoName() : QString());
    if (mnuUndo_->text() != undo)
        mnuUndo_->setText(undo);
    if (mnuRedo_->text() != redo)
        mnuRedo_->setText(redo);
    const QString caption = MainCaption() + (document_.isModified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void frmQuorvan::mnuUndo_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    EndPaintGesture(); // a stroke under way is a step of its own, the one undone
    const EditPlace place = document_.history().undoPlace();
    if (document_.history().Undo()) {
        ShowEditPlace(place);
        RedrawImageViews(EditorReload::KeepSelection);
    }
}

void frmQuorvan::mnuRedo_Click()
{
    if (QApplication::activeModalWidget() != nullptr)
        return;
    EndPaintGesture();
    const EditPlace place = document_.history().redoPlace();
    if (document_.history().Redo()) {
        ShowEditPlace(place);
        RedrawImageViews(EditorReload::KeepSelection);
    }
}

} // namespace quorvan
