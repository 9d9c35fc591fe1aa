#include "cli/BatchCommands.h"
#include "cli/CommandLineNames.h"
#include "cli/StartupOptions.h"
#include "ui/main/AppStartup.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // A name that cannot be passed on exactly would be taken for another file.
    const QString unrepresentable = quorvan::UnrepresentableArgument(argc, argv);
    // Commands for scripts run without a window, and so without a display.
    if (quorvan::IsBatchCommand(argc, argv)) {
        if (!unrepresentable.isEmpty()) {
            std::fprintf(stderr, "quorvan: the argument \"%s\" is not valid in this system's encoding of file names, "
                                 "so it cannot be used exactly; rename the file.\n",
                         unrepresentable.toLocal8Bit().constData());
            return 2;
        }
        QCoreApplication app(argc, argv);
        quorvan::NameApplication();
        return quorvan::RunBatchCommand(QCoreApplication::arguments());
    }
    // The window's options are checked before a display is asked for, so that
    // --help, --version and a wrong argument work without one.
    quorvan::StartupParse parsed;
    {
        QCoreApplication reader(argc, argv);
        quorvan::NameApplication();
        parsed = quorvan::ParseStartupArguments(QCoreApplication::arguments());
    }
    if (!parsed.run)
        return parsed.exitStatus;
    QApplication app(argc, argv);
    return quorvan::RunQuorvan(app, parsed.options, unrepresentable);
}
