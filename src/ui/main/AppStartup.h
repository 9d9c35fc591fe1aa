#pragma once
// Start-up of the program: the main window, an image named on the command line,
// and the options used to show the editor working on a machine without a screen.

#include <QString>

class QApplication;

namespace quorvan {

struct StartupOptions;

// Shows the main window and carries out the start-up options (read before,
// in main.cpp: see cli/StartupOptions.h), once the event loop runs.
// `unrepresentableArgument`: an argument that cannot be passed on exactly
// (see cli/CommandLineNames.h); when given, no file is opened and the window says why.
int RunQuorvan(QApplication& app, const StartupOptions& options, const QString& unrepresentableArgument = QString());

} // namespace quorvan
