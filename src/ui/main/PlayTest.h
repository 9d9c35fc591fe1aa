#pragma once
// Play-testing: the image as it is now (saved or not) is written to a
// temporary file and the user's emulator is started on it, detached, so that
// the program goes on while the game runs. The image's own file is never
// touched. The temporary files live in one folder of their own, removed with
// this object (when the program exits).

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>

class QTemporaryDir;

namespace quorvan {

struct PlayTestOutcome {
    enum class Status {
        Started,     // the emulator runs on `file`
        NoEmulator,  // no command is set and none was found on the PATH
        NotFound,    // the command's program is not on the PATH or not there
        WriteFailed, // the temporary file could not be written (`reason`)
        StartFailed, // the program could not be started (`reason`)
    };
    Status status = Status::NoEmulator;
    QString command; // the command as it was tried
    QString file;    // the temporary image handed over
    QString reason;

    bool ok() const { return status == Status::Started; }
};

class PlayTest {
public:
    PlayTest();
    ~PlayTest();
    PlayTest(const PlayTest&) = delete;
    PlayTest& operator=(const PlayTest&) = delete;

    // Writes `image` to a new temporary file named after `imageName` and starts
    // `emulatorCommand` (a program and its arguments, split as a shell would
    // split them) with the file appended as its last argument. A file whose
    // emulator did not start is removed at once.
    PlayTestOutcome Start(std::span<const std::uint8_t> image, const QString& imageName, const QString& emulatorCommand);

    // The folder of the temporary files; empty before the first Start.
    QString folder() const;

    // The program and arguments a command stands for, its words split as a
    // POSIX shell splits them (single and double quotes, backslashes; nothing is
    // expanded and no shell runs). On Windows, where backslashes separate
    // folders, only double quotes group words. Empty when it names none or a
    // quote is not closed.
    static QStringList SplitCommand(const QString& command);

private:
    std::unique_ptr<QTemporaryDir> folder_;
    int count_ = 0;
};

} // namespace quorvan
