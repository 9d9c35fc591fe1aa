#pragma once
// The program's command line, read before any window (or display) exists:
//   quorvan [FILE] [--stage N] [--tools LIST] [--screenshot PNG] [--quit-when-painted]
//   quorvan --help | --version
//   quorvan COMMAND ...   (the commands for scripts, BatchCommands.h)
// --help and --version print their text and end the program without a
// display; an argument that cannot be used ends it with status 2 after one
// line on stderr that says what is wrong, as the commands for scripts do.

#include <QString>
#include <QStringList>

namespace quorvan {

// What the window does at start-up, once its event loop runs.
struct StartupOptions {
    QString file;             // opened as Open would; empty: none
    int stage = 0;            // 1..9, chosen after the file opened; 0: none
    QStringList tools;        // tool windows opened as their menu items would (names of kToolNames)
    QString screenshot;       // a picture of the window saved there, then the program ends; empty: none
    bool quitWhenPainted = false;
};

// The tool windows --tools names, in the order --help lists them, and
// whether each needs a stage (an editor), an image (the history) or neither
// (the about box).
struct ToolName {
    const char* name;
    bool needsStage;
    bool needsImage;
};
inline constexpr ToolName kToolNames[] = {
    {"palette", true, true}, {"tile", true, true}, {"sheet", true, true}, {"overview", true, true},
    {"history", false, true}, {"about", false, false},
};

struct StartupParse {
    bool run = false;        // start the window with `options`
    int exitStatus = 0;      // otherwise end with this status (the text is printed already)
    StartupOptions options;
};

// Reads the window's arguments (program name first). Prints --help or
// --version to stdout, or the one line naming a bad argument to stderr.
StartupParse ParseStartupArguments(const QStringList& arguments);

// The whole --help text: every option and command with a one-line example.
QString UsageText();

// The application's organisation, name and version, under which QSettings
// keeps the program's settings (set once; names set before are kept).
void NameApplication();

} // namespace quorvan
