// Exporting the changes made to the image: an IPS or a BPS patch, made against
// the clean original set in Preferences or else against the image as opened.

#include "ui/main/frmQuorvan.h"

#include "data/PatchExport.h"
#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/prefs/Preferences.h"

#include <QFileInfo>

namespace quorvan {

void frmQuorvan::mnuExportIPS_Click()
{
    ExportPatch(PatchFormat::Ips);
}

void frmQuorvan::mnuExportBPS_Click()
{
    ExportPatch(PatchFormat::Bps);
}

void frmQuorvan::ExportPatch(PatchFormat format)
{
    if (!document_.isOpen())
        return;
    const bool ips = format == PatchFormat::Ips;
    const QString kind = ips ? QStringLiteral("IPS") : QStringLiteral("BPS");
    const QString title = QStringLiteral("Export %1 Patch").arg(kind);
    const PatchBase base = ChoosePatchBase(document_, Preferences::Load().cleanOriginal);
    const bool clean = base.kind == PatchBase::Kind::CleanOriginal;
    const PatchBuild patch = BuildPatchOf(format, document_, base);
    if (patch.status == PatchBuild::Status::Impossible) {
        MsgBox(this, QStringLiteral("The image cannot be written as an %1 patch.").arg(kind), title, QMessageBox::Ok,
               MsgIcon::Critical);
        return;
    }
    if (patch.status == PatchBuild::Status::NothingChanged) {
        MsgBox(this,
               clean ? QStringLiteral("The image does not differ from the clean original: there is nothing to export.")
                     : QStringLiteral("The image has not changed since it was opened: there is nothing to export."),
               title, QMessageBox::Ok, MsgIcon::Information);
        return;
    }

    // The dialog's title names the base, so that a clean original that could
    // not be used does not go unseen.
    const QString suffix = ips ? QStringLiteral("ips") : QStringLiteral("bps");
    const std::optional<QString> chosen = ChooseExportFile(
        title + (clean ? QStringLiteral(" against the clean original") : QStringLiteral(" against the image as opened")),
        QStringLiteral("%1 Patches (*.%2)|*.%2|All Files (*.*)|*.*").arg(kind, suffix),
        QFileInfo(document_.fileName()).completeBaseName() + QLatin1Char('.') + suffix, suffix);
    if (!chosen || !ExportMayWrite(*chosen, base.cleanOriginal, QStringLiteral("patch")))
        return;
    const QString& path = *chosen;
    if (!ConfirmReplace(path, title))
        return;
    if (const auto error = WritePatchFile(path, patch.bytes))
        ShowFileError(QStringLiteral("write the patch to"), path, *error);
}

} // namespace quorvan
