#pragma once
// Start-up of the program: the main window, an image named on the command line,
// and the options used to show the editor working on a machine without a screen.

#include <QString>

class QApplication;

namespace quorvan {

// The application's organisation, name and version, under which QSettings
// keeps the program's settings (set once; names set before are kept).
void NameApplication();

// Usage: quorvan [FILE] [--stage N] [--tools LIST] [--screenshot PNG] [--quit-when-painted]
//   FILE          opened at start-up exactly as Open would
//   --stage N     then chooses stage N (1..9)
//   --tools LIST  then opens tool windows as their menu items would:
//                 "palette", "tile", "about", comma-separated
//   --screenshot  saves a picture of the window once it is shown, and exits
//   --quit-when-painted  exits (code 0) once the level view has been painted
//                 after the steps above: for timing start-up
// (The commands that need no window are told apart before, in main.cpp: see
// BatchCommands.h.)
// `unrepresentableArgument`: an argument that cannot be passed on exactly
// (see CommandLineNames.h); when given, no file is opened and the window says why.
int RunQuorvan(QApplication& app, const QString& unrepresentableArgument = QString());

} // namespace quorvan
