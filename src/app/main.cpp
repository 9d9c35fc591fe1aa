#include "ui/main/AppStartup.h"
#include "ui/main/BatchCommands.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char* argv[])
{
    // Commands for scripts run without a window, and so without a display.
    if (quorvan::IsBatchCommand(argc, argv)) {
        QCoreApplication app(argc, argv);
        quorvan::NameApplication();
        return quorvan::RunBatchCommand(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    return quorvan::RunQuorvan(app);
}
