#include "support/ProgramRun.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace quorvan::test {

ProgramRun RunWithoutDisplay(const QString& program, const QString& folder, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    // The X11 platform with no display to reach: any window would fail.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("HOME"), folder);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return run;
}

} // namespace quorvan::test
