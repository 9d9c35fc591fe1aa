#include "ui/prefs/Preferences.h"

#include <QSettings>
#include <QStandardPaths>

namespace quorvan {

namespace {

const QString kEmulatorKey = QStringLiteral("Preferences/emulator");
const QString kCleanOriginalKey = QStringLiteral("Preferences/cleanOriginal");
const QString kExportScaleKey = QStringLiteral("Preferences/exportScale");

} // namespace

QStringList Preferences::EmulatorCandidates()
{
    return {QStringLiteral("fceux"), QStringLiteral("nestopia")};
}

QString Preferences::DefaultEmulator()
{
    for (const QString& name : EmulatorCandidates())
        if (!QStandardPaths::findExecutable(name).isEmpty())
            return name;
    return {};
}

Preferences Preferences::Load()
{
    const QSettings settings;
    Preferences preferences;
    // An emulator never chosen (or cleared) follows what is installed now.
    preferences.emulator = settings.value(kEmulatorKey).toString().trimmed();
    if (preferences.emulator.isEmpty())
        preferences.emulator = DefaultEmulator();
    // A path is used exactly as it was chosen: a trailing space is part of a name.
    preferences.cleanOriginal = settings.value(kCleanOriginalKey).toString();
    bool ok = false;
    const int scale = settings.value(kExportScaleKey).toInt(&ok);
    preferences.exportScale = ok && (scale == 1 || scale == 2) ? scale : 2;
    return preferences;
}

void Preferences::Save() const
{
    QSettings settings;
    // The emulator found on the PATH is not written down, so that the default
    // keeps following what is installed; any other choice is kept.
    const QString command = emulator.trimmed();
    if (command.isEmpty() || command == DefaultEmulator())
        settings.remove(kEmulatorKey);
    else
        settings.setValue(kEmulatorKey, command);
    settings.setValue(kCleanOriginalKey, cleanOriginal);
    settings.setValue(kExportScaleKey, exportScale == 1 ? 1 : 2);
    settings.sync();
}

} // namespace quorvan
