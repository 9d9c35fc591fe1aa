// What comes into the image from outside and what goes out to play it:
// File ▸ Apply Patch, Edit ▸ Preferences and Level ▸ Test in Emulator.

#include "ui/main/frmQuorvan.h"

#include "data/PatchApply.h"
#include "data/RomDocument.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"
#include "ui/main/PlayTest.h"
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

void frmQuorvan::mnuApplyPatch_Click()
{
    if (!document_.isOpen())
        return;
    const QString title = QStringLiteral("Apply Patch");
    const std::optional<QString> chosen = ChooseFile(FileChoice::Open, title, kPatchFilter, QString(), QString());
    if (!chosen)
        return;
    const QString& path = *chosen;

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
}

void frmQuorvan::mnuPreferences_Click()
{
    frmPreferences dialog(Preferences::Load(), this, document_.isOpen() ? document_.image().size() : 0);
    if (dialog.exec() == QDialog::Accepted)
        dialog.values().Save();
}

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
