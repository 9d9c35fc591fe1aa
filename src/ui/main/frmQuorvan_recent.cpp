// File ▸ the recent files, and a .nes file dropped on the window: both open
// the file as File ▸ Open would, asking about unsaved changes first. And
// where the file dialogs start: the folder the user last chose a file in.

#include "ui/main/frmQuorvan.h"

#include "ui/common/DialogFolders.h"
#include "ui/main/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace quorvan {


QAction* frmQuorvan::mnuRecent(int index) const
{
    if (index < 0 || index >= static_cast<int>(menus_.recent.size()))
        return nullptr;
    QAction* item = menus_.recent[static_cast<std::size_t>(index)];
    return menus_.file->actions().contains(item) ? item : nullptr;
}

void frmQuorvan::UpdateRecentMenu()
{
    // Only the entries in use are in the menu, with their separator.
    for (QAction* item : menus_.recent)
        menus_.file->removeAction(item);
    menus_.file->removeAction(menus_.recentSeparator);
    const QStringList files = RecentFiles();
    for (qsizetype k = 0; k < files.size() && k < static_cast<qsizetype>(menus_.recent.size()); ++k) {
        QAction* item = menus_.recent[static_cast<std::size_t>(k)];
        item->setText(RecentFileCaption(static_cast<int>(k), files[k]));
        item->setData(files[k]);
        // A file that is not there now (a removed file, an unplugged drive) is
        // greyed rather than dropped: it may come back.
        item->setEnabled(QFileInfo(files[k]).isFile());
        menus_.file->insertAction(menus_.exit, item);
    }
    if (!files.isEmpty())
        menus_.file->insertAction(menus_.exit, menus_.recentSeparator);
}

void frmQuorvan::NoteRecentFile(const QString& path)
{
    AddRecentFile(path);
    UpdateRecentMenu();
}

void frmQuorvan::mnuRecent_Click(int index)
{
    const QAction* item = mnuRecent(index);
    if (item == nullptr)
        return;
    OpenRecentOrDropped(item->data().toString());
}

void frmQuorvan::OpenRecentOrDropped(const QString& path)
{
    if (!ConfirmUnsavedChanges(QStringLiteral("Open"), QStringLiteral("Save them before opening another image?")))
        return;
    OpenFile(path);
    UpdateRecentMenu();
}

void frmQuorvan::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void frmQuorvan::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void frmQuorvan::dropEvent(QDropEvent* event)
{
    const QString path = DroppedImage(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: the unsaved-change question must not hold
    // up the program the file was dragged from.
    QTimer::singleShot(0, this, [this, path] {
        activateWindow();
        OpenRecentOrDropped(path);
    });
}

QString frmQuorvan::DialogFolder() const
{
    return DialogStartFolder(document_.fileName(), ProgramFolder());
}

void frmQuorvan::RememberDialogFolder(const QString& chosenFile)
{
    RememberDialogChoice(chosenFile);
}

} // namespace quorvan
