// POSIX (and Linux) implementation of the write-failure guards.

#include "support/FaultInjection.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>

#if defined(__linux__)
#include <sys/fanotify.h>
#include <sys/sysmacros.h> // makedev
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
// File flags of a folder or (with `folder` false) a regular file.
bool GetFlags(const QString& path, unsigned& flags, bool folder = true)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    int value = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &value) == 0;
    ::close(fd);
    flags = static_cast<unsigned>(value);
    return ok;
}

bool SetFlags(const QString& path, unsigned flags, bool folder = true)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | (folder ? O_DIRECTORY : 0));
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

struct PipeRelease::Watch {
    QByteArray path;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::atomic<bool> released{false};
    std::thread thread;

    void run(std::chrono::steady_clock::time_point from)
    {
        std::unique_lock lock(mutex);
        if (wake.wait_until(lock, from, [this] { return stop; }))
            return;
        for (;;) {
            // Without a reader this fails at once (ENXIO) and waits for nothing.
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                released = true;
                ::close(fd);
            }
            if (wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return stop; }))
                return;
        }
    }
};

PipeRelease::PipeRelease(const QString& path, int seconds) : watch_(std::make_unique<Watch>())
{
    watch_->path = QFile::encodeName(path);
    const auto from = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    watch_->thread = std::thread([watch = watch_.get(), from] { watch->run(from); });
}

PipeRelease::~PipeRelease()
{
    {
        const std::lock_guard lock(watch_->mutex);
        watch_->stop = true;
    }
    watch_->wake.notify_all();
    watch_->thread.join();
}

bool PipeRelease::released() const
{
    return watch_->released;
}

ImmutableFile::ImmutableFile(const QString& path) : path_(path)
{
#if defined(__linux__)
    if (::geteuid() != 0) {
        whyNot_ = QStringLiteral("only root can mark a file immutable");
        return;
    }
    if (!GetFlags(path, oldFlags_, false)) {
        whyNot_ = QStringLiteral("the file system has no file flags: ") + ErrnoText();
        return;
    }
    if (!SetFlags(path, oldFlags_ | FS_IMMUTABLE_FL, false)) {
        whyNot_ = QStringLiteral("the file cannot be made immutable: ") + ErrnoText();
        return;
    }
    active_ = true;
#else
    whyNot_ = QStringLiteral("this platform has no immutable flag that the tests know how to set");
#endif
}

ImmutableFile::~ImmutableFile()
{
#if defined(__linux__)
    if (active_)
        SetFlags(path_, oldFlags_ & ~static_cast<unsigned>(FS_IMMUTABLE_FL), false);
#endif
}

bool RunsAsRoot()
{
    return ::geteuid() == 0;
}

namespace {
bool Failed(QString* whyNot, const char* call)
{
    if (whyNot != nullptr)
        *whyNot = QString::fromLatin1(call) + QStringLiteral(" failed: ") + ErrnoText();
    return false;
}
} // namespace

bool MakeDeviceNode(const QString& path, QString* whyNot)
{
    if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        return true;
    return Failed(whyNot, "mknod");
}

bool MakeSocketFile(const QString& path, QString* whyNot)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) {
        if (whyNot != nullptr)
            *whyNot = QStringLiteral("the path is too long for a socket");
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return Failed(whyNot, "socket");
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    ::close(fd); // the socket file stays
    errno = error;
    return bound || Failed(whyNot, "bind");
}

bool MakeHardLink(const QString& existing, const QString& newName, QString* whyNot)
{
    if (::link(QFile::encodeName(existing).constData(), QFile::encodeName(newName).constData()) == 0)
        return true;
    return Failed(whyNot, "link");
}

bool SetOwnerAndMode(const QString& path, int uid, int gid, unsigned mode, QString* whyNot)
{
    const QByteArray name = QFile::encodeName(path);
    // chown clears setuid and setgid, so the mode comes after it.
    if (::lchown(name.constData(), static_cast<uid_t>(uid), static_cast<gid_t>(gid)) != 0)
        return Failed(whyNot, "chown");
    if (::chmod(name.constData(), static_cast<mode_t>(mode)) != 0)
        return Failed(whyNot, "chmod");
    return true;
}

bool SetModifiedTime(const QString& path, std::int64_t nanoseconds, QString* whyNot)
{
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
    times[1].tv_nsec = static_cast<long>(nanoseconds % 1000000000);
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0)
        return true;
    return Failed(whyNot, "utimensat");
}

FileFacts Facts(const QString& path)
{
    FileFacts facts;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return facts;
    facts.exists = true;
    facts.regular = S_ISREG(st.st_mode);
    facts.link = S_ISLNK(st.st_mode);
    facts.uid = st.st_uid;
    facts.gid = st.st_gid;
    facts.mode = st.st_mode & 07777;
    facts.links = static_cast<unsigned>(st.st_nlink);
#if defined(__APPLE__)
    const timespec& modified = st.st_mtimespec;
#else
    const timespec& modified = st.st_mtim;
#endif
    facts.modifiedNs = static_cast<std::int64_t>(modified.tv_sec) * 1000000000 + modified.tv_nsec;
    return facts;
}

#if defined(__linux__)
struct WriteWhenReadAgain::Watch {
    int group = -1; // the fanotify group
    int file = -1;  // the file, open for writing since before it was watched
    std::vector<std::uint8_t> bytes;
    std::atomic<bool> written{false};
    std::atomic<bool> stop{false};
    std::thread thread;

    void run()
    {
        bool closed = false;
        alignas(fanotify_event_metadata) char buffer[4096];
        while (!stop) {
            pollfd ready{group, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            const ssize_t length = ::read(group, buffer, sizeof buffer);
            if (length <= 0)
                continue;
            auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
            for (ssize_t left = length; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
                if (event->mask & FAN_CLOSE_NOWRITE)
                    closed = true;
                if (event->mask & FAN_ACCESS_PERM) {
                    // The read waits until this answer: the write lands first.
                    if (closed && !written) {
                        written = ::pwrite(file, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()) &&
                                  ::ftruncate(file, static_cast<off_t>(bytes.size())) == 0;
                    }
                    const fanotify_response allow{event->fd, FAN_ALLOW};
                    [[maybe_unused]] const ssize_t answered = ::write(group, &allow, sizeof allow);
                }
                if (event->fd >= 0)
                    ::close(event->fd);
            }
        }
    }
};

WriteWhenReadAgain::WriteWhenReadAgain(const QString& path, const std::vector<std::uint8_t>& bytes)
    : watch_(std::make_unique<Watch>())
{
    watch_->bytes = bytes;
    const QByteArray name = QFile::encodeName(path);
    watch_->file = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    watch_->group = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE);
    if (watch_->file < 0 || watch_->group < 0 ||
        ::fanotify_mark(watch_->group, FAN_MARK_ADD, FAN_ACCESS_PERM | FAN_CLOSE_NOWRITE, AT_FDCWD, name.constData()) != 0) {
        whyNot_ = QStringLiteral("fanotify's permission events are not available (they need root): ") + ErrnoText();
        return;
    }
    watch_->thread = std::thread([watch = watch_.get()] { watch->run(); });
    active_ = true;
}

WriteWhenReadAgain::~WriteWhenReadAgain()
{
    watch_->stop = true;
    if (watch_->thread.joinable())
        watch_->thread.join();
    // Closing the group lets any read still held go on.
    for (const int fd : {watch_->group, watch_->file})
        if (fd >= 0)
            ::close(fd);
}

bool WriteWhenReadAgain::written() const
{
    return watch_->written;
}
#else
struct WriteWhenReadAgain::Watch {};
WriteWhenReadAgain::WriteWhenReadAgain(const QString&, const std::vector<std::uint8_t>&)
    : whyNot_(QStringLiteral("fanotify is Linux's"))
{
}
WriteWhenReadAgain::~WriteWhenReadAgain() = default;
bool WriteWhenReadAgain::written() const
{
    return false;
}
#endif

bool PauseProcess(qint64 pid, QString* whyNot)
{
    if (::kill(static_cast<pid_t>(pid), SIGSTOP) != 0) {
        if (whyNot != nullptr)
            *whyNot = ErrnoText();
        return false;
    }
    // Reports the stop without reaping the child, which its QProcess still owns.
    int status = 0;
    pid_t waited = -1;
    do {
        waited = ::waitpid(static_cast<pid_t>(pid), &status, WUNTRACED);
    } while (waited < 0 && errno == EINTR);
    if (waited != static_cast<pid_t>(pid) || !WIFSTOPPED(status)) {
        if (whyNot != nullptr)
            *whyNot = waited < 0 ? ErrnoText() : QStringLiteral("it ended instead of stopping");
        return false;
    }
    return true;
}

void ResumeProcess(qint64 pid)
{
    ::kill(static_cast<pid_t>(pid), SIGCONT);
}

std::optional<int> RunInChild(const std::function<int()>& work, int seconds, const ChildUser* as, QString* whyNot)
{
    constexpr int kCannotSwitch = 125;
    if (as != nullptr && ::geteuid() != 0) {
        if (whyNot != nullptr)
            *whyNot = QStringLiteral("only root can run a child as another user");
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        Failed(whyNot, "fork");
        return std::nullopt;
    }
    if (child == 0) {
        // A child that hangs (a read that waits for a pipe's writer) is ended by the alarm.
        ::alarm(static_cast<unsigned>(seconds));
        if (as != nullptr) {
            std::vector<gid_t> groups(as->groups.begin(), as->groups.end());
            if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(as->gid) != 0 || ::setuid(as->uid) != 0)
                ::_exit(kCannotSwitch);
        }
        ::_exit(work() & 0xff);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            Failed(whyNot, "waitpid");
            return std::nullopt;
        }
    }
    if (WIFSIGNALED(status)) {
        if (whyNot != nullptr)
            *whyNot = WTERMSIG(status) == SIGALRM
                          ? QStringLiteral("the child did not finish within %1 s").arg(seconds)
                          : QStringLiteral("the child was ended by signal %1").arg(WTERMSIG(status));
        return std::nullopt;
    }
    if (WEXITSTATUS(status) == kCannotSwitch && as != nullptr) {
        if (whyNot != nullptr)
            *whyNot = QStringLiteral("the child could not become user %1").arg(as->uid);
        return std::nullopt;
    }
    return WEXITSTATUS(status);
}

} // namespace quorvan::test
