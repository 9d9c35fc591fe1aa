// Open, Save and Save As, and the question asked before unsaved changes are dropped.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "data/Stages.h"
#include "ui/common/MsgBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/common/clsDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

namespace quorvan {

namespace {
const QString kRomFilter = QStringLiteral("NES Images (*.NES)|*.nes|All Files (*.*)|*.*");
}

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
    dialog.setInitDir(ProgramFolder());
    // A typed name is opened as it is: a file without an extension stays openable.
    dialog.setDefaultExt(QString());
    if (!dialog.ShowOpen())
        return; // cancelled: nothing changes
    OpenFile(dialog.FileName());
}

bool frmQuorvan::OpenFile(const QString& path)
{
    // A refused file leaves the document, and so every view, as it was.
    const RomDocument::OpenResult opened = document_.Open(path);
    switch (opened.status) {
    case RomDocument::OpenResult::Status::ReadFailed:
        ShowFileError(QStringLiteral("open"), path, opened.error);
        return false;
    case RomDocument::OpenResult::Status::BadSize: {
        // The text and title stay as they always were; the details say what was wrong.
        const QFileInfo file(path);
        const auto sizeText = [](qint64 bytes) {
            return QStringLiteral("%1 bytes (0x%2)").arg(bytes).arg(QString::number(bytes, 16).toUpper());
        };
        MsgBox(this, QStringLiteral("Invalid ROM Size."), QStringLiteral("Bad File"), QMessageBox::Ok,
               MsgIcon::Critical, QMessageBox::NoButton,
               QStringLiteral("\"%1\" is %2 long. An image must be %3 or %4.")
                   .arg(file.fileName(), sizeText(file.size()), sizeText(qint64{kImageLengthPlain}),
                        sizeText(qint64{kImageLengthShifted})));
        return false;
    }
    case RomDocument::OpenResult::Status::Ok:
        break;
    }
    return true;
}

void frmQuorvan::Document_ImageReplaced()
{
    if (!document_.isOpen())
        return;
    mnuLevel_->menuAction()->setEnabled(true);
    mnuSave_->setEnabled(true);
    mnuSaveAS_->setEnabled(true);
    mnuExportIPS_->setEnabled(true);
    NewRenderFaultContext(); // drawing problems the user closed on the old image are news on this one
    ShowOpenedImage();
}

void frmQuorvan::Document_FileNameChanged(const QString& fileName)
{
    panel1_->setText(fileName);
}

bool frmQuorvan::SaveImage(const QString& saveAsPath)
{
    const RomDocument::SaveResult saved =
        saveAsPath.isEmpty() ? document_.Save() : document_.SaveAs(saveAsPath);
    switch (saved.status) {
    case RomDocument::SaveResult::Status::Ok:
        return true;
    case RomDocument::SaveResult::Status::BackupFailed:
        MsgBox(this,
               QStringLiteral("Could not save \"%1\": the file that is there could not be kept as \"%2\".\n\n%3")
                   .arg(QDir::toNativeSeparators(saved.path), QDir::toNativeSeparators(saved.backupPath),
                        saved.error),
               QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
        return false;
    case RomDocument::SaveResult::Status::WriteFailed:
        ShowFileError(QStringLiteral("save"), saved.path, saved.error);
        return false;
    }
    return false;
}

void frmQuorvan::mnuSave_Click()
{
    if (document_.fileName().isEmpty() || !document_.isOpen())
        return;
    SaveImage();
}

void frmQuorvan::mnuSaveAS_Click()
{
    if (!document_.isOpen())
        return;
    clsDialog& dialog = Dialog();
    dialog.setFilter(kRomFilter);
    dialog.setInitDir(ProgramFolder());
    // A name typed without an extension gets ".nes", so that Open's filter shows the file.
    dialog.setDefaultExt(QStringLiteral("nes"));
    if (!dialog.ShowSave())
        return; // cancelled: nothing written, the path stays
    // The new path takes effect only once the image is safely written there.
    SaveImage(QDir::toNativeSeparators(dialog.FileName()));
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
