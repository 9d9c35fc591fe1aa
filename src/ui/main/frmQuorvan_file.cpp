// Open, Save and Save As, and the question asked before unsaved changes are dropped.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "data/Stages.h"
#include "ui/common/MsgBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/common/clsDialog.h"
#include "ui/main/LevelInsight.h"
#include "ui/main/RoomEditor.h"
#include "ui/prefs/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>

#include <utility>

namespace quorvan {

namespace {

const QString kRomFilter = QStringLiteral("NES Images (*.NES)|*.nes|All Files (*.*)|*.*");

QString NativeName(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

clsDialog& frmQuorvan::Dialog()
{
    if (!dialog_) {
        dialog_ = std::make_unique<clsDialog>();
        dialog_->sethwnd(this);
    }
    return *dialog_;
}

QString frmQuorvan::ProgramFolder()
{
    const QString folder = QCoreApplication::applicationDirPath();
    return folder.isEmpty() ? QDir::currentPath() : QDir::toNativeSeparators(folder);
}

void frmQuorvan::ShowFileError(const QString& action, const QString& path, const QString& reason)
{
    MsgBox(this,
           QStringLiteral("Could not %1 \"%2\".\n\n%3").arg(action, QDir::toNativeSeparators(path), reason),
           QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
}

void frmQuorvan::mnuOpen_Click()
{
    // Opening replaces the image: unsaved edits are saved or dropped first, or the Open stops.
    if (!ConfirmUnsavedChanges(QStringLiteral("Open"), QStringLiteral("Save them before opening another image?")))
        return;
    clsDialog& dialog = Dialog();
    dialog.setFilter(kRomFilter);
    dialog.setInitDir(DialogFolder());
    // A typed name is opened as it is: a file without an extension stays openable.
    dialog.setDefaultExt(QString());
    if (!dialog.ShowOpen())
        return; // cancelled: nothing changes
    RememberDialogFolder(dialog.FileName());
    OpenFile(dialog.FileName());
}

bool frmQuorvan::OpenFile(const QString& path)
{
    // A refused file leaves the document, and so every view, as it was.
    const RomDocument::OpenResult opened = document_.Open(path);
    switch (opened.status) {
    case RomDocument::OpenResult::Status::ReadFailed:
        emit openRefused(path, opened.error.simplified());
        ShowFileError(QStringLiteral("open"), path, opened.error);
        return false;
    case RomDocument::OpenResult::Status::BadSize: {
        // The text and title stay as they always were; the details say what was wrong.
        const QFileInfo file(path);
        const auto sizeText = [](qint64 bytes) {
            return QStringLiteral("%1 bytes (0x%2)").arg(bytes).arg(QString::number(bytes, 16).toUpper());
        };
        const QString details = QStringLiteral("\"%1\" is %2 long. An image must be %3 or %4.")
                                    .arg(file.fileName(), sizeText(file.size()), sizeText(qint64{kImageLengthPlain}),
                                         sizeText(qint64{kImageLengthShifted}));
        emit openRefused(path, QStringLiteral("Invalid ROM Size. ") + details);
        MsgBox(this, QStringLiteral("Invalid ROM Size."), QStringLiteral("Bad File"), QMessageBox::Ok,
               MsgIcon::Critical, QMessageBox::NoButton, details);
        return false;
    }
    case RomDocument::OpenResult::Status::Ok:
        break;
    }
    NoteRecentFile(path);
    return true;
}

void frmQuorvan::Document_ImageReplaced()
{
    if (!document_.isOpen()) {
        roomEditor_->ImageReplaced();
        SyncStageOverview();
        return;
    }
    for (QAction* item : {menus_.level->menuAction(), menus_.save, menus_.saveAs, menus_.exportIps, menus_.exportBps,
                          menus_.applyPatch, menus_.testInEmulator, menus_.history})
        item->setEnabled(true);
    NewRenderFaultContext(); // drawing problems the user closed on the old image are news on this one
    roomEditor_->ImageReplaced();
    insight_->StartOver();
    ShowOpenedImage();
    SyncStageOverview();
    UpdateEditItems();
}

void frmQuorvan::CheckFileOnDisk()
{
    // Not in the middle of something else: a question, a save, closing.
    if (checkingDisk_ || closing_ || !document_.isOpen() || QApplication::activeModalWidget() != nullptr)
        return;
    const DiskChange change = document_.CheckFileOnDisk();
    if (change != DiskChange::ContentsChanged && change != DiskChange::Replaced)
        return;
    const QString path = document_.fileName();
    // The user chose to keep working on this image over that file: not asked
    // again until it changes, told by its identity and bytes as for saving
    // (another program may put its size and time back).
    ReadResult now = ReadWholeFile(path, kImageLengthPlain);
    const bool declined = now.ok() ? declinedReload_.ok() && now.stamp.sameFileAs(declinedReload_.stamp) &&
                                         now.bytes == declinedReload_.bytes
                                   : now.stamp == declinedReload_.stamp;
    if (declined)
        return;
    const QScopedValueRollback<bool> guard(checkingDisk_, true);
    const bool modified = document_.isModified();
    const QString text =
        modified ? QStringLiteral("\"%1\" has been changed on disk by another program, and your changes to it have "
                                  "not been saved.\n\nReload it from the disk and lose your changes?")
                 : QStringLiteral("\"%1\" has been changed on disk by another program.\n\nReload it?");
    const auto answer = MsgBox(this, text.arg(NativeName(path)), QStringLiteral("File Changed on Disk"),
                               QMessageBox::Yes | QMessageBox::No, MsgIcon::Exclamation,
                               modified ? QMessageBox::No : QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        declinedReload_ = std::move(now);
        return;
    }
    declinedReload_ = ReadResult{};
    OpenFile(path);
}

void frmQuorvan::Document_FileNameChanged(const QString& fileName)
{
    panel1_->setText(fileName);
}

namespace {

QString WhatChanged(DiskChange change)
{
    switch (change) {
    case DiskChange::ContentsChanged:
        return QStringLiteral("another program has changed it since it was opened or last saved here");
    case DiskChange::Replaced:
        return QStringLiteral("another file has taken its place since it was opened or last saved here");
    case DiskChange::Unreadable:
        return QStringLiteral("it can no longer be read to check whether another program has changed it");
    default:
        return QStringLiteral("it is not what it was when it was opened or last saved here");
    }
}

// A backup whose name no file system can hold: FILE.bak of a name of 252 bytes or more.
bool BackupNameTooLong(const QString& backupPath)
{
    return QFile::encodeName(QFileInfo(backupPath).fileName()).size() > 255;
}

} // namespace

bool frmQuorvan::SaveImage(const QString& saveAsPath, RomDocument::SaveOptions options)
{
    for (;;) {
        const RomDocument::SaveResult saved =
            saveAsPath.isEmpty() ? document_.Save(options) : document_.SaveAs(saveAsPath, options);
        const QString name = QFileInfo(saved.path).fileName();
        switch (saved.status) {
        case RomDocument::SaveResult::Status::Ok:
            NoteRecentFile(saved.path);
            if (!saved.warning.isEmpty())
                MsgBox(this, QStringLiteral("\"%1\" was saved.\n\n%2").arg(NativeName(saved.path), saved.warning),
                       QStringLiteral("Save"), QMessageBox::Ok, MsgIcon::Exclamation);
            return true;
        case RomDocument::SaveResult::Status::ChangedOnDisk: {
            // Someone else's work is on disk: the user decides, Cancel first.
            const int choice = MsgChoice(
                this,
                QStringLiteral("\"%1\" has changed on disk: %2.\n\nOverwrite it with this image (the version on "
                               "disk is kept as \"%3\"), save this image under another name, or cancel?")
                    .arg(NativeName(saved.path), WhatChanged(saved.change), name + QStringLiteral(".bak")),
                QStringLiteral("File Changed on Disk"), MsgIcon::Exclamation,
                {QStringLiteral("&Overwrite"), QStringLiteral("Save &As..."), QStringLiteral("Cancel")}, 2, 2);
            if (choice == 0) {
                options.overwriteChangedFile = true;
                continue;
            }
            if (choice == 1)
                return SaveImageAs();
            return false;
        }
        case RomDocument::SaveResult::Status::ReadOnly: {
            const auto answer = MsgBox(
                this,
                QStringLiteral("\"%1\" is read-only, so it is not saved over.\n\n%2\n\nSave the image under another "
                               "name?")
                    .arg(NativeName(saved.path), saved.error),
                QStringLiteral("File Is Read-Only"), QMessageBox::Yes | QMessageBox::No, MsgIcon::Exclamation,
                QMessageBox::Yes);
            return answer == QMessageBox::Yes && SaveImageAs();
        }
        case RomDocument::SaveResult::Status::BackupFailed:
            if (BackupNameTooLong(saved.backupPath) && !options.withoutBackup) {
                const auto answer = MsgBox(
                    this,
                    QStringLiteral("The file that is there cannot be kept as \"%1\": the name is too long for the "
                                   "disk.\n\nSave \"%2\" without keeping a copy of it?")
                        .arg(QFileInfo(saved.backupPath).fileName(), NativeName(saved.path)),
                    QStringLiteral("Save"), QMessageBox::Yes | QMessageBox::No, MsgIcon::Exclamation,
                    QMessageBox::No);
                if (answer != QMessageBox::Yes)
                    return false;
                options.withoutBackup = true;
                continue;
            }
            MsgBox(this,
                   QStringLiteral("Could not save \"%1\": the file that is there could not be kept as \"%2\".\n\n%3")
                       .arg(NativeName(saved.path), NativeName(saved.backupPath), saved.error),
                   QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
            return false;
        case RomDocument::SaveResult::Status::Damaged:
            ShowFileError(QStringLiteral("save"), saved.path,
                          saved.error + QStringLiteral("\n\nWhat the file held before is kept in \"%1\".")
                                            .arg(NativeName(saved.keptCopy)));
            return false;
        case RomDocument::SaveResult::Status::WriteFailed:
            ShowFileError(QStringLiteral("save"), saved.path, saved.error);
            return false;
        }
        return false;
    }
}

void frmQuorvan::mnuSave_Click()
{
    if (document_.fileName().isEmpty() || !document_.isOpen())
        return;
    SaveImage();
}

void frmQuorvan::mnuSaveAS_Click()
{
    SaveImageAs();
}

bool frmQuorvan::SaveImageAs()
{
    if (!document_.isOpen())
        return false;
    clsDialog& dialog = Dialog();
    dialog.setFilter(kRomFilter);
    dialog.setInitDir(DialogFolder());
    dialog.setFileName(QFileInfo(document_.fileName()).fileName()); // proposed in that folder
    // A name typed without an extension gets ".nes", so that Open's filter shows the file.
    dialog.setDefaultExt(QStringLiteral("nes"));
    for (;;) {
        if (!dialog.ShowSave())
            return false; // cancelled: nothing written, the path stays
        RememberDialogFolder(dialog.FileName());
        const QString path = QDir::toNativeSeparators(dialog.FileName());
        // Never the clean original (by any of its names), the base of every patch.
        const bool own = RomDocument::SameFile(path, document_.fileName());
        if (!own && !ExportMayWrite(path, Preferences::Load().cleanOriginal, QStringLiteral("image")))
            return false;
        // Another file that is there is replaced only once the user has agreed
        // to it; declining goes back to the chooser with the name still typed.
        if (!own && !ConfirmReplace(path, QStringLiteral("Save As"))) {
            dialog.setFileName(path);
            continue;
        }
        // The new path takes effect only once the image is safely written there.
        if (!SaveImage(path))
            return false;
        NoteWritten(path);
        return true;
    }
}

bool frmQuorvan::ConfirmReplace(const QString& path, const QString& title)
{
    // Only a file can be replaced; anything else is refused by the writer, which says why.
    if (!QFileInfo(path).isFile())
        return true;
    return MsgBox(this,
                  QStringLiteral("\"%1\" already exists.\n\nDo you want to replace it?").arg(NativeName(path)), title,
                  QMessageBox::Yes | QMessageBox::No, MsgIcon::Exclamation, QMessageBox::No) == QMessageBox::Yes;
}

bool frmQuorvan::ConfirmUnsavedChanges(const QString& title, const QString& question)
{
    if (!document_.isOpen() || !document_.isModified())
        return true;
    const QString name = QFileInfo(document_.fileName()).fileName();
    const auto answer =
        MsgBox(this, QStringLiteral("The changes to \"%1\" have not been saved.\n\n%2").arg(name, question), title,
               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, MsgIcon::Exclamation,
               QMessageBox::Cancel);
    switch (answer) {
    case QMessageBox::Save:
        // Goes on only when the image is safely on disk; a failed save has told the user why.
        return !document_.fileName().isEmpty() && SaveImage();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

} // namespace quorvan
