#pragma once
// For the tests of what happens to the user's files through the main window:
// images on disk, what another program does to them, how the user answers a
// question, and the window itself, guarded against questions nobody answers.

#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;

namespace quorvan {
class frmQuorvan;
}

namespace quorvan::test {

using Bytes = std::vector<std::uint8_t>;

// The image as opened, another program's version of it, and a third one.
const Bytes& Original();
const Bytes& Theirs();
const Bytes& Later();
// The program's image as it is now.
Bytes ImageNow();
// Names in a folder, hidden ones too, sorted.
QStringList Listing(const QString& folder);

// What another program does to a file.
enum class Change {
    None,
    InPlace, // writes the file itself and, when the size stays, puts its modification time back
    Renamed, // saves as careful editors do: a new file renamed over the name
    Removed,
};
void ChangeOnDisk(Change change, const QString& path, const Bytes& bytes);

// How the user answers a question; Enter and Escape answer as the box decides.
enum class Reply { None, Yes, No, Enter, Escape, Cancel, Overwrite, SaveAs };
ModalAnswerer::Answer Respond(Reply reply);
// Notes the message box's default button (its text without '&'), then answers.
ModalAnswerer::Answer NotingDefault(QString* defaultButton, ModalAnswerer::Answer then);

// Something other than a regular file, made at `path` (a link to a pipe leads
// to PATH.fifo); the reason when it cannot be made here.
enum class Special { Pipe, LinkToPipe, Device, Socket };
std::optional<QString> MakeSpecial(Special kind, const QString& path);

// The main window, shown, over a reset program document, for one test
// function. A question that no answer was queued for would wait for good: it
// is closed and noted, and finish() fails the test naming it.
class FileWindow {
public:
    FileWindow();
    ~FileWindow();
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    frmQuorvan& window() { return *window_; }
    // Opens the file as the Open dialog would; fails the test if it is refused.
    void open(const QString& path);
    // Runs a menu command; every answer queued for it must have been used.
    void trigger(QAction* action);
    // How many message boxes of this title were answered.
    int asked(const QString& title) const;
    // The checks at the end of a test function: no question left unanswered.
    void finish();

private:
    std::unique_ptr<frmQuorvan> window_;
    QTimer watch_;
    QStringList unexpected_;
};

} // namespace quorvan::test
