// Undo and redo, and the unsaved-change marker in the caption.

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "data/Version.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace quorvan {

namespace {

QAction* NewItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setEnabled(false);
    return action;
}

} // namespace

void frmQuorvan::CreateHistoryMenus()
{
    // At the top of "&Edit": Undo, Redo and a separator.
    mnuUndo_ = NewItem(mnuEdit_, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"));
    mnuUndo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo_ = NewItem(mnuEdit_, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"));
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
    mnuExportIPS_ = NewItem(mnuFIle_, QStringLiteral("mnuExportIPS"), QStringLiteral("Export IPS Patch..."));
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

void frmQuorvan::UpdateHistoryState()
{
    mnuUndo_->setEnabled(document_.history().canUndo());
    mnuRedo_->setEnabled(document_.history().canRedo());
    const QString caption = MainCaption() + (document_.isModified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void frmQuorvan::mnuUndo_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    if (document_.history().Undo())
        RedrawImageViews(EditorReload::KeepSelection);
}

void frmQuorvan::mnuRedo_Click()
{
    if (QApplication::activeModalWidget() != nullptr)
        return;
    if (document_.history().Redo())
        RedrawImageViews(EditorReload::KeepSelection);
}

} // namespace quorvan
