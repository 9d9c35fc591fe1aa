#pragma once
// Running the program itself from a test, as a script would run it.

#include <QString>
#include <QStringList>

namespace quorvan::test {

// How a run of the program ended: exit code -1 when it did not end normally
// within a minute.
struct ProgramRun {
    int exitCode = -1;
    QString err;
    QString out;
};

// Runs `program` in `folder` with no display at all (a window would fail), and
// with `folder` as its home, so that no settings of the user's are read.
ProgramRun RunWithoutDisplay(const QString& program, const QString& folder, const QStringList& arguments);

} // namespace quorvan::test
