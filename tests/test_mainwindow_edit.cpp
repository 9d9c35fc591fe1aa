// Picking and placing blocks, minimising with the tool windows, and the
// questions asked before the window closes or another image replaces an edited one.

#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/PictureBox.h"
#include "ui/common/frmAbout.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QDir>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

const QString kExitQuestion = QStringLiteral("Quit|Are You Sure You Want To Exit?");

} // namespace

class TestMainWindowEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pickBlock_data();
    void pickBlock();
    void placeBlock_data();
    void placeBlock();
    void ignoredClicks_data();
    void ignoredClicks();
    void placeKeepsGridLines();
    void placeSameBlockTwice();
    void placePastEndOfImageWritesNothing();

    void minimiseHidesToolWindows_data();
    void minimiseHidesToolWindows();

    void exitQuestion_data();
    void exitQuestion();
    void unsavedChangesOnClose_data();
    void unsavedChangesOnClose();
    void failedSaveKeepsWindowOpen();
    void unsavedChangesOnOpen_data();
    void unsavedChangesOnOpen();

private:
    void openDemo(DemoLayout layout = DemoLayout::Plain);
    void pick(int block);

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
    QString path_;
};

void TestMainWindowEdit::init()
{
    ResetGlobals();
    answerer_.reset();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestMainWindowEdit::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
    sandbox_.reset();
}

void TestMainWindowEdit::openDemo(DemoLayout layout)
{
    path_ = sandbox_->demoImage(QStringLiteral("level.nes"), layout);
    QVERIFY(window_->OpenFile(path_));
}

// Selects block `block` as a user would: page to it, click its cell.
void TestMainWindowEdit::pick(int block)
{
    window_->hsTable()->setValue(block / 16);
    const int index = block % 16;
    Press(window_->picTile(), Qt::LeftButton, QPoint((index % 2) * 32 + 5, (index / 2) * 32 + 5));
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
}

void TestMainWindowEdit::pickBlock_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("block");
    QTest::newRow("page 3 at (40, 70) is block 53") << 3 << QPoint(40, 70) << 53;
    QTest::newRow("page 0 top-left pixel is block 0") << 0 << QPoint(0, 0) << 0;
    QTest::newRow("page 0 bottom-left cell is block 14") << 0 << QPoint(31, 255) << 14;
    QTest::newRow("page 15 bottom-right pixel is block 255") << 15 << QPoint(63, 255) << 255;
    QTest::newRow("page 9 right column row 0 edge") << 9 << QPoint(32, 31) << 145;
}

void TestMainWindowEdit::pickBlock()
{
    QFETCH(int, page);
    QFETCH(QPoint, at);
    QFETCH(int, block);
    openDemo();
    window_->mnuStageSelect(4)->trigger();
    window_->hsTable()->setValue(page);
    const QImage table = Grab(window_->picTile());
    const auto before = ImageNow();

    Press(window_->picTile(), Qt::LeftButton, at);
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
    QCOMPARE(Grab(window_->picSelectedTile()), ExpectedBlock(block));
    // The tile editor follows the selection without being shown.
    QVERIFY(window_->TileEdit(false) != nullptr);
    QCOMPARE(window_->TileEdit(false)->vsTile()->value(), block);
    QVERIFY(!window_->TileEdit(false)->isVisible());
    // Picking changes neither the image nor the table.
    QCOMPARE(ImageNow(), before);
    QCOMPARE(Grab(window_->picTile()), table);
}

void TestMainWindowEdit::placeBlock_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("block");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<qint64>("offset");
    QTest::newRow("block 53 at (100, 200) room 2 row 0") << int(DemoLayout::Plain) << 0 << 2 << 53 << QPoint(100, 200)
                                                         << qint64(0x23B);
    QTest::newRow("top-left cell room 0") << int(DemoLayout::Plain) << 0 << 0 << 7 << QPoint(0, 0) << qint64(0x58);
    QTest::newRow("bottom-right cell room 1") << int(DemoLayout::Plain) << 0 << 1 << 200 << QPoint(511, 383)
                                              << qint64(0x58 + 192 + 191);
    QTest::newRow("stage 9 room 3 row 5 column 15") << int(DemoLayout::Plain) << 8 << 3 << 255 << QPoint(495, 170)
                                                    << qint64(0x10058 + 3 * 192 + 5 * 16 + 15);
    QTest::newRow("shifted layout room 2") << int(DemoLayout::Shifted) << 0 << 2 << 53 << QPoint(100, 200)
                                           << qint64(0x43B);
    QTest::newRow("shifted layout row 6 room 1") << int(DemoLayout::Shifted) << 6 << 1 << 1 << QPoint(64, 32)
                                                 << qint64(0xC258 + 192 + 16 + 2);
}

void TestMainWindowEdit::placeBlock()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    QFETCH(int, block);
    QFETCH(QPoint, at);
    QFETCH(qint64, offset);
    openDemo(static_cast<DemoLayout>(layout));
    window_->mnuStageSelect(row)->trigger();
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(window_->hLevel_Frames()->value(), room);
    pick(block);
    const auto before = ImageNow();
    const QImage level = Grab(window_->picEditor());
    // Make sure the click really changes the byte.
    QVERIFY(before[static_cast<std::size_t>(offset)] != block);

    Press(window_->picEditor(), Qt::LeftButton, at);
    const auto after = ImageNow();
    QCOMPARE(Differences(before, after), std::vector<std::int64_t>{offset});
    QCOMPARE(int(after[static_cast<std::size_t>(offset)]), block);
    QVERIFY(RomImage.modified());

    // Only the clicked cell changed, and it shows the block.
    const QImage placed = Grab(window_->picEditor());
    const int column = at.x() / 32;
    const int cellRow = at.y() / 32;
    for (int w = 0; w < 12; ++w) {
        for (int c = 0; c < 16; ++c) {
            if (c == column && w == cellRow)
                QCOMPARE(Cell(placed, c, w), ExpectedBlock(block));
            else if (Cell(placed, c, w) != Cell(level, c, w))
                QFAIL(qPrintable(QStringLiteral("cell (%1, %2) changed").arg(c).arg(w)));
        }
    }
    // A full redraw agrees with what placing drew.
    window_->DrawLevel();
    QCOMPARE(Grab(window_->picEditor()), placed);
}

void TestMainWindowEdit::ignoredClicks_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("onTable");
    QTest::addColumn<int>("button");
    QTest::newRow("right click on the table") << "picked" << true << int(Qt::RightButton);
    QTest::newRow("middle click on the table") << "picked" << true << int(Qt::MiddleButton);
    // Writes nothing, but picks the block under the pointer (the eyedropper).
    QTest::newRow("right click on the level view") << "picked" << false << int(Qt::RightButton);
    QTest::newRow("middle click on the level view") << "picked" << false << int(Qt::MiddleButton);
    QTest::newRow("level view before any pick") << "stage" << false << int(Qt::LeftButton);
    QTest::newRow("level view before any stage") << "open" << false << int(Qt::LeftButton);
    QTest::newRow("table before any stage") << "open" << true << int(Qt::LeftButton);
    QTest::newRow("level view before any image") << "start" << false << int(Qt::LeftButton);
    QTest::newRow("table before any image") << "start" << true << int(Qt::LeftButton);
}

void TestMainWindowEdit::ignoredClicks()
{
    QFETCH(QString, situation);
    QFETCH(bool, onTable);
    QFETCH(int, button);
    if (situation != QLatin1String("start"))
        openDemo();
    if (situation == QLatin1String("stage") || situation == QLatin1String("picked"))
        window_->mnuStageSelect(0)->trigger();
    if (situation == QLatin1String("picked")) {
        pick(20);
        window_->hsTable()->setValue(5);
    }
    const auto before = ImageNow();
    const QImage level = Grab(window_->picEditor());
    const QImage table = Grab(window_->picTile());
    const QImage selected = Grab(window_->picSelectedTile());
    const QString tag = window_->picSelectedTile()->Tag();

    QWidget* target = onTable ? static_cast<QWidget*>(window_->picTile()) : window_->picEditor();
    Press(target, static_cast<Qt::MouseButton>(button), QPoint(40, 70));

    QCOMPARE(ImageNow(), before);
    QVERIFY(!RomImage.modified());
    QCOMPARE(Grab(window_->picEditor()), level);
    if (!onTable && button == int(Qt::RightButton)) {
        // The eyedropper: the block of cell (1, 2) of room 0 is selected and its page shown.
        const int under = RomImage[Stages[0].RoomData + 2 * 16 + 1];
        QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(under));
        QCOMPARE(Grab(window_->picSelectedTile()), ExpectedBlock(under));
        QCOMPARE(window_->hsTable()->value(), under / 16);
        return;
    }
    QCOMPARE(Grab(window_->picTile()), table);
    QCOMPARE(Grab(window_->picSelectedTile()), selected);
    QCOMPARE(window_->picSelectedTile()->Tag(), tag);
}

void TestMainWindowEdit::placeKeepsGridLines()
{
    openDemo();
    window_->mnuStageSelect(0)->trigger();
    window_->mnuGrid(0)->trigger();
    pick(77);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(70, 40)); // cell (2, 1)
    const QImage shown = Grab(window_->picEditor());
    const QImage block = ExpectedBlock(77);
    for (int y = 32; y < 64; ++y) {
        for (int x = 64; x < 96; ++x) {
            const bool onLine = x % 32 == 0 || y % 32 == 0;
            QCOMPARE(Rgb(shown, x, y), onLine ? 0xFFFFFFu : Rgb(block, x - 64, y - 32));
        }
    }
    // The lines along the next cells' edges are intact too.
    for (int x = 0; x < 512; ++x)
        QCOMPARE(Rgb(shown, x, 64), 0xFFFFFFu);
    for (int y = 0; y < 384; ++y)
        QCOMPARE(Rgb(shown, 96, y), 0xFFFFFFu);

    // Grid off: the cell shows the plain block.
    window_->mnuGrid(0)->trigger();
    QCOMPARE(Cell(Grab(window_->picEditor()), 2, 1), block);
}

void TestMainWindowEdit::placeSameBlockTwice()
{
    openDemo();
    window_->mnuStageSelect(0)->trigger();
    const int existing = RomImage[0x58];
    pick(existing);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(3, 3));
    QVERIFY(!RomImage.modified()); // the byte already held that block

    pick((existing + 1) % 256);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(3, 3));
    const auto once = ImageNow();
    QVERIFY(RomImage.modified());
    Press(window_->picEditor(), Qt::LeftButton, QPoint(20, 20));
    QCOMPARE(ImageNow(), once);
}

void TestMainWindowEdit::placePastEndOfImageWritesNothing()
{
    openDemo();
    const auto size = static_cast<std::int32_t>(RomImage.size());
    Stages[3].RoomData = size - 100;
    Stages[3].RoomList = size - 140;
    window_->mnuStageSelect(3)->trigger();
    pick(9);
    const auto before = ImageNow();
    const QImage level = Grab(window_->picEditor());
    // Index 150 of the room lies 50 bytes past the end.
    Press(window_->picEditor(), Qt::LeftButton, QPoint((150 % 16) * 32 + 1, (150 / 16) * 32 + 1));
    QCOMPARE(ImageNow(), before);
    QCOMPARE(Grab(window_->picEditor()), level);
    // The last byte of the image, index 99, is still placeable.
    Press(window_->picEditor(), Qt::LeftButton, QPoint((99 % 16) * 32 + 1, (99 / 16) * 32 + 1));
    QCOMPARE(Differences(before, ImageNow()), std::vector<std::int64_t>{size - 1});
}

void TestMainWindowEdit::minimiseHidesToolWindows_data()
{
    QTest::addColumn<bool>("palette");
    QTest::addColumn<bool>("tiles");
    QTest::addColumn<bool>("about");
    QTest::newRow("palette editor only") << true << false << false;
    QTest::newRow("tile editor only") << false << true << false;
    QTest::newRow("both editors and the about box") << true << true << true;
    QTest::newRow("about box only") << false << false << true;
    QTest::newRow("editors created but closed") << false << false << false;
}

void TestMainWindowEdit::minimiseHidesToolWindows()
{
    QFETCH(bool, palette);
    QFETCH(bool, tiles);
    QFETCH(bool, about);
    openDemo();
    window_->mnuStageSelect(0)->trigger();
    // Both editors exist (stage selection and picking create them); the checked ones are open.
    pick(3);
    window_->mnuPalette()->setChecked(palette);
    window_->mnuTileEditor()->setChecked(tiles);
    window_->PaletteEditor()->setVisible(palette);
    window_->TileEdit()->setVisible(tiles);
    window_->About()->setVisible(about);

    window_->setWindowState(Qt::WindowMinimized);
    QVERIFY(window_->isMinimized());
    QVERIFY(!window_->PaletteEditor(false)->isVisible());
    QVERIFY(!window_->TileEdit(false)->isVisible());
    QVERIFY(!window_->About(false)->isVisible());

    window_->showNormal();
    QVERIFY(!window_->isMinimized());
    QCOMPARE(window_->PaletteEditor(false)->isVisible(), palette);
    QCOMPARE(window_->TileEdit(false)->isVisible(), tiles);
    QVERIFY(!window_->About(false)->isVisible());
    QCOMPARE(window_->mnuPalette()->isChecked(), palette);
    QCOMPARE(window_->mnuTileEditor()->isChecked(), tiles);
}

void TestMainWindowEdit::exitQuestion_data()
{
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Exit, Yes") << true << "Yes" << true;
    QTest::newRow("Exit, No") << true << "No" << false;
    QTest::newRow("Exit, Enter answers No") << true << "Enter" << false;
    QTest::newRow("close box, Yes") << false << "Yes" << true;
    QTest::newRow("close box, No") << false << "No" << false;
    QTest::newRow("close box, Escape") << false << "Escape" << false;
}

void TestMainWindowEdit::exitQuestion()
{
    QFETCH(bool, byMenu);
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    openDemo();
    window_->mnuStageSelect(0)->trigger();
    window_->About();
    window_->TileEdit()->show();
    window_->mnuTileEditor()->setChecked(true);
    const auto before = ImageNow();

    if (answer == QLatin1String("Yes"))
        answerer_.expect(PressStandard(QMessageBox::Yes));
    else if (answer == QLatin1String("No"))
        answerer_.expect(PressStandard(QMessageBox::No));
    else if (answer == QLatin1String("Enter"))
        answerer_.expect(PressEnter());
    else
        answerer_.expect([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    if (byMenu)
        window_->mnuExit()->trigger();
    else
        window_->close();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(answerer_.seen(), QStringList{kExitQuestion});

    QCOMPARE(window_->isVisible(), !closes);
    QCOMPARE(ImageNow(), before);
    if (closes) {
        // The tool windows are gone with it.
        QVERIFY(window_->About(false) == nullptr);
        QVERIFY(window_->PaletteEditor(false) == nullptr);
        QVERIFY(window_->TileEdit(false) == nullptr);
    } else {
        QVERIFY(window_->About(false) != nullptr);
        QVERIFY(window_->PaletteEditor(false) != nullptr);
        QVERIFY(window_->TileEdit(false)->isVisible());
        QCOMPARE(RomFileName, QDir::toNativeSeparators(path_));
    }
}

void TestMainWindowEdit::unsavedChangesOnClose_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Save saves and closes") << int(QMessageBox::Save) << true << true;
    QTest::newRow("Discard closes without saving") << int(QMessageBox::Discard) << true << false;
    QTest::newRow("Cancel keeps the window") << int(QMessageBox::Cancel) << false << false;
    QTest::newRow("Enter is Cancel") << -1 << false << false;
}

void TestMainWindowEdit::unsavedChangesOnClose()
{
    QFETCH(int, button);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    openDemo();
    const auto onDisk = ReadFileBytes(path_);
    window_->mnuStageSelect(0)->trigger();
    pick(53);
    window_->hLevel_Frames()->setValue(2);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(100, 200));
    QVERIFY(RomImage.modified());

    answerer_.expect(button < 0 ? PressEnter() : PressStandard(button));
    window_->mnuExit()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    // One question, naming the file, and not the plain exit question as well.
    QCOMPARE(answerer_.seen().size(), 1);
    QVERIFY(answerer_.seen().first().startsWith(QStringLiteral("Quit|")));
    QVERIFY(answerer_.seen().first().contains(QStringLiteral("level.nes")));
    QVERIFY(answerer_.seen().first().contains(QStringLiteral("not been saved")));

    QCOMPARE(window_->isVisible(), !closes);
    const auto nowOnDisk = ReadFileBytes(path_);
    if (saved) {
        QCOMPARE(Differences(onDisk, nowOnDisk), std::vector<std::int64_t>{0x23B});
        QCOMPARE(int(nowOnDisk[0x23B]), 53);
    } else {
        QCOMPARE(nowOnDisk, onDisk);
    }
    QCOMPARE(RomImage.modified(), !saved);
}

void TestMainWindowEdit::failedSaveKeepsWindowOpen()
{
    openDemo();
    window_->mnuStageSelect(0)->trigger();
    pick(1);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(40, 40));
    QVERIFY(RomImage.modified());
    // The file's folder has gone away since it was opened.
    RomFileName = sandbox_->path(QStringLiteral("gone/away/level.nes"));

    answerer_.expect(PressStandard(QMessageBox::Save));
    answerer_.expect(ClickButton(QStringLiteral("OK"))); // the reason the save failed
    window_->close();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(answerer_.seen().size(), 2);
    QVERIFY(answerer_.seen().at(1).startsWith(QStringLiteral("File Error|")));
    QVERIFY(window_->isVisible());
    QVERIFY(RomImage.modified());
}

void TestMainWindowEdit::unsavedChangesOnOpen_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("dialogShown");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Cancel aborts the Open") << int(QMessageBox::Cancel) << false << false;
    QTest::newRow("Discard goes on") << int(QMessageBox::Discard) << true << false;
    QTest::newRow("Save saves first") << int(QMessageBox::Save) << true << true;
}

void TestMainWindowEdit::unsavedChangesOnOpen()
{
    QFETCH(int, button);
    QFETCH(bool, dialogShown);
    QFETCH(bool, saved);
    openDemo();
    const auto onDisk = ReadFileBytes(path_);
    const QString other = sandbox_->demoImage(QStringLiteral("other.nes"), DemoLayout::Shifted, 5);
    window_->mnuStageSelect(0)->trigger();
    pick(53);
    Press(window_->picEditor(), Qt::LeftButton, QPoint(0, 0));
    const auto edited = ImageNow();

    answerer_.expect(PressStandard(button));
    if (dialogShown)
        answerer_.expect(ChooseFile(other));
    window_->mnuOpen()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(answerer_.seen().first().startsWith(QStringLiteral("Open|")));

    if (dialogShown) {
        QCOMPARE(RomImage.size(), std::size_t{0x30210});
        QVERIFY(!RomImage.modified());
    } else {
        QCOMPARE(ImageNow(), edited);
        QVERIFY(RomImage.modified());
        QCOMPARE(answerer_.seen().size(), 1);
    }
    const auto nowOnDisk = ReadFileBytes(path_);
    if (saved)
        QCOMPARE(Differences(onDisk, nowOnDisk), std::vector<std::int64_t>{0x58});
    else
        QCOMPARE(nowOnDisk, onDisk);

    // Without unsaved changes Open asks nothing before its dialog.
    if (!RomImage.modified()) {
        answerer_.reset();
        answerer_.expect(CancelDialog());
        window_->mnuOpen()->trigger();
        QCOMPARE(answerer_.pending(), 0);
        QVERIFY(answerer_.seen().first().startsWith(QStringLiteral("QFileDialog|")));
    }
}

QTEST_MAIN(TestMainWindowEdit)
#include "test_mainwindow_edit.moc"
