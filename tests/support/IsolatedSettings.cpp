// Linked into every test program: its settings live in a folder of its own,
// removed when it ends, never in the user's. QSettings objects made without
// arguments take the default format, so every platform is covered by pointing
// the INI format's paths there; the standard paths' test mode covers the rest.

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

void IsolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    static QTemporaryDir folder;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    // The native format too, where it is a file (Unix): Qt's own dialogs keep theirs there.
    for (const QSettings::Format format : {QSettings::IniFormat, QSettings::NativeFormat}) {
        QSettings::setPath(format, QSettings::UserScope, folder.filePath(QStringLiteral("user")));
        QSettings::setPath(format, QSettings::SystemScope, folder.filePath(QStringLiteral("system")));
    }
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QStringLiteral("Quorvan"));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(IsolateSettings)
