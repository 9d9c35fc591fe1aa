#pragma once
// Ways to make file writes fail, for the tests of saving. Each is a guard that
// undoes its change when it goes out of scope. What works depends on the
// platform and on the user the tests run as; a guard that cannot take effect
// says why, and the test skips that case with the reason.

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorvan::test {

// Makes a folder refuse the creation of new files. Permission bits do not stop
// the superuser, so as root the folder is marked immutable instead (where the
// file system supports it).
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool active() const { return active_; }
    QString whyNot() const { return whyNot_; } // when not active
    QString how() const { return how_; }       // when active

private:
    void undo();

    QString path_;
    bool active_ = false;
    QString whyNot_;
    QString how_;
    int mode_ = 0;         // what was done: 1 permission bits, 2 immutable flag
    unsigned oldBits_ = 0; // permission bits or file flags before the change
};

// Limits the size of any file this process writes to `bytes`. A write that
// crosses the limit is cut short and the next one fails, as on a full disk;
// the process is not stopped by it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::int64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }
    QString whyNot() const { return whyNot_; }

private:
    bool active_ = false;
    QString whyNot_;
    std::uint64_t oldLimit_ = 0;
    void* oldHandler_ = nullptr;
};

// Creates a named pipe (a file that is not a regular file) at `path`.
// Returns false, with the reason in `whyNot`, where that is not possible.
bool MakeNamedPipe(const QString& path, QString* whyNot);

// True when `path` exists and is still a named pipe.
bool IsNamedPipe(const QString& path);

// Frees anyone this process has stuck on the named pipe at `path`: from
// `seconds` on, a writer opens the pipe now and then and closes it at once, so
// that a reader waiting in open() or read() sees an empty pipe and goes on. A
// test of something that must never wait on a pipe then fails in seconds
// instead of hanging. Stops when it goes out of scope.
class PipeRelease {
public:
    PipeRelease(const QString& path, int seconds);
    ~PipeRelease();
    PipeRelease(const PipeRelease&) = delete;
    PipeRelease& operator=(const PipeRelease&) = delete;

    // True once a reader was found waiting on the pipe and was let go.
    bool released() const;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

// Marks a file immutable (root only, where the file system supports it): it
// can then be neither written, renamed over nor removed, until this is undone.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& path);
    ~ImmutableFile();
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;

    bool active() const { return active_; }
    QString whyNot() const { return whyNot_; }

private:
    QString path_;
    bool active_ = false;
    QString whyNot_;
    unsigned oldFlags_ = 0;
};

// Other things than regular files, and the facts about a file that saving
// must keep. Each maker returns false, with the reason in `whyNot`, where that
// is not possible here (a device node needs root).
bool RunsAsRoot();
bool MakeDeviceNode(const QString& path, QString* whyNot); // a character device like /dev/null
bool MakeSocketFile(const QString& path, QString* whyNot);
bool MakeHardLink(const QString& existing, const QString& newName, QString* whyNot);
// Owner and group (-1 keeps one) and all mode bits, setuid, setgid and sticky included.
bool SetOwnerAndMode(const QString& path, int uid, int gid, unsigned mode, QString* whyNot);
bool SetModifiedTime(const QString& path, std::int64_t nanoseconds, QString* whyNot);

// What is at a path itself (a link is not followed).
struct FileFacts {
    bool exists = false;
    bool regular = false;
    bool link = false;
    unsigned uid = 0;
    unsigned gid = 0;
    unsigned mode = 0; // 07777
    unsigned links = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const FileFacts&, const FileFacts&) = default;
};
FileFacts Facts(const QString& path);

// Runs `work` in a child process and returns its exit code (0..255); the child
// is stopped after `seconds`. With `as`, the child first becomes that user with
// those groups (root only). Nothing, with the reason, when the child could not
// run, switch user or finish in time.
struct ChildUser {
    unsigned uid = 0;
    unsigned gid = 0;
    std::vector<unsigned> groups;
};
std::optional<int> RunInChild(const std::function<int()>& work, int seconds, const ChildUser* as, QString* whyNot);

// Another program's write that lands in the middle of a save, after the save
// has checked the file: once this process has read the file at `path` and
// closed it, its next read of the file is held until `bytes` have been written
// as the file's contents, in place. Linux only, as root (fanotify's permission
// events); with `active()` false, `whyNot()` says why.
class WriteWhenReadAgain {
public:
    WriteWhenReadAgain(const QString& path, const std::vector<std::uint8_t>& bytes);
    ~WriteWhenReadAgain();
    WriteWhenReadAgain(const WriteWhenReadAgain&) = delete;
    WriteWhenReadAgain& operator=(const WriteWhenReadAgain&) = delete;

    bool active() const { return active_; }
    QString whyNot() const { return whyNot_; }
    bool written() const; // the bytes went in

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
    bool active_ = false;
    QString whyNot_;
};

// Stops the process `pid` (a child of this one) where it stands and waits until
// it has stopped, or lets it go on. A process is stopped only between system
// calls, so what it left on disk then is what a kill at that moment leaves.
// False, with the reason, where that is not possible.
bool PauseProcess(qint64 pid, QString* whyNot);
void ResumeProcess(qint64 pid);

} // namespace quorvan::test
