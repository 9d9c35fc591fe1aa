// File ▸ Export Room Image and Export Stage Map: PNG pictures of the level
// view's pixels, at the export scale kept in Preferences.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "graphics/StagePicture.h"
#include "ui/common/MsgBox.h"
#include "ui/prefs/Preferences.h"

#include <QFileInfo>
#include <QScrollBar>

namespace quorvan {

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
    if (!document_.isOpen() || !StageChosen())
        return;
    const QString title = wholeStage ? QStringLiteral("Export Stage Map") : QStringLiteral("Export Room Image");
    const int stage = document_.currentStage() + 1;
    const int room = hLevel_Frames_->value();
    const int scale = Preferences::Load().exportScale;

    // The dialog proposes a name that says what the picture shows.
    const QString base = QFileInfo(document_.fileName()).completeBaseName();
    const QString name = wholeStage ? QStringLiteral("%1 stage %2.png").arg(base).arg(stage)
                                    : QStringLiteral("%1 stage %2 room %3.png")
                                          .arg(base)
                                          .arg(stage)
                                          .arg(QString::number(room, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    const std::optional<QString> chosen =
        ChooseExportFile(title, QStringLiteral("PNG Images (*.png)|*.png|All Files (*.*)|*.*"), name, QStringLiteral("png"));
    if (!chosen || !ExportMayWrite(*chosen, Preferences::Load().cleanOriginal, QStringLiteral("picture")))
        return;
    const QString& path = *chosen;
    if (!ConfirmReplace(path, title))
        return;

    const quorvan::StageSource source = StageSource();
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
