#pragma once
// Where the program's file dialogs start: in the folder last chosen in any of
// them (kept with QSettings across runs), else in the open file's folder, else
// in the program's own folder, or the user's home when the program's folder
// may not be written (an installed program).

#include <QString>

namespace quorvan {

// The folder a dialog starts in, with the platform's separators. `openFile` is
// the open image's path (empty when none), `programFolder` the program's.
QString DialogStartFolder(const QString& openFile, const QString& programFolder);

// Notes the folder of a file the user chose in a dialog, for the next one.
void RememberDialogChoice(const QString& chosenFile);

// The folder last noted, as kept; empty when none.
QString LastDialogFolder();

} // namespace quorvan
