// Takes the README's pictures of the editor with a menu open, under a real X
// server (e.g. xvfb-run): the main window on a demo image with a stage chosen
// and one of its menus dropped down with an item under the mouse.
//   quorvan_screenshots DEMO.nes OUT.png [MENU] [ITEM]
// MENU is a menu's object name (default mnuLevel), ITEM the object name of the
// item to highlight (default mnuStageSelect(2)). MENU "editors" instead opens
// the tile editor and the palette editor beside the main window; "overview"
// opens the stage overview beside it, with changes shown, a block's uses
// highlighted and one found, the pointer's numbers in the status bar.

#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/frmStageOverview.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: quorvan_screenshots DEMO.nes OUT.png [MENU] [ITEM]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString menuName = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("mnuLevel");
    const QString itemName = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("mnuStageSelect(2)");

    quorvan::frmQuorvan window;
    window.move(0, 0);
    window.show();
    if (!window.OpenFile(QString::fromLocal8Bit(argv[1])))
        return 1;
    window.mnuStageSelect(2)->trigger();
    window.mnuGrid(1)->trigger();

    if (menuName == QLatin1String("overview")) {
        // A few placed blocks to show as changes, one block's uses highlighted,
        // and the pointer over a cell of the room.
        emit window.picTile()->mouseDown(1, 0, 40, 70);
        for (const QPoint cell : {QPoint(3, 2), QPoint(4, 2), QPoint(5, 2), QPoint(10, 8)})
            emit window.picEditor()->mouseDown(1, 0, cell.x() * 32 + 4, cell.y() * 32 + 4);
        window.mnuShowChanges()->trigger();
        window.mnuHighlightUses()->trigger();
        window.mnuStageOverview()->trigger();
        window.mnuFindNextUse()->trigger();
        emit window.picEditor()->mouseMove(0, 0, 7 * 32 + 4, 5 * 32 + 4);
        QTimer::singleShot(1000, [&] {
            // Both windows, with their frames.
            QRect area = window.frameGeometry();
            if (const QWidget* overview = window.StageOverview(false))
                area = area.united(overview->frameGeometry());
            const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
            const bool saved = shot.save(out);
            std::printf("%s %s\n", saved ? "Saved" : "Could not save", qPrintable(out));
            QApplication::exit(saved ? 0 : 1);
        });
        return QApplication::exec();
    }

    if (menuName == QLatin1String("editors")) {
        window.mnuTileEditor()->trigger();
        window.mnuPalette()->trigger();
        QTimer::singleShot(1000, [&] {
            const QPixmap shot = window.screen()->grabWindow(0, 0, 0, 1024, 768);
            const bool saved = shot.save(out);
            std::printf("%s %s\n", saved ? "Saved" : "Could not save", qPrintable(out));
            QApplication::exit(saved ? 0 : 1);
        });
        return QApplication::exec();
    }

    auto* menu = window.findChild<QMenu*>(menuName);
    if (menu == nullptr) {
        std::fprintf(stderr, "no menu %s\n", qPrintable(menuName));
        return 2;
    }
    QTimer::singleShot(300, [&] {
        window.activateWindow();
        window.menuBar()->setActiveAction(menu->menuAction());
    });
    QTimer::singleShot(800, [&] {
        if (auto* item = menu->findChild<QAction*>(itemName); item != nullptr)
            menu->setActiveAction(item);
        else if (!menu->actions().isEmpty())
            menu->setActiveAction(menu->actions().first());
    });
    QTimer::singleShot(1300, [&] {
        // The whole screen area of the window, so that the open menu is in it.
        const QRect frame = window.frameGeometry();
        const QRect area = frame.united(menu->geometry());
        const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        const bool saved = shot.save(out);
        std::printf("%s %s\n", saved ? "Saved" : "Could not save", qPrintable(out));
        menu->close();
        QApplication::exit(saved ? 0 : 1);
    });
    return QApplication::exec();
}
