// Open, Save and Save As.

#include "ui/main/frmQuorvan.h"

#include "data/RomFile.h"
#include "data/modGlobals.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
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
    if (!dialog.ShowOpen())
        return; // cancelled: nothing changes
    OpenFile(dialog.FileName());
}

bool frmQuorvan::OpenFile(const QString& path)
{
    LoadResult loaded = LoadRomFile(path);
    switch (loaded.status) {
    case LoadResult::Status::ReadFailed:
        ShowFileError(QStringLiteral("open"), path, loaded.error);
        return false;
    case LoadResult::Status::BadSize:
        MsgBox(this, QStringLiteral("Invalid ROM Size."), QStringLiteral("Bad File"), QMessageBox::Ok,
               MsgIcon::Critical);
        return false;
    case LoadResult::Status::Ok:
        break;
    }
    RomImage.replace(std::move(loaded.bytes));
    Stages = loaded.stages;
    RomFileName = QDir::toNativeSeparators(path);
    panel1_->setText(RomFileName);
    mnuLevel_->menuAction()->setEnabled(true);
    mnuSave_->setEnabled(true);
    mnuSaveAS_->setEnabled(true);
    HistoryAfterOpen();
    ShowOpenedImage();
    return true;
}

bool frmQuorvan::WriteImageTo(const QString& path)
{
    if (!KeepBackupBeforeSave(path))
        return false;
    if (const auto error = SaveRomFile(path, RomImage.bytes())) {
        ShowFileError(QStringLiteral("save"), path, *error);
        return false;
    }
    HistoryAfterSave(path);
    return true;
}

void frmQuorvan::mnuSave_Click()
{
    if (RomFileName.isEmpty() || RomImage.empty())
        return;
    WriteImageTo(RomFileName);
}

void frmQuorvan::mnuSaveAS_Click()
{
    if (RomImage.empty())
        return;
    clsDialog& dialog = Dialog();
    dialog.setFilter(kRomFilter);
    dialog.setInitDir(ProgramFolder());
    if (!dialog.ShowSave())
        return; // cancelled: nothing written, the path stays
    const QString path = QDir::toNativeSeparators(dialog.FileName());
    // The new path takes effect only once the image is safely written there.
    if (!WriteImageTo(path))
        return;
    RomFileName = path;
    panel1_->setText(RomFileName);
}

} // namespace quorvan
