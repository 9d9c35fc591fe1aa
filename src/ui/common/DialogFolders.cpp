#include "ui/common/DialogFolders.h"

#include "data/FileOwner.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace quorvan {

namespace {

const QString kLastFolderKey = QStringLiteral("Dialogs/lastFolder");

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// `path` is `folder` or lies somewhere below it.
bool Inside(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || !path.startsWith(folder, Qt::CaseInsensitive))
        return false;
    return path.size() == folder.size() || folder.endsWith(QLatin1Char('/')) ||
           path.at(folder.size()) == QLatin1Char('/');
}

ProgramFolderFacts FactsOf(const QString& folder)
{
    ProgramFolderFacts facts;
    if (!IsFolder(folder))
        return facts;
    const QFileInfo info(folder);
    // Links resolved, so that a link into /usr is seen as /usr.
    facts.path = info.canonicalFilePath();
    facts.writable = info.isWritable();
    facts.owned = OwnedByUser(facts.path);
    return facts;
}

} // namespace

bool IsUsersOwnFolder(const ProgramFolderFacts& facts, const QStringList& systemFolders)
{
    if (facts.path.isEmpty() || !facts.writable || !facts.owned)
        return false;
    const QString path = QDir::cleanPath(facts.path);
    for (const QString& folder : systemFolders) {
        if (Inside(path, folder))
            return false;
    }
    return true;
}

QStringList SystemFolders()
{
    // Every platform's list at once: the Unix folders never match a Windows
    // path with its drive letter, and the Windows ones are unset elsewhere.
    QStringList folders = {
        QStringLiteral("/bin"),  QStringLiteral("/sbin"),         QStringLiteral("/lib"),
        QStringLiteral("/lib32"), QStringLiteral("/lib64"),       QStringLiteral("/libx32"),
        QStringLiteral("/usr"),  QStringLiteral("/opt"),          QStringLiteral("/etc"),
        QStringLiteral("/boot"), QStringLiteral("/snap"),         QStringLiteral("/nix"),
        QStringLiteral("/gnu"),  QStringLiteral("/app"),          QStringLiteral("/var/lib"),
        QStringLiteral("/Applications"), QStringLiteral("/System"), QStringLiteral("/Library"),
    };
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData", "SystemRoot"}) {
        const QString folder = qEnvironmentVariable(name);
        if (!folder.isEmpty())
            folders << QDir::cleanPath(QDir::fromNativeSeparators(folder));
    }
    return folders;
}

QString LastDialogFolder()
{
    return QSettings().value(kLastFolderKey).toString();
}

QString DialogStartFolder(const QString& openFile, const QString& programFolder)
{
    // A folder removed (or a drive gone) since it was kept falls through to the next choice.
    const QString last = LastDialogFolder();
    if (IsFolder(last))
        return QDir::toNativeSeparators(last);
    if (!openFile.isEmpty()) {
        const QString folder = QFileInfo(openFile).absolutePath();
        if (IsFolder(folder))
            return QDir::toNativeSeparators(folder);
    }
    if (IsUsersOwnFolder(FactsOf(programFolder), SystemFolders()))
        return QDir::toNativeSeparators(programFolder);
    return QDir::toNativeSeparators(QDir::homePath());
}

void RememberDialogChoice(const QString& chosenFile)
{
    if (chosenFile.isEmpty())
        return;
    const QString folder = QFileInfo(chosenFile).absolutePath();
    if (!IsFolder(folder))
        return;
    QSettings settings;
    settings.setValue(kLastFolderKey, QDir::cleanPath(folder));
}

} // namespace quorvan
