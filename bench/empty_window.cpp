// The floor the start-up measurement (startup.sh) compares the program with:
// an empty main window, built the same way, started and ended the same way
// (quit once painted). Built a second time with QUORVAN_TEXT_WINDOW, the
// window also has a one-item menu bar and a status bar with one label: the
// least any window that shows text pays (the font database set-up).

#include "ui/common/QuitWhenPainted.h"

#include <QApplication>
#include <QMainWindow>
#ifdef QUORVAN_TEXT_WINDOW
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#endif
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
#ifdef QUORVAN_TEXT_WINDOW
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.statusBar()->addWidget(new QLabel(QStringLiteral("Room 1"), window.statusBar()));
#endif
    window.show();
    // As the program does: watched once the event loop runs, and a paint asked for.
    QTimer::singleShot(0, &window, [&window] {
        quorvan::QuitWhenPainted(&window);
        window.update();
    });
    return QApplication::exec();
}
