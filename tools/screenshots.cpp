// Takes the README's pictures of the editor with a menu open, under a real X
// server (e.g. xvfb-run): the main window on a demo image with a stage chosen
// and one of its menus dropped down with an item under the mouse.
//   quorvan_screenshots DEMO.nes OUT.png [MENU] [ITEM]
// MENU is a menu's object name (default mnuLevel), ITEM the object name of the
// item to highlight (default mnuStageSelect(2)). MENU "editors" instead opens
// the tile editor and the palette editor beside the main window. MENU "paint"
// paints with the mouse as a user would and saves one picture per step as
// OUT-1.png .. OUT-4.png: a stroke, a selection, the paste preview, the paste.
// "overview" opens the stage overview beside it, with changes shown, a block's
// uses highlighted and one found, the pointer's numbers in the status bar.
// "sheet" opens the tile sheet and the tile editor beside it: the block's
// first tile selected from the editor, a stroke painted into it, and the
// pointer's tile numbers under the sheet.

#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include "ui/common/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers keys = {})
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, keys);
    QApplication::sendEvent(widget, &event);
}

QPoint At(int column, int row)
{
    return {column * 32 + 12, row * 32 + 12};
}

bool SaveWindow(quorvan::frmQuorvan& window, const QString& path)
{
    const QRect frame = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "Saved" : "Could not save", qPrintable(path));
    return saved;
}

// Painting as a user would, one picture after each step.
int PaintSteps(quorvan::frmQuorvan& window, const QString& out)
{
    quorvan::PictureBox* room = window.picEditor();
    const QString base = out.endsWith(QLatin1String(".png")) ? out.chopped(4) : out;
    const std::vector<std::function<void()>> steps = {
        [&] { // pick a block in the table, then one stroke across the room
            window.hsTable()->setValue(1);
            Mouse(window.picTile(), QEvent::MouseButtonPress, QPoint(40, 100), Qt::LeftButton);
            Mouse(window.picTile(), QEvent::MouseButtonRelease, QPoint(40, 100), Qt::LeftButton);
            Mouse(room, QEvent::MouseButtonPress, At(1, 9), Qt::LeftButton);
            for (const QPoint cell : {QPoint(4, 6), QPoint(7, 6), QPoint(9, 8), QPoint(12, 5)})
                Mouse(room, QEvent::MouseMove, At(cell.x(), cell.y()), Qt::LeftButton);
            Mouse(room, QEvent::MouseButtonRelease, At(12, 5), Qt::LeftButton);
        },
        [&] { // Shift + drag: a selection
            Mouse(room, QEvent::MouseButtonPress, At(3, 5), Qt::LeftButton, Qt::ShiftModifier);
            Mouse(room, QEvent::MouseMove, At(8, 9), Qt::LeftButton, Qt::ShiftModifier);
            Mouse(room, QEvent::MouseButtonRelease, At(8, 9), Qt::LeftButton, Qt::ShiftModifier);
        },
        [&] { // copy it, paste: the preview follows the pointer
            window.mnuCopy()->trigger();
            window.mnuPaste()->trigger();
            Mouse(room, QEvent::MouseMove, At(9, 1), Qt::NoButton);
        },
        [&] { // a click places it
            Mouse(room, QEvent::MouseButtonPress, At(9, 1), Qt::LeftButton);
            Mouse(room, QEvent::MouseButtonRelease, At(9, 1), Qt::LeftButton);
        },
    };
    bool saved = true;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i]();
        QEventLoop settle; // the repaint reaches the X server before the picture is taken
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        saved = SaveWindow(window, QStringLiteral("%1-%2.png").arg(base).arg(i + 1)) && saved;
    }
    return saved ? 0 : 1;
}

} // namespace

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

    if (menuName == QLatin1String("paint")) {
        window.mnuGrid(1)->trigger(); // no grid on the table: the frame shows plainly
        QTimer::singleShot(800, [&] { QApplication::exit(PaintSteps(window, out)); });
        return QApplication::exec();
    }

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

    if (menuName == QLatin1String("sheet")) {
        // A block picked in the table and shown in the tile editor; a right
        // click on its top-left quadrant selects that tile in the sheet.
        emit window.picTile()->mouseDown(1, 0, 40, 70);
        window.cmdEditTile()->click();
        window.mnuTileSheet()->trigger();
        quorvan::frmTileEdit* editor = window.TileEdit(false);
        quorvan::frmTileSheet* sheet = window.TileSheet(false);
        emit editor->picTile()->mouseDown(2, 0, 20, 20);
        // A stroke in value 3 across the tile, then the pointer over another tile.
        sheet->SetDrawingValue(3);
        quorvan::PictureBox* pixels = sheet->picPixels();
        Mouse(pixels, QEvent::MouseButtonPress, QPoint(8, 120), Qt::LeftButton);
        Mouse(pixels, QEvent::MouseMove, QPoint(120, 8), Qt::LeftButton);
        Mouse(pixels, QEvent::MouseButtonRelease, QPoint(120, 8), Qt::LeftButton);
        sheet->SetDrawingValue(1);
        emit sheet->picSheet()->mouseMove(0, 0, 9 * 16 + 8, 9 * 16 + 8);
        QTimer::singleShot(1000, [&] {
            QRect area = window.frameGeometry().united(sheet->frameGeometry()).united(editor->frameGeometry());
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
