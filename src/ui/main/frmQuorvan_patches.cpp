// The patch items of the File menu besides the exports (Export BPS Patch,
// Apply Patch) and Edit ▸ Preferences.

#include "ui/main/frmQuorvan.h"

#include "data/PatchApply.h"
#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"
#include "ui/main/MenuItems.h"
#include "ui/prefs/frmPreferences.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace quorvan {

namespace {

const QString kPatchFilter = QStringLiteral(
    "Patches (*.ips;*.bps)|*.ips;*.bps|IPS Patches (*.ips)|*.ips|BPS Patches (*.bps)|*.bps|All Files (*.*)|*.*");

} // namespace

void frmQuorvan::CreatePatchMenus()
{
    // In "&File", below "Export IPS Patch...", in the same group.
    mnuExportBPS_ = NewMenuItem(mnuFIle_, QStringLiteral("mnuExportBPS"), QStringLiteral("Export &BPS Patch..."), false);
    mnuApplyPatch_ = NewMenuItem(mnuFIle_, QStringLiteral("mnuApplyPatch"), QStringLiteral("&Apply Patch..."), false);
    mnuFIle_->insertAction(FileFiller3_, mnuExportBPS_);
    mnuFIle_->insertAction(FileFiller3_, mnuApplyPatch_);

    // At the bottom of "&Edit", after a separator; it needs no image.
    EditFiller1_ = mnuEdit_->addSeparator();
    EditFiller1_->setObjectName(QStringLiteral("EditFiller1"));
    mnuPreferences_ = NewMenuItem(mnuEdit_, QStringLiteral("mnuPreferences"), QStringLiteral("&Preferences..."), true);
    mnuEdit_->addAction(mnuPreferences_);
}

void frmQuorvan::ConnectPatches()
{
    connect(mnuExportBPS_, &QAction::triggered, this, &frmQuorvan::mnuExportBPS_Click);
    connect(mnuApplyPatch_, &QAction::triggered, this, &frmQuorvan::mnuApplyPatch_Click);
    connect(mnuPreferences_, &QAction::triggered, this, &frmQuorvan::mnuPreferences_Click);
    connect(&document_, &RomDocument::imageReplaced, this, [this] {
        mnuExportBPS_->setEnabled(document_.isOpen());
        mnuApplyPatch_->setEnabled(document_.isOpen());
    });
}

void frmQuorvan::mnuApplyPatch_Click()
{
    if (!document_.isOpen())
        return;
    const QString title = QStringLiteral("Apply Patch");
    // The shared dialog, put back afterwards as for the exports.
    clsDialog& dialog = Dialog();
    const clsDialog before = dialog;
    dialog.setFilter(kPatchFilter);
    dialog.setFilterIndex(1);
    dialog.setDialogTitle(title);
    dialog.setFileName(QString());
    dialog.setInitDir(DialogFolder());
    const bool chosen = dialog.ShowOpen();
    const QString path = dialog.FileName();
    dialog = before;
    if (!chosen)
        return;
    RememberDialogFolder(path);

    const PatchFile patch = ReadPatchFile(path);
    if (!patch.ok()) {
        ShowFileError(QStringLiteral("read the patch"), path, patch.error);
        return;
    }
    std::size_t changed = 0;
    const PatchResult applied = ApplyPatchToDocument(document_, patch.bytes, &changed);
    if (!applied.ok()) {
        MsgBox(this,
               QStringLiteral("\"%1\" was not applied; the image is unchanged.\n\n%2")
                   .arg(QDir::toNativeSeparators(path), applied.message),
               title, QMessageBox::Ok, MsgIcon::Critical);
        return;
    }
    if (changed == 0) {
        MsgBox(this, QStringLiteral("The patch changes no byte of this image: it may have been applied already."), title,
               QMessageBox::Ok, MsgIcon::Information);
        return;
    }
    RedrawImageViews(EditorReload::KeepSelection);
}

void frmQuorvan::mnuPreferences_Click()
{
    frmPreferences dialog(Preferences::Load(), this, document_.isOpen() ? document_.image().size() : 0);
    if (dialog.exec() == QDialog::Accepted)
        dialog.values().Save();
}

} // namespace quorvan
