#include "data/FileBackup.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quorvan {

std::optional<QString> CopyFileAtomically(const QString& from, const QString& to)
{
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
        if (out.write(piece) != piece.size()) {
            QString reason = out.errorString();
            out.cancelWriting();
            return reason;
        }
    }
    if (!out.commit())
        return out.errorString();
    return std::nullopt;
}

} // namespace quorvan
