#include "ui/main/AppStartup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return quorvan::RunQuorvan(app);
}
