#include "ui/common/DialogFolders.h"

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

} // namespace

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
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
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
