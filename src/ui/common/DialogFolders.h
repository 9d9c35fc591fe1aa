#pragma once
// Where the program's file dialogs start: in the folder last chosen in any of
// them (kept with QSettings across runs), else in the open file's folder, else
// in the program's own folder when it is the user's own (a program built and
// run in place), or the user's home for an installed program.

#include <QString>
#include <QStringList>

namespace quorvan {

// The folder a dialog starts in, with the platform's separators. `openFile` is
// the open image's path (empty when none), `programFolder` the program's.
QString DialogStartFolder(const QString& openFile, const QString& programFolder);

// Notes the folder of a file the user chose in a dialog, for the next one.
void RememberDialogChoice(const QString& chosenFile);

// The folder last noted, as kept; empty when none.
QString LastDialogFolder();

// What is known of the program's folder.
struct ProgramFolderFacts {
    QString path;          // absolute, '/' separators, links resolved; empty when there is none
    bool writable = false; // the user may create files in it
    bool owned = false;    // it belongs to the user
};

// Whether dialogs may start in the program's folder: one the user owns and may
// write, outside the folders of the system and of installed programs
// (`systemFolders`, compared without regard to case). Root owns and may write
// nearly everything, so for root the last test is what sets /usr/local/bin
// apart from a build folder.
bool IsUsersOwnFolder(const ProgramFolderFacts& facts, const QStringList& systemFolders);

// The folders of the system and of installed programs: /usr, /opt and the
// like, macOS's /Applications, Windows's program and system folders.
QStringList SystemFolders();

} // namespace quorvan
