// After an Open, every view shows the image that is now open: level view, block
// table, selected block, palette editor and tile editor, with the stage, page
// and selection kept and the room kept in range.

#include "graphics/NesColours.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

constexpr int kStage = 2; // stage row 2, "Stage 3"
constexpr int kPage = 3;
constexpr int kBlock = 53; // page 3, row 2, right column

// Sets the room list of stage row `row` of an image to rooms 0..maxRoom.
void SetRoomList(std::vector<std::uint8_t>& image, DemoLayout layout, int row, int maxRoom)
{
    const std::int64_t roomData = RoomStart(layout, row);
    const std::int64_t list = roomData - 40;
    for (std::int64_t i = 0; i < 40; ++i)
        image[static_cast<std::size_t>(list + i)] = i <= maxRoom ? static_cast<std::uint8_t>(maxRoom - i) : 0xFF;
}

} // namespace

class TestOpenRefresh : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void viewsShowTheNewImage_data();
    void viewsShowTheNewImage();
    void roomKeptOrClamped_data();
    void roomKeptOrClamped();
    void refusedOrCancelledOpenRedrawsNothing();
    void openBeforeAStageDrawsNoBlocks();

private:
    // Opens `first`, chooses the stage, page and block, goes to `room`, opens
    // the palette editor; the tile editor is loaded by the pick.
    void prepare(const QString& first, int room);

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestOpenRefresh::init()
{
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestOpenRefresh::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
}

void TestOpenRefresh::prepare(const QString& first, int room)
{
    QVERIFY(window_->OpenFile(first));
    window_->mnuStageSelect(kStage)->trigger();
    window_->hsTable()->setValue(kPage);
    Press(window_->picTile(), Qt::LeftButton, QPoint(40, 70));
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(kBlock));
    window_->hLevel_Frames()->setValue(room);
    window_->mnuPalette()->trigger();
    QVERIFY(window_->PaletteEditor(false) != nullptr);
    QVERIFY(window_->TileEdit(false) != nullptr);
}

void TestOpenRefresh::viewsShowTheNewImage_data()
{
    QTest::addColumn<int>("firstLayout");
    QTest::addColumn<int>("secondLayout");
    QTest::newRow("plain then plain") << int(DemoLayout::Plain) << int(DemoLayout::Plain);
    QTest::newRow("plain then shifted") << int(DemoLayout::Plain) << int(DemoLayout::Shifted);
    QTest::newRow("shifted then plain") << int(DemoLayout::Shifted) << int(DemoLayout::Plain);
}

void TestOpenRefresh::viewsShowTheNewImage()
{
    QFETCH(int, firstLayout);
    QFETCH(int, secondLayout);
    Sandbox box;
    const auto first = static_cast<DemoLayout>(firstLayout);
    const auto second = static_cast<DemoLayout>(secondLayout);
    prepare(box.demoImage(QStringLiteral("first.nes"), first, 1), 1);
    const QImage levelBefore = Grab(window_->picEditor());

    // A second image, made from a different seed, with the same room range.
    auto bytes = DemoBytes(second, 2);
    SetRoomList(bytes, second, kStage, 4);
    QVERIFY(window_->OpenFile(box.write(QStringLiteral("second.nes"), bytes)));

    // Stage, check mark, page, selection and room are kept.
    QCOMPARE(CurrentStage, std::int16_t{kStage});
    QVERIFY(window_->mnuStageSelect(kStage)->isChecked());
    QCOMPARE(window_->hsTable()->value(), kPage);
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(kBlock));
    QCOMPARE(window_->hLevel_Frames()->value(), 1);
    QCOMPARE(window_->hLevel_Frames()->maximum(), 4);

    // Level view: every cell is the new image's block.
    const QImage level = Grab(window_->picEditor());
    QVERIFY(level != levelBefore);
    const std::int64_t room = RoomStart(second, kStage) + 192;
    for (int w = 0; w < 12; ++w)
        for (int c = 0; c < 16; ++c)
            QCOMPARE(Cell(level, c, w), ExpectedBlock(bytes[static_cast<std::size_t>(room + w * 16 + c)]));
    // Block table on the same page, and the preview of the selected block.
    const QImage table = Grab(window_->picTile());
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 2; ++c)
            QCOMPARE(Cell(table, c, r), ExpectedBlock(kPage * 16 + r * 2 + c));
    QCOMPARE(Grab(window_->picSelectedTile()), ExpectedBlock(kBlock));

    // Palette editor: the 16 swatches of the new image's stage palettes.
    const std::int64_t palettes = RoomStart(second, kStage) - 0x48;
    frmPaletteEditor* palette = window_->PaletteEditor(false);
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t b = bytes[static_cast<std::size_t>(palettes + i)];
        QCOMPARE(Rgb(palette->picLoadedPal(i)->backBuffer(), 16, 16), kNesColours[b]);
        QCOMPARE(palette->picLoadedPal(i)->toolTip(), QString::number(b, 16).toUpper());
    }
    // Tile editor: the selected block's tile numbers from the new image.
    const std::int64_t blockTiles = RoomStart(second, kStage) - 0x58 + 0x16D8;
    frmTileEdit* tiles = window_->TileEdit(false);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(tiles->hsTile(k)->value(), int(bytes[static_cast<std::size_t>(blockTiles + 4 * kBlock + k)]));
    QVERIFY(!RomImage.modified());
}

void TestOpenRefresh::roomKeptOrClamped_data()
{
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("newMax");
    QTest::addColumn<int>("expectedRoom");
    QTest::newRow("room in range is kept") << 2 << 5 << 2;
    QTest::newRow("last room is kept") << 3 << 3 << 3;
    QTest::newRow("room past the new range goes to the last") << 4 << 1 << 1;
    QTest::newRow("only room 0 left") << 3 << 0 << 0;
}

void TestOpenRefresh::roomKeptOrClamped()
{
    QFETCH(int, room);
    QFETCH(int, newMax);
    QFETCH(int, expectedRoom);
    Sandbox box;
    auto first = DemoBytes(DemoLayout::Plain, 1);
    SetRoomList(first, DemoLayout::Plain, kStage, 6);
    prepare(box.write(QStringLiteral("first.nes"), first), room);
    auto second = DemoBytes(DemoLayout::Plain, 3);
    SetRoomList(second, DemoLayout::Plain, kStage, newMax);
    QVERIFY(window_->OpenFile(box.write(QStringLiteral("second.nes"), second)));
    QCOMPARE(window_->hLevel_Frames()->maximum(), newMax);
    QCOMPARE(window_->hLevel_Frames()->value(), expectedRoom);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 0%1").arg(expectedRoom));
    const std::int64_t start = RoomStart(DemoLayout::Plain, kStage) + 192 * expectedRoom;
    const QImage level = Grab(window_->picEditor());
    QCOMPARE(Cell(level, 0, 0), ExpectedBlock(second[static_cast<std::size_t>(start)]));
    QCOMPARE(Cell(level, 15, 11), ExpectedBlock(second[static_cast<std::size_t>(start + 191)]));
}

void TestOpenRefresh::refusedOrCancelledOpenRedrawsNothing()
{
    Sandbox box;
    prepare(box.demoImage(QStringLiteral("first.nes")), 2);
    const QImage level = Grab(window_->picEditor());
    const QImage table = Grab(window_->picTile());
    const QImage swatch = Grab(window_->PaletteEditor(false)->picLoadedPal(5));
    const int tile0 = window_->TileEdit(false)->hsTile(0)->value();

    // A refused file and a cancelled dialog: nothing is redrawn or changed.
    const QString bad = box.write(QStringLiteral("bad.nes"), std::vector<std::uint8_t>(0x40091, 0x11));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    QVERIFY(!window_->OpenFile(bad));
    answerer_.expect(CancelDialog());
    window_->mnuOpen()->trigger();

    QCOMPARE(Grab(window_->picEditor()), level);
    QCOMPARE(Grab(window_->picTile()), table);
    QCOMPARE(Grab(window_->PaletteEditor(false)->picLoadedPal(5)), swatch);
    QCOMPARE(window_->TileEdit(false)->hsTile(0)->value(), tile0);
    QCOMPARE(window_->hLevel_Frames()->value(), 2);
    QCOMPARE(window_->hsTable()->value(), kPage);
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(kBlock));
}

void TestOpenRefresh::openBeforeAStageDrawsNoBlocks()
{
    Sandbox box;
    const QImage blank = Grab(window_->picEditor());
    const QImage table = Grab(window_->picTile());
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("first.nes"))));
    const QImage hint = Grab(window_->picEditor());
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("second.nes"), DemoLayout::Shifted, 2)));
    // The level view says how to choose a stage (a line of text on black), the table stays empty.
    QVERIFY(hint != blank);
    QCOMPARE(Grab(window_->picEditor()), hint);
    QCOMPARE(Grab(window_->picTile()), table);
    QVERIFY(window_->PaletteEditor(false) == nullptr);
    QVERIFY(window_->TileEdit(false) == nullptr);
    QCOMPARE(window_->hLevel_Frames()->maximum(), 0);
    QVERIFY(window_->Panel(2)->text().isEmpty());
}

QTEST_MAIN(TestOpenRefresh)
#include "test_open_refresh.moc"
