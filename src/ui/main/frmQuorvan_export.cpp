// Exporting the changes made to the image: an IPS patch.

#include "ui/main/frmQuorvan.h"

#include "data/PatchExport.h"
#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"

#include <QDir>
#include <QFileInfo>

namespace quorvan {

namespace {
const QString kIpsFilter = QStringLiteral("IPS Patches (*.ips)|*.ips|All Files (*.*)|*.*");
}

void frmQuorvan::mnuExportIPS_Click()
{
    if (!document_.isOpen())
        return;
    const PatchBuild patch = BuildIpsPatchOf(document_);
    if (patch.status == PatchBuild::Status::Impossible) {
        MsgBox(this, QStringLiteral("The image cannot be written as an IPS patch."),
               QStringLiteral("Export IPS Patch"), QMessageBox::Ok, MsgIcon::Critical);
        return;
    }
    if (patch.status == PatchBuild::Status::NothingChanged) {
        MsgBox(this, QStringLiteral("The image has not changed since it was opened: there is nothing to export."),
               QStringLiteral("Export IPS Patch"), QMessageBox::Ok, MsgIcon::Information);
        return;
    }

    // The shared dialog, with its properties put back afterwards, so that the
    // next Save As proposes the image and not the patch.
    clsDialog& dialog = Dialog();
    const clsDialog before = dialog;
    const QFileInfo image(document_.fileName());
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

    if (!document_.fileName().isEmpty() && RomDocument::SameFile(path, document_.fileName())) {
        ShowFileError(QStringLiteral("write the patch to"), path,
                      QStringLiteral("It is the open image; choose another name for the patch."));
        return;
    }
    if (const auto error = WritePatchFile(path, patch.bytes))
        ShowFileError(QStringLiteral("write the patch to"), path, *error);
}

} // namespace quorvan
