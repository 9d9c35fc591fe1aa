// What leaves the program as a file: the changes made to the image as an IPS
// or a BPS patch (against the clean original set in Preferences, else against
// the image as opened), and PNG pictures of the room or the stage, at the
// export scale kept in Preferences. No export ever replaces the open image or
// the clean original.

#include "ui/main/frmQuorvan.h"

#include "data/PatchExport.h"
#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/StagePicture.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"
#include "ui/main/LevelView.h"
#include "ui/prefs/Preferences.h"

#include <QFileInfo>

namespace quorvan {

std::optional<QString> frmQuorvan::ChooseFile(FileChoice choice, const QString& title, const QString& filter,
                                              const QString& fileName, const QString& suffix)
{
    // The shared dialog, with its properties put back afterwards, so that the
    // next Open or Save As proposes the image and not this file.
    clsDialog& dialog = Dialog();
    const clsDialog before = dialog;
    dialog.setFilter(filter);
    dialog.setFilterIndex(1);
    dialog.setDialogTitle(title);
    dialog.setInitDir(DialogFolder());
    dialog.setFileName(fileName);
    dialog.setDefaultExt(suffix);
    const bool chosen = choice == FileChoice::Save ? dialog.ShowSave() : dialog.ShowOpen();
    const QString path = dialog.FileName();
    dialog = before;
    if (!chosen)
        return std::nullopt;
    RememberDialogFolder(path);
    return path;
}

bool frmQuorvan::ExportMayWrite(const QString& path, const QString& cleanOriginal, const QString& what)
{
    const QString action = QStringLiteral("write the %1 to").arg(what);
    if (!document_.fileName().isEmpty() && RomDocument::SameFile(path, document_.fileName())) {
        ShowFileError(action, path, QStringLiteral("It is the open image; choose another name for the %1.").arg(what));
        return false;
    }
    if (!cleanOriginal.isEmpty() && RomDocument::SameFile(path, cleanOriginal)) {
        ShowFileError(action, path,
                      QStringLiteral("It is the clean original; choose another name for the %1.").arg(what));
        return false;
    }
    return true;
}

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
    const std::optional<QString> chosen = ChooseFile(FileChoice::Save, 
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

void frmQuorvan::mnuExportRoomImage_Click()
{
    ExportPicture(false);
}

void frmQuorvan::mnuExportStageMap_Click()
{
    ExportPicture(true);
}

void frmQuorvan::ExportPicture(bool wholeStage)
{
    if (!document_.isOpen() || !view_.stageChosen)
        return;
    const QString title = wholeStage ? QStringLiteral("Export Stage Map") : QStringLiteral("Export Room Image");
    const int stage = document_.currentStage() + 1;
    const int room = view_.room;
    const int scale = Preferences::Load().exportScale;

    // The dialog proposes a name that says what the picture shows.
    const QString base = QFileInfo(document_.fileName()).completeBaseName();
    const QString name = wholeStage ? QStringLiteral("%1 stage %2.png").arg(base).arg(stage)
                                    : QStringLiteral("%1 stage %2 room %3.png")
                                          .arg(base)
                                          .arg(stage)
                                          .arg(QString::number(room, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    const std::optional<QString> chosen =
        ChooseFile(FileChoice::Save, title, QStringLiteral("PNG Images (*.png)|*.png|All Files (*.*)|*.*"), name, QStringLiteral("png"));
    if (!chosen || !ExportMayWrite(*chosen, Preferences::Load().cleanOriginal, QStringLiteral("picture")))
        return;
    const QString& path = *chosen;
    if (!ConfirmReplace(path, title))
        return;

    const quorvan::StageSource source = SourceOf(document_);
    RenderFaults faults;
    const QImage picture = wholeStage ? StageMapPicture(source, StageMapLastRoom(source), scale, faults)
                                      : RoomPicture(source, room, scale, faults);
    if (picture.isNull()) {
        ShowFileError(QStringLiteral("write the picture to"), path,
                      QStringLiteral("There is not memory enough for a picture of this size."));
        return;
    }
    QString why;
    const auto png = EncodePng(picture, &why);
    if (!png) {
        ShowFileError(QStringLiteral("write the picture to"), path, why);
        return;
    }
    if (const auto error = WritePictureFile(path, *png))
        ShowFileError(QStringLiteral("write the picture to"), path, *error);
}

} // namespace quorvan
