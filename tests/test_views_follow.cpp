// Every window shows the same image: after any kind of edit, made anywhere,
// every open view's pixels are those the reference renderer draws from the
// image's bytes. And keys belong to the window that has the keyboard; every
// menu's mnemonics are its own.

#include "data/IpsPatch.h"
#include "data/modGlobals.h"
#include "support/ReferenceRenderer.h"
#include "support/ViewChecks.h"
#include "support/WindowFixture.h"
#include "ui/common/frmAbout.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

constexpr int kStage = 2;
constexpr int kBlock = 0x35;

QPoint At(int column, int row)
{
    return {column * 32 + 9, row * 32 + 9};
}

} // namespace

class TestViewsFollow : public QObject, public WindowFixture {
    Q_OBJECT
private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }

    void everyEditShowsInEveryView_data();
    void everyEditShowsInEveryView();
    void keysBelongToTheirWindow_data();
    void keysBelongToTheirWindow();
    void mnemonicsUniqueInEveryMenu();
};

void TestViewsFollow::everyEditShowsInEveryView_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"place", "stroke", "paste", "fill", "tile number", "flags", "palette colour", "apply patch",
                             "undo", "redo"})
        QTest::newRow(edit) << edit;
}

void TestViewsFollow::everyEditShowsInEveryView()
{
    QFETCH(QString, edit);
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("level.nes"))));
    window_->mnuStageSelect(kStage)->trigger();
    // Every window that shows the image is open: the tile editor on the block
    // in the room's top-left cell, the palette editor, the overview.
    window_->mnuPalette()->trigger();
    window_->mnuStageOverview()->trigger();
    window_->hsTable()->setValue(kBlock / 16);
    Press(window_->picTile(), Qt::LeftButton, QPoint((kBlock % 2) * 32 + 5, (kBlock % 16 / 2) * 32 + 5));
    const int topLeft = RomImage.at(Stages[kStage].RoomData);
    frmTileEdit* tiles = window_->TileEdit();
    tiles->ShowBlock(topLeft);
    tiles->show();
    frmPaletteEditor* palette = window_->PaletteEditor(false);
    QVERIFY(palette != nullptr && palette->isVisible());
    const ImageData before = ImageNow();

    QWidget* room = window_->picEditor();
    if (edit == QLatin1String("place")) {
        Press(room, Qt::LeftButton, At(0, 0));
    } else if (edit == QLatin1String("stroke")) {
        Drag(room, {At(0, 0), At(6, 3), At(9, 1)});
    } else if (edit == QLatin1String("paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("01 02 03\n04 05 06\n"));
        window_->mnuPaste()->trigger();
        Press(room, Qt::LeftButton, At(0, 0));
    } else if (edit == QLatin1String("fill")) {
        Mouse(room, QEvent::MouseButtonPress, At(0, 0), Qt::LeftButton, Qt::ControlModifier);
        Mouse(room, QEvent::MouseButtonRelease, At(0, 0), Qt::LeftButton, Qt::ControlModifier);
    } else if (edit == QLatin1String("tile number") || edit == QLatin1String("undo") ||
               edit == QLatin1String("redo")) {
        tiles->hsTile(3)->setValue((tiles->hsTile(3)->value() + 0x21) % 256);
        if (edit != QLatin1String("tile number"))
            window_->mnuUndo()->trigger();
        if (edit == QLatin1String("redo"))
            window_->mnuRedo()->trigger();
    } else if (edit == QLatin1String("flags")) {
        tiles->cboFlags()->setCurrentIndex((tiles->cboFlags()->currentIndex() + 5) % 64);
    } else if (edit == QLatin1String("palette colour")) {
        // A colour of the top-left block's palette, so the tile editor shows it too.
        const int swatch = (RomImage.at(Stages[kStage].BlockAttributes + topLeft) % 4) * 4 + 1;
        palette->picLoadedPal_Click(swatch);
        const int now = RomImage.at(Stages[kStage].Palettes + swatch);
        const int colour = (now + 17) % 64;
        palette->picPalGrid_MouseDown(1, 0, (colour % 16) * 32 + 5, (colour / 16) * 32 + 5);
    } else {
        // Tiles, a palette and cells, in one patch.
        ImageData changed = before;
        for (std::int64_t at : {std::int64_t{Stages[0].TileData} + 0x805, std::int64_t{Stages[kStage].Palettes} + 2,
                                std::int64_t{Stages[kStage].RoomData} + 17})
            changed[static_cast<std::size_t>(at)] ^= 0x24;
        const QString patch = box_->write(QStringLiteral("change.ips"), *BuildIpsPatch(before, changed));
        answerer_.expect(ChooseFile(patch));
        window_->mnuApplyPatch()->trigger();
    }
    const ImageData image = ImageNow();
    QVERIFY2((image != before) == (edit != QLatin1String("undo")), "the edit changed the image");

    QCOMPARE(PixelsDiffering(Grab(window_->picEditor()), ReferenceRoom(image, kStage, 0, 2)), 0);
    // (Undo and Redo turn the table to the page of the block they changed.)
    QCOMPARE(PixelsDiffering(Grab(window_->picTile()), ReferencePage(image, kStage, window_->hsTable()->value(), 2)), 0);
    QCOMPARE(PixelsDiffering(Grab(window_->picSelectedTile()), ReferenceBlock(image, kStage, kBlock, 2)), 0);
    QCOMPARE(PixelsDiffering(Grab(tiles->picTile()), ReferenceEditorBlock(image, kStage, topLeft)), 0);
    const int blockPalette = image[static_cast<std::size_t>(Stages[kStage].BlockAttributes + topLeft)] % 4;
    for (int i = 0; i < 4; ++i) {
        const int number = image[static_cast<std::size_t>(Stages[kStage].Palettes + blockPalette * 4 + i)];
        QCOMPARE(Rgb(Grab(tiles->picPal(i)), 8, 8), ColourOfNumber(number));
    }
    for (int i = 0; i < 16; ++i) {
        const int number = image[static_cast<std::size_t>(Stages[kStage].Palettes + i)];
        QCOMPARE(Rgb(Grab(palette->picLoadedPal(i)), 16, 16), ColourOfNumber(number));
    }
    frmStageOverview* overview = window_->StageOverview(false);
    for (int number = 0; number < overview->roomCount(); ++number)
        QCOMPARE(PixelsDiffering(overview->Thumbnail(number), ReferenceRoom(image, kStage, number, 1)), 0);
}

void TestViewsFollow::keysBelongToTheirWindow_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("pasteLeft"); // the paste still waits afterwards
    QTest::addColumn<int>("room");       // the room shown afterwards
    QTest::newRow("Escape in the main window cancels the paste") << "main" << int(Qt::Key_Escape) << false << 1;
    QTest::newRow("Escape after a menu was closed with Escape") << "menu" << int(Qt::Key_Escape) << false << 1;
    QTest::newRow("Escape in the tile editor") << "tile editor" << int(Qt::Key_Escape) << true << 1;
    QTest::newRow("Escape in the About box closes it") << "about" << int(Qt::Key_Escape) << true << 1;
    QTest::newRow("Page Down in the main window") << "main" << int(Qt::Key_PageDown) << true << 2;
    QTest::newRow("Page Down in the overview") << "overview" << int(Qt::Key_PageDown) << true << 1;
}

void TestViewsFollow::keysBelongToTheirWindow()
{
    QFETCH(QString, where);
    QFETCH(int, key);
    QFETCH(bool, pasteLeft);
    QFETCH(int, room);
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("level.nes"))));
    window_->mnuStageSelect(0)->trigger();
    window_->hLevel_Frames()->setValue(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("01 02\n"));
    window_->mnuPaste()->trigger();
    QVERIFY(window_->PastePending());

    QWidget* target = window_.get();
    if (where == QLatin1String("menu")) {
        // Alt+E drops the Edit menu; its Escape closes it and leaves the menu
        // bar with the keyboard, where the next Escape goes.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(window_->menuEdit()->isVisible());
        QTest::keyClick(window_->menuEdit(), Qt::Key_Escape);
        QTRY_VERIFY(!window_->menuEdit()->isVisible());
        QVERIFY(window_->PastePending()); // the menu took the first Escape
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(window_->PastePending(), pasteLeft);
        return;
    } else if (where == QLatin1String("tile editor")) {
        window_->mnuTileEditor()->trigger();
        target = window_->TileEdit(false);
    } else if (where == QLatin1String("about")) {
        window_->mnuAbout()->trigger();
        target = window_->About(false);
    } else if (where == QLatin1String("overview")) {
        window_->mnuStageOverview()->trigger();
        target = window_->StageOverview(false);
    }
    target->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(target));
    QTest::keyClick(target, static_cast<Qt::Key>(key));
    QCOMPARE(window_->PastePending(), pasteLeft);
    QCOMPARE(window_->hLevel_Frames()->value(), room);
    if (where == QLatin1String("about"))
        QTRY_VERIFY(window_->About(false) == nullptr || !window_->About(false)->isVisible());
}

void TestViewsFollow::mnemonicsUniqueInEveryMenu()
{
    // Every menu, the bar itself included, with the letter after each "&".
    QList<QWidget*> menus{window_->menuBar()};
    for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>())
        menus << menu;
    for (QWidget* menu : menus) {
        QMap<QChar, QString> taken;
        for (const QAction* item : menu->actions()) {
            const QString text = item->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar letter = text.at(amp + 1).toLower();
            QVERIFY2(!taken.contains(letter), qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                                             .arg(menu->objectName(), taken.value(letter), text)));
            taken.insert(letter, text);
        }
    }
    // The captions the window always had keep their letters.
    QCOMPARE(window_->mnuPalette()->text(), QStringLiteral("&Palette"));
    QCOMPARE(window_->mnuTileEditor()->text(), QStringLiteral("&Tile Editor"));
    QCOMPARE(window_->mnuSaveAS()->text(), QStringLiteral("S&ave As"));
    // The stages show their keys.
    for (int k = 0; k < 9; ++k)
        QCOMPARE(window_->mnuStageSelect(k)->shortcut(), QKeySequence(Qt::CTRL | (Qt::Key_1 + k)));
}

QTEST_MAIN(TestViewsFollow)
#include "test_views_follow.moc"
