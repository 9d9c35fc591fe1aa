#include "ui/main/AppStartup.h"
#include "ui/main/BatchCommands.h"
#include "ui/main/CommandLineNames.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Commands for scripts run without a window, and so without a display.
    // A name that cannot be passed on exactly would be taken for another file.
    const QString unrepresentable = quorvan::UnrepresentableArgument(argc, argv);
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
    QApplication app(argc, argv);
    return quorvan::RunQuorvan(app, unrepresentable);
}
