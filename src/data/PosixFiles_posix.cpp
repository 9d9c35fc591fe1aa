#include "data/PosixFiles_posix.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace quorvan::posix {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

filetext::Kind KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return filetext::Kind::Folder;
    if (S_ISFIFO(mode))
        return filetext::Kind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return filetext::Kind::Device;
    if (S_ISSOCK(mode))
        return filetext::Kind::Socket;
    return filetext::Kind::Other;
}

FileStamp StampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(st.st_mode);
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
#if defined(__APPLE__)
    const struct timespec& modified = st.st_mtimespec;
#else
    const struct timespec& modified = st.st_mtim;
#endif
    stamp.modifiedNs = static_cast<std::int64_t>(modified.tv_sec) * 1000000000 + modified.tv_nsec;
    stamp.linkCount = static_cast<std::uint64_t>(st.st_nlink);
    stamp.owner = static_cast<std::uint32_t>(st.st_uid);
    stamp.group = static_cast<std::uint32_t>(st.st_gid);
    stamp.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
    return stamp;
}

std::int64_t ChangeTimeNs(const struct stat& st)
{
#if defined(__APPLE__)
    const struct timespec& changed = st.st_ctimespec;
#else
    const struct timespec& changed = st.st_ctim;
#endif
    return static_cast<std::int64_t>(changed.tv_sec) * 1000000000 + changed.tv_nsec;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Fd::~Fd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Fd::Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Place Place::Of(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArrayLiteral("."), path};
    if (slash == 0)
        return {QByteArrayLiteral("/"), path.mid(1)};
    return {path.left(slash), path.mid(slash + 1)};
}

bool SameEntry(const QByteArray& a, const QByteArray& b)
{
    const Place first = Place::Of(a);
    const Place second = Place::Of(b);
    if (first.name != second.name)
        return false;
    struct stat one {};
    struct stat two {};
    return ::stat(first.folder.constData(), &one) == 0 && ::stat(second.folder.constData(), &two) == 0 &&
           SameFile(one, two);
}

Fd OpenFolder(const QByteArray& folder, int& error)
{
    Fd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    error = fd.valid() ? 0 : errno;
    return fd;
}

QString Transfer::reason() const
{
    // A write cut short without an error (a full disk, a size limit) says how
    // far it got; "Unknown error" would tell the user nothing.
    if (reading)
        return filetext::ReadShort(done, total, SystemReason(error != 0 ? error : EIO));
    if (done < total)
        return filetext::CutShort(done, total, error != 0 ? SystemReason(error) : QString());
    return SystemReason(error != 0 ? error : EIO);
}

Transfer WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    Transfer t;
    t.total = bytes.size();
    while (t.done < t.total) {
        const ssize_t n = ::pwrite(fd, bytes.data() + t.done, static_cast<std::size_t>(t.total - t.done),
                                   static_cast<off_t>(t.done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            t.error = n < 0 ? errno : 0;
            break;
        }
        t.done += static_cast<std::uint64_t>(n);
    }
    return t;
}

Transfer CopyAll(int from, int to, std::uint64_t size)
{
    Transfer t;
    t.total = size;
    std::vector<std::uint8_t> piece(std::size_t{1} << 18);
    while (t.done < t.total) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), t.total - t.done));
        const ssize_t got = ::pread(from, piece.data(), want, static_cast<off_t>(t.done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // The source shrank or cannot be read: the copy is not complete.
            t.error = got < 0 ? errno : EIO;
            t.reading = true;
            break;
        }
        std::size_t put = 0;
        while (put < static_cast<std::size_t>(got)) {
            const ssize_t n = ::pwrite(to, piece.data() + put, static_cast<std::size_t>(got) - put,
                                       static_cast<off_t>(t.done + put));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                t.error = n < 0 ? errno : 0;
                t.done += put;
                return t;
            }
            put += static_cast<std::size_t>(n);
        }
        t.done += put;
    }
    return t;
}

int SyncFile(int fd)
{
#if defined(F_FULLFSYNC)
    // On macOS fsync leaves the data in the drive's cache.
    if (::fcntl(fd, F_FULLFSYNC) == 0)
        return 0;
#endif
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

void SyncFolder(int folderFd)
{
    ::fsync(folderFd);
}

namespace {

// A short name that no target name is derived into, so that it fits in any
// folder where the target's own name fits.
QByteArray RandomName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".quorvan-");
    for (int i = 0; i < 8; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kLetters - 1))];
    return name;
}

constexpr int kNameAttempts = 64;

} // namespace

TempFile::~TempFile()
{
    if (named() && !kept_ && folder_.valid())
        ::unlinkat(folder_.get(), tempName_.constData(), 0);
}

int TempFile::create(int folderFd, const QByteArray& folderPath, mode_t mode)
{
    folder_ = Fd(::fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
    if (!folder_.valid())
        return errno;
    folderPath_ = folderPath;
#if defined(O_TMPFILE)
    const int unnamed = ::openat(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (unnamed >= 0) {
        file_ = Fd(unnamed);
        return 0;
    }
    // File systems without unnamed files (and older kernels) get a named one;
    // any other error is the folder's answer.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
#endif
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = RandomName();
        const int fd = ::openat(folder_.get(), name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            file_ = Fd(fd);
            tempName_ = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

QString TempFile::path() const
{
    return QFile::decodeName(folderPath_ + '/' + tempName_);
}

int TempFile::linkUnnamed(const QByteArray& name)
{
#if defined(__linux__)
    // As Qt's QSaveFile does: through /proc needs no privilege, AT_EMPTY_PATH
    // is the way where /proc is not mounted.
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", file_.get());
    if (::linkat(AT_FDCWD, proc, folder_.get(), name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int error = errno;
    if (error != ENOENT)
        return error;
#if defined(AT_EMPTY_PATH)
    if (::linkat(file_.get(), "", folder_.get(), name.constData(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno == ENOENT ? error : errno;
#else
    return error;
#endif
#else
    (void)name;
    return ENOTSUP; // only Linux makes unnamed files
#endif
}

int TempFile::giveName()
{
    if (named())
        return 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = RandomName();
        const int error = linkUnnamed(name);
        if (error == 0) {
            tempName_ = name;
            return 0;
        }
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int TempFile::replace(const QByteArray& name)
{
    // There is no way to rename an unnamed file over another: it gets a
    // temporary name first, for the moment between the two calls.
    if (const int error = giveName())
        return error;
    if (::renameat(folder_.get(), tempName_.constData(), folder_.get(), name.constData()) != 0)
        return errno;
    tempName_.clear();
    return 0;
}

int TempFile::takeNewName(const QByteArray& name)
{
    if (!named())
        return linkUnnamed(name); // a link never replaces: EEXIST if the name is taken
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(folder_.get(), tempName_.constData(), folder_.get(), name.constData(), RENAME_NOREPLACE) == 0) {
        tempName_.clear();
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    if (::linkat(folder_.get(), tempName_.constData(), folder_.get(), name.constData(), 0) == 0) {
        ::unlinkat(folder_.get(), tempName_.constData(), 0);
        tempName_.clear();
        return 0;
    }
    const int error = errno;
    if (error != EPERM && error != EMLINK && error != ENOTSUP && error != EOPNOTSUPP && error != EXDEV)
        return error;
    // A file system without hard links: look, then rename. Only here could a
    // file made between the two calls be replaced.
    struct stat st {};
    if (::fstatat(folder_.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (::renameat(folder_.get(), tempName_.constData(), folder_.get(), name.constData()) != 0)
        return errno;
    tempName_.clear();
    return 0;
}

} // namespace quorvan::posix
