#pragma once
// The program's settings (preferences, recent files, dialog folders, tool
// window places, and Qt's own file dialog's) are read by QSettings, which opens
// its files without asking what they are: a named pipe or a device there would
// hold up start-up for ever. GuardSettingsFiles looks first.

#include <QString>

#include <optional>

namespace quorvan {

// Looks at every file QSettings() would read for this application (its own
// and its organisation's, in the user's and the system's folders, and Qt's
// file dialog's), before anything reads one. When one of them is there and is
// not a regular file, every setting of this run is kept in an empty folder of
// its own instead (so the program starts with defaults and keeps no change)
// and the reason is returned, naming the file; nothing when all is well.
// Call it once the application's organisation and name are set.
std::optional<QString> GuardSettingsFiles();

} // namespace quorvan
