#pragma once
// Building blocks of the POSIX file reader and writer (FileReader_posix.cpp,
// FileWriter_posix.cpp): descriptors that close themselves, whole writes and
// copies that say how far they got, and temporary files beside a target.

#include "data/FileWriter.h"
#include "data/FileWriterText.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

#include <sys/stat.h>
#include <sys/types.h>

namespace quorvan::posix {

QString SystemReason(int error);
filetext::Kind KindOf(mode_t mode);
FileStamp StampOf(const struct stat& st);
// The status change time (any write, rename, link or mode change moves it), in nanoseconds.
std::int64_t ChangeTimeNs(const struct stat& st);
bool SameFile(const struct stat& a, const struct stat& b);

// A file descriptor, closed when it goes out of scope.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd();
    Fd(Fd&& other) noexcept;
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A path split into its folder and its last name, as the system calls take them.
struct Place {
    QByteArray folder; // "." when the path names no folder
    QByteArray name;   // empty when the path ends in a slash
    static Place Of(const QByteArray& path);
};

// Whether two paths name the same entry of the same folder, however spelt
// (through links to folders, with "." or ".."); the last names are compared as they are.
bool SameEntry(const QByteArray& a, const QByteArray& b);

// Opens a folder to create, link and rename files in it; sets `error` on failure.
Fd OpenFolder(const QByteArray& folder, int& error);

// How far a whole write or copy got: `error` is the system's error number when
// it stopped short (0 when the system gave none, as on a full disk).
struct Transfer {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    int error = 0;
    bool reading = false; // it stopped on reading the source, not on writing
    bool complete() const { return done == total && error == 0; }
    QString reason() const; // for an incomplete transfer
};

// Writes all of `bytes` at the start of the file.
Transfer WriteAll(int fd, std::span<const std::uint8_t> bytes);
// Copies the file `from` (of `size` bytes) to the start of `to`.
Transfer CopyAll(int from, int to, std::uint64_t size);
// Flushes the file to the disk; 0 or the error.
int SyncFile(int fd);
// Flushes a folder's entries (a new name, a rename). Some file systems refuse;
// the change itself is made by then, so that is not a failure.
void SyncFolder(int folderFd);

// A temporary file in a folder: unnamed where the system allows it (a process
// killed while writing it then leaves nothing behind), otherwise under a short
// name of its own that fits beside any file name. Its temporary name, if it has
// one, is removed when it goes out of scope unless it took a final name or
// keep() was called.
class TempFile {
public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates it in the folder open as `folderFd` (whose path is `folderPath`,
    // for messages); 0 or the error.
    int create(int folderFd, const QByteArray& folderPath, mode_t mode);
    int fd() const { return file_.get(); }
    int folderFd() const { return folder_.get(); }
    bool named() const { return !tempName_.isEmpty(); }
    QString path() const; // its temporary path, once it has one

    // Gives an unnamed file a temporary name, so that it survives the process.
    int giveName();
    // Renames it over `name` in its folder (replacing a file or a link there).
    int replace(const QByteArray& name);
    // Gives it `name` only if nothing has that name; EEXIST otherwise.
    int takeNewName(const QByteArray& name);
    // Leaves it under its temporary name (it holds bytes that must survive).
    void keep() { kept_ = true; }

private:
    int linkUnnamed(const QByteArray& name);

    Fd folder_;
    QByteArray folderPath_;
    Fd file_;
    QByteArray tempName_;
    bool kept_ = false;
};

} // namespace quorvan::posix
