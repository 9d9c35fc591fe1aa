#include "data/RomFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quorvan {

LoadResult LoadRomFile(const QString& path)
{
    LoadResult result;
    const QFileInfo info(path);
    if (info.isDir()) {
        result.error = QStringLiteral("It is a folder, not a file.");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size >= 0 && static_cast<std::uint64_t>(size) > kImageLengthPlain + 1) {
        // Certainly refused by its length: no need to read it.
        result.status = LoadResult::Status::BadSize;
        return result;
    }
    // Read whole; a device may report no size, so read up to one byte past the
    // longest accepted length.
    const QByteArray data = file.read(static_cast<qint64>(kImageLengthPlain) + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    const auto stages = StagesForLength(static_cast<std::size_t>(data.size()));
    if (!stages) {
        result.status = LoadResult::Status::BadSize;
        return result;
    }
    result.status = LoadResult::Status::Ok;
    result.bytes.assign(data.begin(), data.end());
    result.stages = *stages;
    return result;
}

std::optional<QString> SaveRomFile(const QString& path, std::span<const std::uint8_t> bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("It is a folder, not a file.");
    // Saving puts a new file in the target's place: a device, pipe or socket
    // there would be replaced by a plain file, so such a target is refused.
    if (target.exists() && !target.isFile())
        return QStringLiteral("It is not a regular file (a device, pipe or socket), so it is not replaced.");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const auto length = static_cast<qint64>(bytes.size());
    const qint64 written = file.write(reinterpret_cast<const char*>(bytes.data()), length);
    if (written != length) {
        // A write cut short (a full disk, a size limit) reports no error of its
        // own: say how far it got rather than "Unknown error".
        QString reason = written < 0 && file.error() != QFileDevice::NoError
                             ? file.errorString()
                             : QStringLiteral("Only %1 of %2 bytes could be written; the disk may be full.")
                                   .arg(written < 0 ? 0 : written)
                                   .arg(length);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace quorvan
