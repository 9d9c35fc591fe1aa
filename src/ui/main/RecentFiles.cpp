#include "ui/main/RecentFiles.h"

#include <QUrl>

#include <QMimeData>

#include "data/RomDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace quorvan {

namespace {

const QString kRecentKey = QStringLiteral("RecentFiles/list");

QString Normalised(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

// Two entries name one file: the same path as the file system compares names,
// or (both existing) the same file reached through a link or another spelling.
bool SameEntry(const QString& a, const QString& b)
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    const Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    return a.compare(b, names) == 0 || RomDocument::SameFile(a, b);
}

// Written only when the list changes: opening the file that is already first
// (as every start on the same image does) touches no file on disk.
void Keep(const QStringList& list)
{
    QSettings settings;
    if (settings.contains(kRecentKey) && settings.value(kRecentKey).toStringList() == list)
        return;
    settings.setValue(kRecentKey, list);
}

} // namespace

QStringList RecentFiles()
{
    QStringList list;
    for (const QString& entry : QSettings().value(kRecentKey).toStringList()) {
        if (entry.trimmed().isEmpty() || list.size() >= kMaxRecentFiles)
            continue;
        list << entry;
    }
    return list;
}

void AddRecentFile(const QString& path)
{
    if (path.trimmed().isEmpty())
        return;
    const QString entry = Normalised(path);
    QStringList list{entry};
    for (const QString& old : RecentFiles())
        if (!SameEntry(old, entry) && list.size() < kMaxRecentFiles)
            list << old;
    Keep(list);
}

void ClearRecentFiles()
{
    Keep({});
}

QString RecentFileCaption(int index, const QString& path)
{
    QString shown = path;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

QString DroppedImage(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    const QFileInfo file(path);
    if (file.suffix().compare(QLatin1String("nes"), Qt::CaseInsensitive) != 0 || file.isDir())
        return {};
    return path;
}

} // namespace quorvan
