#pragma once
// Commands that run without a window, for scripts:
//   quorvan --create-patch BASE MODIFIED OUT.ips|OUT.bps
//   quorvan --apply-patch IMAGE PATCH OUT
//   quorvan --export-room STAGE ROOM [--scale S] IMAGE OUT.png (ExportCommands.h)
//   quorvan --export-stage STAGE [--scale S] IMAGE OUT.png
//   quorvan --export-tiles STAGE [--palette P] IMAGE OUT.png|OUT.chr (TileCommands.h)
//   quorvan --import-tiles STAGE [--palette P] IMAGE TILES.png|TILES.chr OUT.nes
// Images are read as an Open reads them (only the two accepted lengths) and
// files are written through the guarded writer, so a failure leaves no partial
// output. Exit status: 0 done, 1 an input refused or the output not written,
// 2 bad arguments; every failure prints one line naming the problem on stderr.

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvan {

// True when the command line asks for one of these commands (any argument is
// a command's name). Decided on the raw arguments, before any application
// object exists: the commands need no display.
bool IsBatchCommand(int argc, const char* const* argv);

// Each command's name, its operands and an example, for --help.
struct BatchUsage {
    QString name;
    QString operands;
    QString example;
};
std::vector<BatchUsage> BatchCommandUsage();

// Runs the command the arguments (program name first) name. Needs a
// QCoreApplication.
int RunBatchCommand(const QStringList& arguments);

} // namespace quorvan
