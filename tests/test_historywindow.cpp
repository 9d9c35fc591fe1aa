// Edit > History: the list of undo steps follows every edit, undo, redo, save
// and open; a click on a row walks there through Undo and Redo; clicks on one
// tile-number arrow are one step.

#include "data/modGlobals.h"
#include "support/ReferenceRenderer.h"
#include "support/ViewChecks.h"
#include "support/WindowFixture.h"
#include "ui/history/frmHistory.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// A "Place Block" step on the top-left cell of room `room` of stage 0, placed there.
void EditRoom(int room)
{
    const std::int64_t cell = std::int64_t{Stages[0].RoomData} + 192 * std::int64_t{room};
    EditStep step(RomDocument::Program().history(), QStringLiteral("Place Block"), EditPlace{0, room, -1});
    RomImage.write(cell, static_cast<std::uint8_t>(RomImage.at(cell) + 1));
}

// The rows as shown, joined by "|": ">" before the current one (bold and
// selected), "~" before the grey ones.
QString Shown(const frmHistory* window)
{
    const QListWidget* list = window->lstHistory();
    QStringList rows;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        const bool current = item->font().bold() && item->isSelected() && list->currentRow() == row;
        const bool grey = item->foreground() == list->palette().brush(QPalette::Disabled, QPalette::Text);
        rows << QString(current ? ">" : grey ? "~" : "") + item->text();
    }
    return rows.join(QLatin1Char('|'));
}

} // namespace

class TestHistoryWindow : public QObject, public WindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { TearDownWindow(); }

    void menuItemShowsAndHides();
    void rowsFollowTheHistory_data();
    void rowsFollowTheHistory();
    void tileNumberClicksMerge();
};

void TestHistoryWindow::init()
{
    SetUpWindow();
    QVERIFY(!window_->mnuHistory()->isEnabled());
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("demo.nes"))));
    window_->mnuStageSelect(0)->trigger();
    window_->mnuHistory()->trigger();
}

void TestHistoryWindow::menuItemShowsAndHides()
{
    QAction* item = window_->mnuHistory();
    QCOMPARE(item->text(), QStringLiteral("Histor&y"));
    frmHistory* history = window_->findChild<frmHistory*>(QStringLiteral("frmHistory"));
    QVERIFY(history != nullptr && history->isVisible() && item->isChecked() && window_->View().historyOpen);
    // Minimised with the main window, back with it while its item is checked.
    window_->showMinimized();
    QVERIFY(!history->isVisible());
    window_->showNormal();
    QVERIFY(history->isVisible());
    // The close box hides it and clears the mark.
    history->close();
    QVERIFY(!history->isVisible() && !item->isChecked() && !window_->View().historyOpen);
}

void TestHistoryWindow::rowsFollowTheHistory_data()
{
    // "e" an edit (the k-th in room k), "u" Undo, "r" Redo, "s" Save, "o" Open
    // another image, "h" the menu item, "cN" a click on row N with room 5 in view.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("rows"); // "#" for "Place Block"
    QTest::addColumn<int>("room");     // in view afterwards (-1: not checked)
    QTest::newRow("as opened") << "" << "><empty> (saved)" << -1;
    QTest::newRow("undone and redone") << "e e u u r" << "<empty> (saved)|>#|~#" << -1;
    QTest::newRow("saved, then undone past it") << "e e s u u" << "><empty>|~#|~# (saved)" << -1;
    QTest::newRow("an edit after undoing past the save") << "e e s u e" << "<empty>|#|>#" << -1;
    QTest::newRow("another image opened") << "e s o" << "><empty> (saved)" << -1;
    QTest::newRow("edits while hidden") << "e h e e u h" << "<empty> (saved)|#|>#|~#" << -1;
    // Walked there through Undo / Redo: the room of the last step taken back or done again.
    QTest::newRow("a click from the end to as opened") << "e e e c0" << "><empty> (saved)|~#|~#|~#" << 1;
    QTest::newRow("a click from as opened to the end") << "e e e u u u c3" << "<empty> (saved)|#|#|>#" << 3;
    QTest::newRow("a click one forward") << "e e e u u c2" << "<empty> (saved)|#|>#|~#" << 2;
}

void TestHistoryWindow::rowsFollowTheHistory()
{
    QFETCH(QString, script);
    QFETCH(QString, rows);
    QFETCH(int, room);
    QListWidget* list = window_->HistoryWindow(false)->lstHistory();
    int edits = 0;
    for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("e")) {
            EditRoom(++edits);
        } else if (token == QLatin1String("o")) {
            QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("other.nes"))));
        } else if (token.startsWith(QLatin1Char('c'))) {
            window_->hLevel_Frames()->setValue(5);
            const QRect rect = list->visualItemRect(list->item(token.mid(1).toInt()));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        } else {
            (token == QLatin1String("u")   ? window_->mnuUndo()
             : token == QLatin1String("r") ? window_->mnuRedo()
             : token == QLatin1String("s") ? window_->mnuSave()
                                           : window_->mnuHistory())->trigger();
        }
    }
    rows.replace(QLatin1Char('#'), QStringLiteral("Place Block"));
    QCOMPARE(Shown(window_->HistoryWindow(false)), rows);
    if (room >= 0) {
        QCOMPARE(window_->View().room, room);
        QCOMPARE(PixelsDiffering(Grab(window_->picEditor()), ReferenceRoom(ImageNow(), 0, room, 2)), 0);
    }
}

void TestHistoryWindow::tileNumberClicksMerge()
{
    std::chrono::steady_clock::time_point now{};
    window_->History().setClock([&now] { return now; });
    frmTileEdit* tiles = window_->TileEdit();
    tiles->ShowBlock(0x21);
    // A click on an arrow of hsTile(k), `ms` after the last: the arrow away
    // from the end the bar's value (bar 1's first value) is nearer, so that
    // the clicks never stop there.
    const int start = tiles->hsTile(1)->value();
    const auto click = [&](int k, int ms) {
        now += std::chrono::milliseconds(ms);
        QScrollBar* bar = tiles->hsTile(k);
        const bool up = (k == 1 ? start : bar->value()) < 128;
        bar->triggerAction(up ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
    };
    for (int n = 0; n < 20; ++n)
        click(1, 900);
    QCOMPARE(Shown(window_->HistoryWindow(false)), QStringLiteral("<empty> (saved)|>Tile Number"));
    click(1, 1001); // too late
    click(2, 10);   // another bar
    tiles->ShowBlock(0x22);
    click(2, 10);   // another block
    QCOMPARE(int(window_->History().stepCount()), 4);
    window_->History().setClock({});
}

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
