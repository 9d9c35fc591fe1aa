#pragma once
// Ways to make file writes fail, for the tests of saving. Each is a guard that
// undoes its change when it goes out of scope. What works depends on the
// platform and on the user the tests run as; a guard that cannot take effect
// says why, and the test skips that case with the reason.

#include <QString>

#include <cstdint>

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

} // namespace quorvan::test
