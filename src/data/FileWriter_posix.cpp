// Writing whole files with POSIX calls. FileWriter.h describes the ways a file
// is written and the guards; the comments here say why each step is where it is.

#include "data/FileWriter.h"
#include "data/PosixFiles_posix.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace quorvan {

using namespace posix;

namespace {

WriteOutcome Failure(WriteFailure kind, const QString& reason)
{
    WriteOutcome outcome;
    outcome.failure = kind;
    outcome.reason = reason;
    return outcome;
}

WriteOutcome Success(WriteMethod method, int fd)
{
    WriteOutcome outcome;
    outcome.failure = WriteFailure::None;
    outcome.method = method;
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        outcome.stamp = StampOf(st);
    return outcome;
}

// What is at the path to be written, with a symbolic link at its end followed.
struct Target {
    QByteArray path; // of the file written: where the link leads, for a link
    Place place;
    bool exists = false;
    struct stat st {};
};

std::optional<WriteOutcome> Locate(const QByteArray& path, Target& target)
{
    target.path = path;
    target.place = Place::Of(path);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        if (errno == ENOENT)
            return std::nullopt; // a new file (or a missing folder, which creating it will say)
        return Failure(WriteFailure::WriteFailed, SystemReason(errno));
    }
    if (S_ISLNK(st.st_mode)) {
        // Write the file the link leads to and keep the link, as careful
        // editors do; replacing the link would cut it from its file.
        char* resolved = ::realpath(path.constData(), nullptr);
        if (resolved == nullptr) {
            const int error = errno;
            if (error != ENOENT)
                return Failure(WriteFailure::WriteFailed, SystemReason(error));
            QByteArray text(4096, '\0');
            const ssize_t length = ::readlink(path.constData(), text.data(), static_cast<std::size_t>(text.size()));
            text.truncate(length > 0 ? static_cast<qsizetype>(length) : 0);
            return Failure(WriteFailure::NotRegular, filetext::DanglingLink(QFile::decodeName(text)));
        }
        target.path = QByteArray(resolved);
        std::free(resolved);
        target.place = Place::Of(target.path);
        if (::lstat(target.path.constData(), &st) != 0)
            return Failure(WriteFailure::WriteFailed, SystemReason(errno));
    }
    target.exists = true;
    target.st = st;
    return std::nullopt;
}

std::optional<WriteOutcome> CheckReplaceable(const Target& target, bool agreed)
{
    if (!S_ISREG(target.st.st_mode))
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(target.st.st_mode), true));
    // Root may write anything, but a file that nobody may write was made so
    // on purpose: it is not replaced behind its owner's back.
    if ((target.st.st_mode & 0222) == 0)
        return Failure(WriteFailure::ReadOnly, filetext::NoWriteBits());
    // As QSaveFile does: a file the user may not write is not replaced either,
    // although the folder would let a rename do it.
    if (::faccessat(AT_FDCWD, target.path.constData(), W_OK, AT_EACCESS) != 0)
        return Failure(WriteFailure::ReadOnly, filetext::MayNotWrite(SystemReason(errno)));
    if (!agreed)
        return Failure(WriteFailure::Exists, filetext::AlreadyExists());
    return std::nullopt;
}

// Whether `path` can take a backup: nothing there, a regular file or a link,
// which is replaced and never followed. Returns the reason when not.
std::optional<QString> CheckBackupPlace(const QByteArray& path)
{
    if (Place::Of(path).name.isEmpty())
        return SystemReason(EISDIR);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<QString>(SystemReason(errno));
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return filetext::NotRegular(KindOf(st.st_mode), true);
    return std::nullopt;
}

// A backup gets the image's owner and group where the user can give them,
// and its permission bits without setuid, setgid and sticky. When the group
// cannot be given, the copy's group (the user's) gets no access: its members
// may not be those who could read the image.
void GiveBackupPermissions(int fd, const struct stat& image)
{
    mode_t mode = image.st_mode & 0777;
    struct stat own {};
    if (::fstat(fd, &own) != 0)
        return; // it stays 0600: only its owner may read it
    if ((own.st_uid != image.st_uid || own.st_gid != image.st_gid) && ::fchown(fd, image.st_uid, image.st_gid) != 0 &&
        own.st_gid != image.st_gid && ::fchown(fd, static_cast<uid_t>(-1), image.st_gid) != 0)
        mode &= ~static_cast<mode_t>(0070);
    ::fchmod(fd, mode);
}

// Copies the open file `source` into a new temporary file in the folder of
// `place`, gives it a backup's permissions, syncs it and names it, so that the
// old bytes are complete on disk before anything else happens.
bool WriteBackupCopy(int source, const struct stat& st, const Place& place, TempFile& copy, QString& reason)
{
    int error = 0;
    const Fd folder = OpenFolder(place.folder, error);
    if (error == 0)
        error = copy.create(folder.get(), place.folder, 0600);
    if (error != 0) {
        reason = SystemReason(error);
        return false;
    }
    const Transfer copied = CopyAll(source, copy.fd(), static_cast<std::uint64_t>(st.st_size));
    if (!copied.complete()) {
        reason = copied.reason();
        return false;
    }
    GiveBackupPermissions(copy.fd(), st);
    if ((error = SyncFile(copy.fd())) != 0 || (error = copy.giveName()) != 0) {
        reason = SystemReason(error);
        return false;
    }
    SyncFolder(folder.get());
    return true;
}

// The backup takes its name once the save it protects has succeeded.
void FinishBackup(TempFile& copy, const QByteArray& backup, const QString& backupPath, WriteOutcome& outcome)
{
    if (const int error = copy.replace(Place::Of(backup).name)) {
        copy.keep();
        outcome.warning = filetext::BackupNotNamed(backupPath, SystemReason(error), copy.path());
        outcome.keptCopy = copy.path();
        return;
    }
    SyncFolder(copy.folderFd());
    outcome.backupWritten = true;
}

// Gives the temporary file the owner, group and mode of the file it replaces;
// false when the user may not, and the file is then written in place instead.
bool TakeOwnership(int fd, const struct stat& old)
{
    struct stat own {};
    if (::fstat(fd, &own) != 0)
        return false;
    if ((own.st_uid != old.st_uid || own.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // After chown, which clears setuid and setgid. The system may also drop
    // setgid silently (a group the user is not in): compare what it kept.
    const mode_t mode = old.st_mode & 07777;
    if ((own.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0)
        return false;
    return ::fstat(fd, &own) == 0 && (own.st_mode & 07777) == mode && own.st_uid == old.st_uid &&
           own.st_gid == old.st_gid;
}

// The file's last check, in two steps: its bytes, read through `fd` (the file
// open since the start), must be exactly those the caller knows; then, as the
// very last call before the rename over it or the first write into it, a look
// at the name, which must still lead to that file, not written since the bytes
// were read. Only the instant between that look and the next call is left for
// another program's write to be lost in.
WriteOutcome ChangedMeanwhile(DiskChange how)
{
    WriteOutcome outcome = Failure(WriteFailure::ChangedMeanwhile, filetext::ChangedBeforeWriting());
    outcome.change = how;
    return outcome;
}

std::optional<WriteOutcome> CheckBytes(int fd, const WriteRequest& request, struct stat& before)
{
    if (::fstat(fd, &before) != 0)
        return ChangedMeanwhile(DiskChange::Unreadable);
    if (!StampOf(before).sameFileAs(*request.expectedFile))
        return ChangedMeanwhile(DiskChange::Replaced);
    const std::span<const std::uint8_t> expected = request.expectedBytes;
    if (static_cast<std::uint64_t>(before.st_size) != expected.size())
        return ChangedMeanwhile(DiskChange::ContentsChanged);
    std::vector<std::uint8_t> now(expected.size());
    std::size_t got = 0;
    while (got < now.size()) {
        const ssize_t n = ::pread(fd, now.data() + got, now.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ChangedMeanwhile(DiskChange::Unreadable);
        if (n == 0)
            return ChangedMeanwhile(DiskChange::ContentsChanged); // it shrank meanwhile
        got += static_cast<std::size_t>(n);
    }
    if (!std::ranges::equal(now, expected))
        return ChangedMeanwhile(DiskChange::ContentsChanged);
    return std::nullopt;
}

std::optional<WriteOutcome> LastLook(int folder, const Target& target, const struct stat& before)
{
    struct stat after {};
    if (::fstatat(folder, target.place.name.constData(), &after, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(after, before))
        return ChangedMeanwhile(DiskChange::Replaced);
    // Any write since the bytes were read moves the modification and change times.
    const FileStamp was = StampOf(before);
    const FileStamp is = StampOf(after);
    if (is.size != was.size || is.modifiedNs != was.modifiedNs || ChangeTimeNs(after) != ChangeTimeNs(before))
        return ChangedMeanwhile(DiskChange::ContentsChanged);
    return std::nullopt;
}

WriteOutcome WriteNew(int folder, const Target& target, std::span<const std::uint8_t> bytes)
{
    TempFile temp;
    if (const int error = temp.create(folder, target.place.folder, 0666))
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    const Transfer written = WriteAll(temp.fd(), bytes);
    if (!written.complete())
        return Failure(WriteFailure::WriteFailed, written.reason());
    if (const int error = SyncFile(temp.fd()))
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    // Only if the name is still free: a file made there meanwhile is not ours
    // to replace.
    if (const int error = temp.takeNewName(target.place.name)) {
        if (error == EEXIST)
            return Failure(WriteFailure::Exists, filetext::AppearedMeanwhile());
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    }
    SyncFolder(folder);
    return Success(WriteMethod::NewFile, temp.fd());
}

WriteOutcome WriteByRename(TempFile& temp, int folder, const Target& target, int source, const WriteRequest& request)
{
    const std::span<const std::uint8_t> bytes = request.bytes;
    const Transfer written = WriteAll(temp.fd(), bytes);
    if (!written.complete())
        return Failure(WriteFailure::WriteFailed, written.reason());
    // A write by anyone but root clears setuid and setgid: set them again.
    const mode_t mode = target.st.st_mode & 07777;
    struct stat now {};
    if (::fstat(temp.fd(), &now) == 0 && (now.st_mode & 07777) != mode)
        ::fchmod(temp.fd(), mode);
    if (const int error = SyncFile(temp.fd()))
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    // The bytes are compared before the new file takes its temporary name (a
    // process killed meanwhile leaves nothing), the name looked at after, so
    // that only the rename itself follows the last look.
    struct stat checked {};
    if (request.expectedFile) {
        if (auto changed = CheckBytes(source, request, checked))
            return *changed;
    }
    if (const int error = temp.giveName())
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    if (request.expectedFile) {
        if (auto changed = LastLook(folder, target, checked))
            return *changed;
    }
    if (const int error = temp.replace(target.place.name))
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    SyncFolder(folder);
    return Success(WriteMethod::Replaced, temp.fd());
}

// Writes over the file itself, with its old bytes complete in `safety` (named
// and synced) all along, and put back from there if the write fails.
WriteOutcome WriteInPlace(int folder, const Target& target, const WriteRequest& request, TempFile& safety)
{
    const std::span<const std::uint8_t> bytes = request.bytes;
    const Fd file(::openat(folder, target.place.name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) {
        const int error = errno;
        const bool denied = error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY;
        return Failure(denied ? WriteFailure::ReadOnly : WriteFailure::WriteFailed,
                       denied ? filetext::MayNotWrite(SystemReason(error)) : SystemReason(error));
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !SameFile(st, target.st))
        return Failure(WriteFailure::WriteFailed, filetext::ChangedWhileSaving());
    if (request.expectedFile) {
        struct stat checked {};
        if (auto changed = CheckBytes(file.get(), request, checked))
            return *changed;
        if (auto changed = LastLook(folder, target, checked))
            return *changed;
    }

    const auto newSize = static_cast<off_t>(bytes.size());
    QString failed;
    const Transfer written = WriteAll(file.get(), bytes);
    if (!written.complete())
        failed = written.reason();
    else if (::ftruncate(file.get(), newSize) != 0)
        failed = SystemReason(errno);
    if (failed.isEmpty()) {
        // A write by anyone but root clears setuid and setgid; the owner may set them again.
        const mode_t mode = target.st.st_mode & 07777;
        if (::fstat(file.get(), &st) == 0 && (st.st_mode & 07777) != mode)
            ::fchmod(file.get(), mode);
        if (const int error = SyncFile(file.get()))
            failed = SystemReason(error);
    }
    if (failed.isEmpty())
        return Success(WriteMethod::InPlace, file.get());

    // Put the old bytes back from the copy on disk.
    const auto oldSize = static_cast<std::uint64_t>(target.st.st_size);
    QString notRestored;
    const Transfer restored = CopyAll(safety.fd(), file.get(), oldSize);
    int error = 0;
    if (!restored.complete())
        notRestored = restored.reason();
    else if (::ftruncate(file.get(), target.st.st_size) != 0)
        notRestored = SystemReason(errno);
    else if ((error = SyncFile(file.get())) != 0)
        notRestored = SystemReason(error);
    if (notRestored.isEmpty())
        return Failure(WriteFailure::WriteFailed, failed);
    safety.keep();
    WriteOutcome outcome = Failure(WriteFailure::Damaged, filetext::NotRestored(failed, notRestored, safety.path()));
    outcome.keptCopy = safety.path();
    return outcome;
}

} // namespace

WriteOutcome WriteWholeFile(const WriteRequest& request)
{
    const QByteArray path = QFile::encodeName(request.path);
    if (path.isEmpty())
        return Failure(WriteFailure::WriteFailed, SystemReason(ENOENT));
    Target target;
    if (auto refused = Locate(path, target))
        return *refused;
    if (target.place.name.isEmpty())
        return Failure(WriteFailure::WriteFailed, SystemReason(EISDIR));
    if (target.exists) {
        if (auto refused = CheckReplaceable(target, request.replaceExisting))
            return *refused;
    }
    int error = 0;
    const Fd folder = OpenFolder(target.place.folder, error);
    if (!folder.valid())
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    if (!target.exists)
        return WriteNew(folder.get(), target, request.bytes);

    // The backup's name is checked before anything is written, so that a
    // backup that cannot exist stops the save.
    const QByteArray backup = QFile::encodeName(request.backupPath);
    const bool withBackup = !backup.isEmpty();
    if (withBackup) {
        // Renamed over the file once it is saved, it would undo the save.
        if (SameEntry(backup, path) || SameEntry(backup, target.path))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, filetext::BackupIsTheFile()));
        if (auto why = CheckBackupPlace(backup))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, *why));
    }

    // The file as it is now, open for the copies of its bytes.
    const Fd source(::openat(folder.get(), target.place.name.constData(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!source.valid())
        return Failure(WriteFailure::WriteFailed, SystemReason(errno));
    if (::fstat(source.get(), &target.st) != 0 || !S_ISREG(target.st.st_mode))
        return Failure(WriteFailure::WriteFailed, filetext::ChangedWhileSaving());

    TempFile backupCopy;
    if (withBackup) {
        QString why;
        if (!WriteBackupCopy(source.get(), target.st, Place::Of(backup), backupCopy, why))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(request.backupPath, why));
    }

    WriteOutcome outcome;
    bool decided = false;
    if (target.st.st_nlink == 1) {
        // Renamed over, when nothing about the file would change but its bytes.
        TempFile temp;
        if (const int created = temp.create(folder.get(), target.place.folder, 0600))
            return Failure(WriteFailure::WriteFailed, SystemReason(created));
        if (TakeOwnership(temp.fd(), target.st)) {
            outcome = WriteByRename(temp, folder.get(), target, source.get(), request);
            decided = true;
        }
    }
    if (!decided) {
        // In place: other names of the file, or an owner or group the user
        // cannot give, stay only so. The old bytes stay complete on disk: in
        // the backup, or else in a temporary copy beside the file.
        TempFile localCopy;
        QString why;
        if (!withBackup && !WriteBackupCopy(source.get(), target.st, target.place, localCopy, why))
            return Failure(WriteFailure::BackupFailed, filetext::BackupFailed(QFile::decodeName(target.path), why));
        outcome = WriteInPlace(folder.get(), target, request, withBackup ? backupCopy : localCopy);
    }
    if (outcome.ok() && withBackup)
        FinishBackup(backupCopy, backup, request.backupPath, outcome);
    return outcome;
}

WriteOutcome CopyWholeFile(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray dest = QFile::encodeName(to);
    struct stat st {};
    if (source.isEmpty() || ::stat(source.constData(), &st) != 0)
        return Failure(WriteFailure::WriteFailed, SystemReason(source.isEmpty() ? ENOENT : errno));
    if (!S_ISREG(st.st_mode))
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(st.st_mode), false));
    const Fd in(::open(source.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.valid())
        return Failure(WriteFailure::WriteFailed, SystemReason(errno));
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(st.st_mode), false));

    // A link or another name of some file at `to` is replaced, never written through.
    struct stat there {};
    const bool existed = ::lstat(dest.constData(), &there) == 0;
    if (!existed && errno != ENOENT)
        return Failure(WriteFailure::WriteFailed, SystemReason(errno));
    if (existed && !S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode))
        return Failure(WriteFailure::NotRegular, filetext::NotRegular(KindOf(there.st_mode), true));
    if (Place::Of(dest).name.isEmpty())
        return Failure(WriteFailure::WriteFailed, SystemReason(EISDIR));
    if (SameEntry(dest, source))
        return Failure(WriteFailure::WriteFailed, filetext::BackupIsTheFile());
    const Place place = Place::Of(dest);
    TempFile copy;
    QString why;
    if (!WriteBackupCopy(in.get(), st, place, copy, why))
        return Failure(WriteFailure::WriteFailed, why);
    if (const int error = copy.replace(place.name))
        return Failure(WriteFailure::WriteFailed, SystemReason(error));
    SyncFolder(copy.folderFd());
    WriteOutcome outcome = Success(existed ? WriteMethod::Replaced : WriteMethod::NewFile, copy.fd());
    outcome.backupWritten = true;
    return outcome;
}

} // namespace quorvan
