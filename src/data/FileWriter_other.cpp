// The file reader and writer with Qt alone, for platforms without the POSIX
// calls. It keeps what FileWriter.h promises where Qt can: regular files
// only, the target replaced whole through QSaveFile, the backup taking its name
// only after the save, the system's reasons and byte counts on failure. It
// cannot keep a file's owner and group or its other hard links (it never
// writes in place), a link at the backup's name is removed just before the
// backup is written, and files have no identity here.

#include "data/FileWriter.h"
#include "data/FileWriterText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace quorvan {

namespace {

std::uint32_t ModeOf(QFileDevice::Permissions p)
{
    std::uint32_t mode = 0;
    const std::pair<QFileDevice::Permission, std::uint32_t> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01}};
    for (const auto& [flag, bit] : bits) {
        if (p.testFlag(flag))
            mode |= bit;
    }
    return mode;
}

filetext::Kind KindOf(const QFileInfo& info)
{
    return info.isDir() ? filetext::Kind::Folder : filetext::Kind::Other;
}

WriteOutcome Failure(WriteFailure kind, const QString& reason)
{
    WriteOutcome outcome;
    outcome.failure = kind;
    outcome.reason = reason;
    return outcome;
}

// The file's reason for failing, or what is known when Qt passes on none (a
// temporary name made from a long target name can be too long, unsaid).
QString SaidBy(const QFileDevice& file)
{
    const QString reason = file.errorString();
    return reason == QStringLiteral("Unknown error") ? QString() : reason;
}

QString ReasonOf(const QFileDevice& file)
{
    if (const QString reason = SaidBy(file); !reason.isEmpty())
        return reason;
    return QStringLiteral("The system gave no reason; a temporary file beside it could not be made or "
                          "renamed (a name near the length limit can cause this).");
}

// Writes all of `bytes` to a file open unbuffered, so that the count is what
// reached the disk; the reason when cut short.
std::optional<QString> WriteAll(QFileDevice& file, std::span<const std::uint8_t> bytes)
{
    const auto length = static_cast<qint64>(bytes.size());
    const qint64 written = file.write(reinterpret_cast<const char*>(bytes.data()), length);
    if (written == length)
        return std::nullopt;
    // A write cut short (a full disk, a size limit) reports no error of its own.
    const QString system = file.error() != QFileDevice::NoError ? SaidBy(file) : QString();
    return filetext::CutShort(static_cast<std::uint64_t>(std::max<qint64>(written, 0)), bytes.size(), system);
}

// Writes `bytes` as the whole file at `path` through a QSaveFile, with
// `permissions` when given; the reason when it failed (nothing then replaced).
// `lastCheck`, when given, is asked right before the rename: a change it names
// stops the save and is put in `stoppedBy`.
std::optional<QString> SaveWhole(const QString& path, std::span<const std::uint8_t> bytes,
                                 std::optional<QFileDevice::Permissions> permissions,
                                 const std::function<DiskChange()>& lastCheck = {}, DiskChange* stoppedBy = nullptr)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return ReasonOf(out);
    if (permissions)
        out.setPermissions(*permissions);
    if (auto why = WriteAll(out, bytes)) {
        out.cancelWriting();
        return why;
    }
    if (lastCheck) {
        const DiskChange change = lastCheck();
        if (change != DiskChange::None) {
            out.cancelWriting();
            if (stoppedBy != nullptr)
                *stoppedBy = change;
            return filetext::ChangedBeforeWriting();
        }
    }
    if (!out.commit())
        return ReasonOf(out);
    return std::nullopt;
}

QString NoFile()
{
    return QStringLiteral("No such file or folder.");
}

// Whether two paths name the same entry of the same folder, however spelt.
bool SameEntry(const QString& a, const QString& b)
{
    const QFileInfo first(a);
    const QFileInfo second(b);
#if defined(Q_OS_WIN)
    const Qt::CaseSensitivity names = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity names = Qt::CaseSensitive;
#endif
    const QString folder = first.absoluteDir().canonicalPath();
    return first.fileName().compare(second.fileName(), names) == 0 && !folder.isEmpty() &&
           folder.compare(second.absoluteDir().canonicalPath(), names) == 0;
}

} // namespace

FileStamp StampFile(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return {};
    FileStamp stamp;
    stamp.exists = true;
    stamp.regular = info.isFile();
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.linkCount = 1;
    stamp.owner = info.ownerId();
    stamp.group = info.groupId();
    stamp.mode = ModeOf(info.permissions());
    return stamp;
}

bool FileLayerIsQtOnly()
{
    return true;
}

ReadResult ReadWholeFile(const QString& path, std::uint64_t maxBytes)
{
    ReadResult result;
    const QFileInfo info(path);
    result.stamp = StampFile(path);
    if (!result.stamp.exists) {
        result.status = ReadResult::Status::Missing;
        result.reason = NoFile();
        return result;
    }
    if (!info.isFile()) {
        result.status = ReadResult::Status::NotRegular;
        result.reason = filetext::NotRegular(KindOf(info), false);
        return result;
    }
    const auto limit = std::min<std::uint64_t>(maxBytes, std::numeric_limits<qint64>::max() - 1);
    if (static_cast<std::uint64_t>(info.size()) > limit) {
        result.status = ReadResult::Status::TooLarge;
        result.reason = filetext::TooLarge(maxBytes);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.reason = file.errorString();
        return result;
    }
    const QByteArray data = file.read(static_cast<qint64>(limit) + 1);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    if (static_cast<std::uint64_t>(data.size()) > limit) {
        result.status = ReadResult::Status::TooLarge;
        result.reason = filetext::TooLarge(maxBytes);
        return result;
    }
    result.status = ReadResult::Status::Ok;
    result.bytes.assign(data.begin(), data.end());
    result.stamp = StampFile(path);
    return result;
}

WriteOutcome WriteWholeFile(const WriteRequest& request)
{
    if (request.path.isEmpty())
        return Failure(WriteFailure::WriteFailed, NoFile());
    QFileInfo info(request.path);
    QString path = request.path;
    if (info.isSymLink()) {
        // The file the link leads to is written, and the link stays.
        path = info.canonicalFilePath();
        if (path.isEmpty())
            return Failure(WriteFailure::NotRegular, filetext::DanglingLink(info.symLinkTarget()));
        info = QFileInfo(path);
    }
    const bool exists = info.exists();
    if (exists) {
        if (!info.isFile())
            return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(info), true));
        if ((ModeOf(info.permissions()) & 0222) == 0)
            return Failure(WriteFailure::ReadOnly, filetext::NoWriteBits());
        if (!info.isWritable())
            return Failure(WriteFailure::ReadOnly, filetext::MayNotWrite(QStringLiteral("permission denied")));
        if (!request.replaceExisting)
            return Failure(WriteFailure::Exists, filetext::AlreadyExists());
    }

    // The backup is written first and takes its name only after the save.
    std::unique_ptr<QSaveFile> backup;
    if (exists && !request.backupPath.isEmpty()) {
        // Renamed over the file once it is saved, it would undo the save.
        if (SameEntry(request.backupPath, request.path) || SameEntry(request.backupPath, path))
            return Failure(WriteFailure::BackupFailed,
                           filetext::BackupFailed(request.backupPath, filetext::BackupIsTheFile()));
        const QFileInfo there(request.backupPath);
        if (there.exists() && !there.isFile() && !there.isSymLink())
            return Failure(WriteFailure::BackupFailed,
                           filetext::BackupFailed(request.backupPath, filetext::NotRegular(KindOf(there), true)));
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, old.errorString()));
        const QByteArray bytes = old.readAll();
        if (there.isSymLink())
            QFile::remove(request.backupPath); // QSaveFile would write through it
        backup = std::make_unique<QSaveFile>(request.backupPath);
        if (!backup->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, ReasonOf(*backup)));
        backup->setPermissions(info.permissions());
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        if (auto why = WriteAll(*backup, {data, static_cast<std::size_t>(bytes.size())}))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, *why));
    }

    // The file as the caller knows it, looked at again right before the rename.
    std::function<DiskChange()> lastCheck;
    if (request.expectedFile && exists) {
        lastCheck = [&request, &path] {
            const DiskChange change = CheckFileUnchanged(path, *request.expectedFile, request.expectedBytes);
            return change == DiskChange::Removed ? DiskChange::None : change;
        };
    }
    DiskChange stoppedBy = DiskChange::None;
    if (auto why = SaveWhole(path, request.bytes, exists ? std::optional(info.permissions()) : std::nullopt, lastCheck,
                             &stoppedBy)) {
        WriteOutcome outcome =
            Failure(stoppedBy == DiskChange::None ? WriteFailure::WriteFailed : WriteFailure::ChangedMeanwhile, *why);
        outcome.change = stoppedBy;
        return outcome;
    }

    WriteOutcome outcome;
    outcome.failure = WriteFailure::None;
    outcome.method = exists ? WriteMethod::Replaced : WriteMethod::NewFile;
    outcome.stamp = StampFile(path);
    if (backup) {
        if (backup->commit())
            outcome.backupWritten = true;
        else
            outcome.warning = filetext::BackupNotNamed(request.backupPath, ReasonOf(*backup), QString());
    }
    return outcome;
}

WriteOutcome CopyWholeFile(const QString& from, const QString& to)
{
    const QFileInfo source(from);
    if (!source.exists())
        return Failure(WriteFailure::WriteFailed, NoFile());
    if (!source.isFile())
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(source), false));
    const QFileInfo there(to);
    if (there.exists() && !there.isFile() && !there.isSymLink())
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(there), true));
    if (SameEntry(to, from))
        return Failure(WriteFailure::WriteFailed, filetext::BackupIsTheFile());
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return Failure(WriteFailure::WriteFailed, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return Failure(WriteFailure::WriteFailed, in.errorString());
    if (there.isSymLink())
        QFile::remove(to); // replaced, not followed
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (auto why = SaveWhole(to, {data, static_cast<std::size_t>(bytes.size())}, source.permissions()))
        return Failure(WriteFailure::WriteFailed, *why);
    WriteOutcome outcome;
    outcome.failure = WriteFailure::None;
    outcome.method = there.exists() ? WriteMethod::Replaced : WriteMethod::NewFile;
    outcome.stamp = StampFile(to);
    outcome.backupWritten = true;
    return outcome;
}

} // namespace quorvan
