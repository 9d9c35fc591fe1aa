#include "ui/common/SettingsFiles.h"

#include "data/FileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace quorvan {

namespace {

// An organisation no settings belong to: QSettings made for it reads only files
// of its own name, which do not exist, and tells where settings live.
const QString kProbe = QStringLiteral("Quorvan settings probe");

// The files QSettings() reads, in the folders QSettings::setPath or the
// standard paths give. Nothing where the format is not a file (the registry).
QStringList CandidateFiles()
{
    const QSettings::Format format = QSettings::defaultFormat();
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    if (format == QSettings::NativeFormat)
        return {};
#endif
    QStringList folders;
    QString suffix;
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
        const QSettings probe(format, scope, kProbe);
        const QFileInfo file(probe.fileName());
        folders << file.absolutePath();
        suffix = QLatin1Char('.') + file.suffix();
    }
    // The system's folders on freedesktop systems, where the probe names only the first.
    folders << QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders.removeDuplicates();
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QStringList files;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        files << dir.filePath(organisation + QLatin1Char('/') + application + suffix)
              << dir.filePath(organisation + suffix) << dir.filePath(application + suffix)
              << dir.filePath(QStringLiteral("QtProject") + suffix);
    }
    return files;
}

} // namespace

std::optional<QString> GuardSettingsFiles()
{
    for (const QString& file : CandidateFiles()) {
        // A limit of no bytes: a regular file is not read, anything else is
        // refused by what it is without being opened.
        const ReadResult look = ReadWholeFile(file, 0);
        if (look.status != ReadResult::Status::NotRegular)
            continue;
        static QTemporaryDir elsewhere;
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, elsewhere.filePath(QStringLiteral("user")));
            QSettings::setPath(format, QSettings::SystemScope, elsewhere.filePath(QStringLiteral("system")));
        }
        return QStringLiteral("The settings file \"%1\" was ignored: %2 Default settings are used, and changes to "
                              "them are not kept.")
            .arg(QDir::toNativeSeparators(file), look.reason);
    }
    return std::nullopt;
}

} // namespace quorvan
