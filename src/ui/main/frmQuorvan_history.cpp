// Undo and redo, the unsaved-change marker in the caption, the backup kept
// before the first save over a file, and the export of the changes as an IPS patch.

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/FileBackup.h"
#include "data/IpsPatch.h"
#include "data/Version.h"
#include "data/modGlobals.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QSaveFile>

#include <algorithm>

namespace quorvan {

namespace {

const QString kIpsFilter = QStringLiteral("IPS Patches (*.ips)|*.ips|All Files (*.*)|*.*");

QAction* NewItem(QMenu* menu, const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setEnabled(false);
    return action;
}

// One spelling of a path for comparing files: the real path when it exists.
QString FileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

void frmQuorvan::CreateHistoryMenus()
{
    history_ = std::make_unique<EditHistory>(RomImage);

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
    history_->setListener([this] { UpdateHistoryState(); });
    UpdateHistoryState();
}

void frmQuorvan::HistoryAfterOpen()
{
    history_->Reset();
    mnuExportIPS_->setEnabled(true);
    UpdateHistoryState();
}

void frmQuorvan::HistoryAfterSave(const QString& path)
{
    history_->MarkSaved();
    const QString key = FileKey(path);
    if (!savedThisSession_.contains(key))
        savedThisSession_.append(key);
}

void frmQuorvan::UpdateHistoryState()
{
    mnuUndo_->setEnabled(history_->canUndo());
    mnuRedo_->setEnabled(history_->canRedo());
    const QString caption = MainCaption() + (RomImage.modified() ? QStringLiteral(" *") : QString());
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void frmQuorvan::mnuUndo_Click()
{
    // The shortcut reaches every window; a dialog in front takes precedence.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    if (history_->Undo())
        RedrawAfterHistory();
}

void frmQuorvan::mnuRedo_Click()
{
    if (QApplication::activeModalWidget() != nullptr)
        return;
    if (history_->Redo())
        RedrawAfterHistory();
}

void frmQuorvan::RedrawAfterHistory()
{
    // A step may have changed any block, palette or room: redraw all that shows them.
    DrawLevel();
    DrawTable();
    if (frmPaletteEditor* palette = PaletteEditor(false))
        palette->Init();
    if (frmTileEdit* tiles = TileEdit(false))
        tiles->Init();
}

bool frmQuorvan::KeepBackupBeforeSave(const QString& path)
{
    const QFileInfo target(path);
    if (!target.exists() || !target.isFile())
        return true; // nothing there to lose (a folder, device or pipe is refused by the save itself)
    if (savedThisSession_.contains(FileKey(path)))
        return true; // what is there now is this session's own earlier save
    const QString backup = path + QStringLiteral(".bak");
    if (const auto error = CopyFileAtomically(path, backup)) {
        MsgBox(this,
               QStringLiteral("Could not save \"%1\": the file that is there could not be kept as \"%2\".\n\n%3")
                   .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup), *error),
               QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
        return false;
    }
    return true;
}

void frmQuorvan::mnuExportIPS_Click()
{
    if (RomImage.empty())
        return;
    const auto patch = BuildIpsPatch(history_->openedBytes(), RomImage.bytes());
    if (!patch) {
        MsgBox(this, QStringLiteral("The image cannot be written as an IPS patch."),
               QStringLiteral("Export IPS Patch"), QMessageBox::Ok, MsgIcon::Critical);
        return;
    }
    if (history_->openedBytes().size() == RomImage.size() &&
        std::equal(RomImage.bytes().begin(), RomImage.bytes().end(), history_->openedBytes().begin())) {
        MsgBox(this, QStringLiteral("The image has not changed since it was opened: there is nothing to export."),
               QStringLiteral("Export IPS Patch"), QMessageBox::Ok, MsgIcon::Information);
        return;
    }

    // The shared dialog, with its properties put back afterwards, so that the
    // next Save As proposes the image and not the patch.
    clsDialog& dialog = Dialog();
    const clsDialog before = dialog;
    const QFileInfo image(RomFileName);
    dialog.setFilter(kIpsFilter);
    dialog.setFilterIndex(1);
    dialog.setInitDir(QDir::toNativeSeparators(image.absolutePath()));
    dialog.setFileName(QDir::toNativeSeparators(image.dir().filePath(image.completeBaseName() + QStringLiteral(".ips"))));
    dialog.setDefaultExt(QStringLiteral("ips"));
    const bool chosen = dialog.ShowSave();
    const QString path = dialog.FileName();
    dialog = before;
    if (!chosen)
        return;

    if (!RomFileName.isEmpty() && FileKey(path) == FileKey(RomFileName)) {
        ShowFileError(QStringLiteral("write the patch to"), path,
                      QStringLiteral("It is the open image; choose another name for the patch."));
        return;
    }
    if (QFileInfo(path).isDir()) {
        ShowFileError(QStringLiteral("write the patch to"), path, QStringLiteral("It is a folder, not a file."));
        return;
    }
    QSaveFile file(path);
    const auto length = static_cast<qint64>(patch->size());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(patch->data()), length) != length || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        ShowFileError(QStringLiteral("write the patch to"), path, reason);
    }
}

} // namespace quorvan
