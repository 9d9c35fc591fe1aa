#include "data/FileWriter.h"
#include "data/Counted.h"
#include "data/FileWriterText.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace quorvan {

DiskChange CheckFileUnchanged(const QString& path, const FileStamp& known, std::span<const std::uint8_t> knownBytes)
{
    // Read it whole (up to one byte more than known): the bytes decide, not the
    // size and time, which another program can leave or set as they were.
    const ReadResult now = ReadWholeFile(path, knownBytes.size());
    switch (now.status) {
    case ReadResult::Status::Missing:
        return known.exists ? DiskChange::Removed : DiskChange::None;
    case ReadResult::Status::NotRegular:
        return DiskChange::NotRegular;
    case ReadResult::Status::Failed:
        return DiskChange::Unreadable;
    case ReadResult::Status::TooLarge:
    case ReadResult::Status::Ok:
        break;
    }
    if (!known.exists || !now.stamp.sameFileAs(known))
        return DiskChange::Replaced;
    if (now.status == ReadResult::Status::TooLarge || !std::ranges::equal(now.bytes, knownBytes))
        return DiskChange::ContentsChanged;
    return DiskChange::None;
}

bool SameFileOnDisk(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (!FileLayerIsQtOnly()) {
        const FileStamp one = StampFile(a);
        const FileStamp two = StampFile(b);
        if (one.exists && two.exists)
            return one.sameFileAs(two);
    }
    // Where identity is unknown: one spelling of each path, the real path when it exists.
    const auto key = [](const QString& path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    return key(a) == key(b);
}

namespace filetext {

QString NotRegular(Kind kind, bool writing)
{
    QString what;
    switch (kind) {
    case Kind::Folder: what = QStringLiteral("a folder"); break;
    case Kind::Pipe: what = QStringLiteral("a named pipe"); break;
    case Kind::Device: what = QStringLiteral("a device"); break;
    case Kind::Socket: what = QStringLiteral("a socket"); break;
    case Kind::Other:
        // The kind could not be told (the Qt-only file layer knows only files and folders).
        return writing ? QStringLiteral("It is not a regular file, so it is left as it is.")
                       : QStringLiteral("It is not a regular file.");
    }
    return writing ? QStringLiteral("It is %1, not a regular file, so it is left as it is.").arg(what)
                   : QStringLiteral("It is %1, not a regular file.").arg(what);
}

QString DanglingLink(const QString& linkText)
{
    return QStringLiteral("It is a symbolic link to \"%1\", which does not exist, not a regular file.")
        .arg(QDir::toNativeSeparators(linkText));
}

QString CutShort(std::uint64_t done, std::uint64_t total, const QString& systemReason)
{
    QString text = QStringLiteral("Only %1 of %2 could be written; the disk may be full")
                       .arg(done)
                       .arg(Counted(total, "byte", "bytes"));
    if (!systemReason.isEmpty())
        text += QStringLiteral(" (%1)").arg(systemReason);
    return text + QLatin1Char('.');
}

QString ReadShort(std::uint64_t done, std::uint64_t total, const QString& systemReason)
{
    return QStringLiteral("Only %1 of its %2 could be read (%3).")
        .arg(done)
        .arg(Counted(total, "byte", "bytes"))
        .arg(systemReason);
}

QString TooLarge(std::uint64_t maxBytes)
{
    return QStringLiteral("It is larger than %1 bytes.").arg(maxBytes);
}

QString NoWriteBits()
{
    return QStringLiteral("It is read-only (no one has permission to write it).");
}

QString MayNotWrite(const QString& systemReason)
{
    return QStringLiteral("It may not be written (%1).").arg(systemReason);
}

QString AlreadyExists()
{
    return QStringLiteral("A file of that name already exists.");
}

QString AppearedMeanwhile()
{
    return QStringLiteral("A file of that name appeared while it was being written; it is left as it is.");
}

QString ChangedWhileSaving()
{
    return QStringLiteral("Another file took its name while it was being written; nothing was changed.");
}

QString ChangedBeforeWriting()
{
    return QStringLiteral("Another program changed or replaced it while it was being saved; nothing was written.");
}

QString BackupFailed(const QString& backupPath, const QString& reason)
{
    return QStringLiteral("The backup \"%1\" could not be written, so nothing was saved: %2")
        .arg(QDir::toNativeSeparators(backupPath), reason);
}

QString BackupIsTheFile()
{
    return QStringLiteral("It is the file itself, under another spelling of its name.");
}

QString NotRestored(const QString& writeReason, const QString& restoreReason, const QString& copyPath)
{
    return QStringLiteral("%1 Its previous contents could not be put back either (%2); they are kept in \"%3\".")
        .arg(writeReason, restoreReason, QDir::toNativeSeparators(copyPath));
}

QString BackupNotNamed(const QString& backupPath, const QString& reason, const QString& copyPath)
{
    return QStringLiteral("The file was saved, but its previous contents could not be named \"%1\" (%2); "
                          "they are kept in \"%3\".")
        .arg(QDir::toNativeSeparators(backupPath), reason, QDir::toNativeSeparators(copyPath));
}

} // namespace filetext

} // namespace quorvan
