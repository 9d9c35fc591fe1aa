// Level ▸ Test in Emulator: the image as it is now, in the user's emulator.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/main/PlayTest.h"
#include "ui/prefs/Preferences.h"

#include <QDir>

namespace quorvan {

void frmQuorvan::mnuTestInEmulator_Click()
{
    if (!document_.isOpen())
        return;
    if (!playTest_)
        playTest_ = std::make_unique<PlayTest>();
    const Preferences preferences = Preferences::Load();
    const PlayTestOutcome outcome =
        playTest_->Start(document_.image().bytes(), document_.fileName(), preferences.emulator);
    if (outcome.ok())
        return;

    const QString title = QStringLiteral("Test in Emulator");
    const QString howToSet =
        QStringLiteral("Set the emulator's command in Edit > Preferences... (for example \"fceux\" or the full path of "
                       "the emulator, with any options before the image).");
    QString text;
    switch (outcome.status) {
    case PlayTestOutcome::Status::NoEmulator:
        text = QStringLiteral("No emulator is set, and none of %1 was found on the PATH.")
                   .arg(Preferences::EmulatorCandidates().join(QStringLiteral(", ")));
        break;
    case PlayTestOutcome::Status::NotFound:
    case PlayTestOutcome::Status::StartFailed:
        text = QStringLiteral("The emulator \"%1\" could not be started: %2").arg(outcome.command, outcome.reason);
        break;
    case PlayTestOutcome::Status::WriteFailed:
        MsgBox(this,
               QStringLiteral("The image could not be written to a temporary file for the emulator:\n\n%1")
                   .arg(outcome.reason),
               title, QMessageBox::Ok, MsgIcon::Critical);
        return;
    case PlayTestOutcome::Status::Started:
        return;
    }
    MsgBox(this, text + QStringLiteral("\n\n") + howToSet, title, QMessageBox::Ok, MsgIcon::Exclamation);
}

} // namespace quorvan
