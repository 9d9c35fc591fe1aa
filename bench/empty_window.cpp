// The floor the start-up measurement (startup.sh) compares the program with:
// an empty main window, built the same way, started and ended the same way
// (quit once painted).

#include "ui/common/QuitWhenPainted.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    // As the program does: watched once the event loop runs, and a paint asked for.
    QTimer::singleShot(0, &window, [&window] {
        quorvan::QuitWhenPainted(&window);
        window.update();
    });
    return QApplication::exec();
}
