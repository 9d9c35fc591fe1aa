// What leaves the program as a file: the changes made to the image as an IPS
// or a BPS patch (against the clean original set in Preferences, else against
// the image as opened), PNG pictures of the room or the stage, at the export
// scale kept in Preferences, and the stage's tile set as the tile sheet shows
// it, which also comes back in. No export ever replaces the open image or the
// clean original.

#include "ui/main/frmQuorvan.h"

#include "data/PatchExport.h"
#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/StagePicture.h"
#include "graphics/TileSetFile.h"
#include "graphics/TileSheet.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"
#include "ui/main/LevelView.h"
#include "ui/prefs/Preferences.h"
#include "ui/tilesheet/TileSetImport.h"

#include <QDir>
#include <QFileInfo>

namespace quorvan {

namespace {

const QString kTileSetFilter = QStringLiteral(
    "Tile Sets (*.png;*.chr)|*.png;*.chr|PNG Images (*.png)|*.png|CHR Tiles (*.chr)|*.chr|All Files (*.*)|*.*");

} // namespace

std::optional<QString> frmQuorvan::ChooseFile(FileChoice choice, const QString& title, const QString& filter,
                                              const QString& fileName, const QString& suffix)
{
    // The shared dialog, its properties put back afterwards, so that the next
    // Open or Save As proposes the image and not this file.
    const std::optional<QString> path =
        Dialog().ChooseOnce(choice == FileChoice::Save, title, filter, DialogFolder(), fileName, suffix);
    if (path)
        RememberDialogFolder(*path);
    return path;
}

std::optional<QString> frmQuorvan::ChooseExportFile(const QString& title, const QString& filter, QString fileName,
                                                    const QString& suffix, const QString& cleanOriginal,
                                                    const QString& what)
{
    for (;;) {
        const std::optional<QString> chosen = ChooseFile(FileChoice::Save, title, filter, fileName, suffix);
        if (!chosen || !ExportMayWrite(*chosen, cleanOriginal, what))
            return std::nullopt;
        // A file the user would rather keep: back to the chooser, the name still typed.
        if (ConfirmReplace(*chosen, title))
            return chosen;
        fileName = *chosen;
    }
}

void frmQuorvan::NoteWritten(const QString& path)
{
    // Sizes as file managers give them: bytes, then whole kilobytes, then megabytes.
    const qint64 size = QFileInfo(path).size();
    const QString shown = size < 1024         ? QStringLiteral("%1 bytes").arg(size)
                          : size < 1024 * 1024 ? QStringLiteral("%1 KB").arg((size + 512) / 1024)
                                               : QStringLiteral("%1 MB").arg(double(size) / (1024 * 1024), 0, 'f', 1);
    ShowStatusNote(QStringLiteral("Wrote %1 (%2)").arg(QFileInfo(path).fileName(), shown));
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
    const std::optional<QString> chosen = ChooseExportFile(
        title + (clean ? QStringLiteral(" against the clean original") : QStringLiteral(" against the image as opened")),
        QStringLiteral("%1 Patches (*.%2)|*.%2|All Files (*.*)|*.*").arg(kind, suffix),
        QFileInfo(document_.fileName()).completeBaseName() + QLatin1Char('.') + suffix, suffix, base.cleanOriginal,
        QStringLiteral("patch"));
    if (!chosen)
        return;
    if (const auto error = WritePatchFile(*chosen, patch.bytes))
        ShowFileError(QStringLiteral("write the patch to"), *chosen, *error);
    else
        NoteWritten(*chosen);
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
        ChooseExportFile(title, QStringLiteral("PNG Images (*.png)|*.png|All Files (*.*)|*.*"), name,
                         QStringLiteral("png"), Preferences::Load().cleanOriginal, QStringLiteral("picture"));
    if (!chosen)
        return;
    const QString& path = *chosen;

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
    else
        NoteWritten(path);
}

void frmQuorvan::mnuExportTiles_Click()
{
    if (!document_.isOpen() || !view_.stageChosen)
        return;
    const QString title = QStringLiteral("Export Tile Set");
    const QString action = QStringLiteral("write the tile set to");
    const QString name = QStringLiteral("%1 stage %2 tiles.png")
                             .arg(QFileInfo(document_.fileName()).completeBaseName())
                             .arg(document_.currentStage() + 1);
    const std::optional<QString> chosen = ChooseExportFile(title, kTileSetFilter, name, QStringLiteral("png"),
                                                           Preferences::Load().cleanOriginal, QStringLiteral("tile set"));
    if (!chosen)
        return;
    const QString& path = *chosen;
    const std::optional<TileSetFormat> format = TileSetFormatOfName(path);
    if (!format)
        ShowFileError(action, path, QString::fromLatin1(kTileSetNameRule));
    // The tiles as the sheet shows them: in its palette.
    else if (const auto error = ExportTileSet(path, *format, SourceOf(document_), SheetPalette()))
        ShowFileError(action, path, *error);
    else
        NoteWritten(path);
}

void frmQuorvan::mnuImportTiles_Click()
{
    if (!document_.isOpen() || !view_.stageChosen)
        return;
    const QString title = QStringLiteral("Import Tile Set");
    const std::optional<QString> chosen = ChooseFile(FileChoice::Open, title, kTileSetFilter, QString(), QString());
    if (!chosen)
        return;
    ImportTileSet(document_, *chosen, SheetPalette(), this);
}

} // namespace quorvan
