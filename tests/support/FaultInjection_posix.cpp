// POSIX (and Linux) implementation of the write-failure guards.

#include "support/FaultInjection.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace quorvan::test {

namespace {

// Whether a new file can be created in the folder right now.
bool CanCreateIn(const QString& folder)
{
    QFile probe(QDir(folder).filePath(QStringLiteral(".write-probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

#if defined(__linux__)
bool GetFlags(const QString& path, unsigned& flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int value = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &value) == 0;
    ::close(fd);
    flags = static_cast<unsigned>(value);
    return ok;
}

bool SetFlags(const QString& path, unsigned flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int value = static_cast<int>(flags);
    const bool ok = ::ioctl(fd, FS_IOC_SETFLAGS, &value) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : path_(path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::geteuid() != 0) {
        struct stat st {};
        if (::stat(name.constData(), &st) != 0) {
            whyNot_ = QStringLiteral("cannot read the folder's mode: ") + ErrnoText();
            return;
        }
        oldBits_ = st.st_mode & 07777;
        if (::chmod(name.constData(), 0555) != 0) {
            whyNot_ = QStringLiteral("chmod failed: ") + ErrnoText();
            return;
        }
        mode_ = 1;
        how_ = QStringLiteral("permission bits 0555");
    } else {
#if defined(__linux__)
        unsigned flags = 0;
        if (!GetFlags(path, flags)) {
            whyNot_ = QStringLiteral("running as root, and the file system has no file flags: ") + ErrnoText();
            return;
        }
        if (!SetFlags(path, flags | FS_IMMUTABLE_FL)) {
            whyNot_ = QStringLiteral("running as root, and the folder cannot be made immutable: ") + ErrnoText();
            return;
        }
        oldBits_ = flags;
        mode_ = 2;
        how_ = QStringLiteral("immutable flag (running as root)");
#else
        whyNot_ = QStringLiteral("running as root, where permission bits do not stop writes, and this "
                                 "platform has no immutable flag that the tests know how to set");
        return;
#endif
    }
    if (CanCreateIn(path)) {
        undo();
        whyNot_ = QStringLiteral("the folder still accepts new files after setting the ") + how_;
        return;
    }
    active_ = true;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    undo();
}

void ReadOnlyFolder::undo()
{
    const QByteArray name = QFile::encodeName(path_);
    if (mode_ == 1)
        ::chmod(name.constData(), static_cast<mode_t>(oldBits_));
#if defined(__linux__)
    if (mode_ == 2)
        SetFlags(path_, oldBits_ & ~static_cast<unsigned>(FS_IMMUTABLE_FL));
#endif
    mode_ = 0;
    active_ = false;
}

FileSizeLimit::FileSizeLimit(std::int64_t bytes)
{
    rlimit current{};
    if (::getrlimit(RLIMIT_FSIZE, &current) != 0) {
        whyNot_ = QStringLiteral("getrlimit failed: ") + ErrnoText();
        return;
    }
    oldLimit_ = current.rlim_cur;
    // Without this the process would be killed by SIGXFSZ instead of seeing
    // the write fail.
    struct sigaction ignore {};
    using SigAction = struct sigaction;
    auto* previous = new SigAction{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (::sigaction(SIGXFSZ, &ignore, previous) != 0) {
        delete previous;
        whyNot_ = QStringLiteral("cannot ignore SIGXFSZ: ") + ErrnoText();
        return;
    }
    oldHandler_ = previous;
    rlimit limited = current;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        whyNot_ = QStringLiteral("setrlimit failed: ") + ErrnoText();
        ::sigaction(SIGXFSZ, previous, nullptr);
        delete previous;
        oldHandler_ = nullptr;
        return;
    }
    active_ = true;
}

FileSizeLimit::~FileSizeLimit()
{
    if (active_) {
        rlimit current{};
        ::getrlimit(RLIMIT_FSIZE, &current);
        current.rlim_cur = static_cast<rlim_t>(oldLimit_);
        ::setrlimit(RLIMIT_FSIZE, &current);
    }
    if (oldHandler_ != nullptr) {
        auto* previous = static_cast<struct sigaction*>(oldHandler_);
        ::sigaction(SIGXFSZ, previous, nullptr);
        delete previous;
    }
}

bool MakeNamedPipe(const QString& path, QString* whyNot)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0644) == 0)
        return true;
    if (whyNot != nullptr)
        *whyNot = QStringLiteral("mkfifo failed: ") + ErrnoText();
    return false;
}

bool IsNamedPipe(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace quorvan::test
