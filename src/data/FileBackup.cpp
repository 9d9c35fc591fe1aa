#include "data/FileBackup.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quorvan {

std::optional<QString> CopyFileAtomically(const QString& from, const QString& to)
{
    // Only a plain file is copied: opening a pipe would wait for a writer.
    if (!QFileInfo(from).isFile())
        return QStringLiteral("\"%1\" is not a regular file.").arg(QFileInfo(from).fileName());
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    if (QFileInfo(to).isDir())
        return QStringLiteral("\"%1\" is a folder.").arg(QFileInfo(to).fileName());
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    // In pieces: the file being replaced may be any file the user picked.
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray piece = in.read(kChunk);
        if (in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            return in.errorString();
        }
        if (piece.isEmpty())
            break;
        const qint64 written = out.write(piece);
        if (written != piece.size()) {
            // A write cut short (a full disk) reports no error of its own.
            QString reason = written < 0 && out.error() != QFileDevice::NoError
                                 ? out.errorString()
                                 : QStringLiteral("The copy was cut short after %1 bytes; the disk may be full.")
                                       .arg(out.pos());
            out.cancelWriting();
            return reason;
        }
    }
    if (!out.commit())
        return out.errorString();
    return std::nullopt;
}

} // namespace quorvan
