// The level view, the block table, stage selection and the grid switches,
// checked pixel by pixel against blocks drawn independently from the image bytes.

#include "data/Level.h"
#include "data/modGlobals.h"
#include "graphics/NesColours.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

std::int64_t RoomListStart(DemoLayout layout, int row)
{
    return RoomStart(layout, row) - 40;
}

} // namespace

class TestMainWindowViews : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roomShowsImageBytes_data();
    void roomShowsImageBytes();
    void roomText_data();
    void roomText();
    void draggingRoomThumbChangesOnlyText();
    void tablePages_data();
    void tablePages();
    void draggingTableThumbRedraws();
    void roomRangeFromList_data();
    void roomRangeFromList();
    void roomsAboveOneSixtyNineAreShown();
    void roomPastEndOfImage();
    void stageSelectionResets_data();
    void stageSelectionResets();
    void gridLines_data();
    void gridLines();
    void selectionRestoredAfterRedraw();
    void closedFaultNoticeStaysClosed_data();
    void closedFaultNoticeStaysClosed();

private:
    void open(DemoLayout layout = DemoLayout::Plain, const std::vector<std::uint8_t>* bytes = nullptr);

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    std::vector<std::uint8_t> image_;
};

void TestMainWindowViews::init()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestMainWindowViews::cleanup()
{
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
    window_.reset();
    sandbox_.reset();
}

void TestMainWindowViews::open(DemoLayout layout, const std::vector<std::uint8_t>* bytes)
{
    image_ = bytes != nullptr ? *bytes : DemoBytes(layout);
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("image.nes"), image_)));
}

void TestMainWindowViews::roomShowsImageBytes_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("room");
    QTest::newRow("plain stage row 0 room 0") << int(DemoLayout::Plain) << 0 << 0;
    QTest::newRow("plain stage row 0 room 2") << int(DemoLayout::Plain) << 0 << 2;
    QTest::newRow("plain stage row 4 room 3") << int(DemoLayout::Plain) << 4 << 3;
    QTest::newRow("plain stage row 8 room 1") << int(DemoLayout::Plain) << 8 << 1;
    QTest::newRow("shifted stage row 0 room 0") << int(DemoLayout::Shifted) << 0 << 0;
    QTest::newRow("shifted stage row 7 room 2") << int(DemoLayout::Shifted) << 7 << 2;
}

void TestMainWindowViews::roomShowsImageBytes()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    const auto demoLayout = static_cast<DemoLayout>(layout);
    open(demoLayout);
    window_->mnuStageSelect(row)->trigger();
    QCOMPARE(int(CurrentStage), row);
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(window_->hLevel_Frames()->value(), room);

    const QImage shown = Grab(window_->picEditor());
    QCOMPARE(shown.size(), QSize(512, 384));
    const std::int64_t start = RoomStart(demoLayout, row) + std::int64_t{room} * 192;
    for (int w = 0; w < 12; ++w) {
        for (int c = 0; c < 16; ++c) {
            const int block = image_[static_cast<std::size_t>(start + w * 16 + c)];
            if (Cell(shown, c, w) != ExpectedBlock(block))
                QFAIL(qPrintable(QStringLiteral("cell (%1, %2) does not show block %3").arg(c).arg(w).arg(block)));
        }
    }
    QCOMPARE(window_->Panel(2)->text(), RoomText(room));
}

void TestMainWindowViews::roomText_data()
{
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("text");
    QTest::newRow("room 0") << 0 << QStringLiteral("Room: 00");
    QTest::newRow("room 10 one digit padded") << 10 << QStringLiteral("Room: 0A");
    QTest::newRow("room 15 last padded") << 15 << QStringLiteral("Room: 0F");
    QTest::newRow("room 16 first unpadded") << 16 << QStringLiteral("Room: 10");
    QTest::newRow("room 26 upper case") << 26 << QStringLiteral("Room: 1A");
    QTest::newRow("room 254") << 254 << QStringLiteral("Room: FE");
}

void TestMainWindowViews::roomText()
{
    QFETCH(int, room);
    QFETCH(QString, text);
    QCOMPARE(RoomText(room), text);

    // The same rule in the status bar, with a room list that reaches that far.
    auto bytes = DemoBytes();
    bytes[static_cast<std::size_t>(RoomListStart(DemoLayout::Plain, 0))] = static_cast<std::uint8_t>(room);
    open(DemoLayout::Plain, &bytes);
    window_->mnuStageSelect(0)->trigger();
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 00"));
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(window_->Panel(2)->text(), text);
}

void TestMainWindowViews::draggingRoomThumbChangesOnlyText()
{
    open();
    window_->mnuStageSelect(0)->trigger();
    const QImage before = Grab(window_->picEditor());
    QScrollBar* bar = window_->hLevel_Frames();
    bar->setSliderDown(true);
    bar->setSliderPosition(2);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 02"));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(Grab(window_->picEditor()), before);
    // Releasing the thumb commits the value and draws the room.
    bar->setSliderDown(false);
    QCOMPARE(bar->value(), 2);
    const std::int64_t start = RoomStart(DemoLayout::Plain, 0) + 2 * 192;
    QCOMPARE(Cell(Grab(window_->picEditor()), 0, 0), ExpectedBlock(image_[static_cast<std::size_t>(start)]));
}

void TestMainWindowViews::tablePages_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("page 0 blocks 0 to 15") << 0;
    QTest::newRow("page 7") << 7;
    QTest::newRow("page 15 ends with block 255") << 15;
}

void TestMainWindowViews::tablePages()
{
    QFETCH(int, page);
    open();
    window_->mnuStageSelect(2)->trigger();
    window_->hsTable()->setValue(page);
    const QImage shown = Grab(window_->picTile());
    QCOMPARE(shown.size(), QSize(64, 256));
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 2; ++c)
            QCOMPARE(Cell(shown, c, r), ExpectedBlock(page * 16 + r * 2 + c));
    // The corners named: left-to-right, top-to-bottom.
    QCOMPARE(Cell(shown, 1, 0), ExpectedBlock(page * 16 + 1));
    QCOMPARE(Cell(shown, 0, 7), ExpectedBlock(page * 16 + 14));
    QCOMPARE(Cell(shown, 1, 7), ExpectedBlock(page * 16 + 15));
}

void TestMainWindowViews::draggingTableThumbRedraws()
{
    open();
    window_->mnuStageSelect(0)->trigger();
    QScrollBar* bar = window_->hsTable();
    bar->setSliderDown(true);
    for (int page : {3, 15, 9}) {
        bar->setSliderPosition(page);
        QCOMPARE(bar->value(), 0); // not committed yet
        const QImage shown = Grab(window_->picTile());
        QCOMPARE(Cell(shown, 0, 0), ExpectedBlock(page * 16));
        QCOMPARE(Cell(shown, 1, 7), ExpectedBlock(page * 16 + 15));
    }
    bar->setSliderDown(false);
    QCOMPARE(bar->value(), 9);
    QCOMPARE(Cell(Grab(window_->picTile()), 0, 0), ExpectedBlock(9 * 16));
}

void TestMainWindowViews::roomRangeFromList_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("maxRoom");
    const QByteArray none(40, char(0xFF));
    auto list = [&none](std::initializer_list<int> head) {
        QByteArray bytes = none;
        int i = 0;
        for (int v : head)
            bytes[i++] = char(v);
        return bytes;
    };
    QTest::newRow("ascending then none") << list({0, 1, 2, 3}) << 3;
    QTest::newRow("all 255") << none << 0;
    QTest::newRow("unsorted 5 2 9") << list({5, 2, 9}) << 9;
    QTest::newRow("255 between rooms is skipped") << list({1, 255, 7, 255, 4}) << 7;
    QTest::newRow("highest in the last byte") << QByteArray(39, char(0xFF)) + char(6) << 6;
    QTest::newRow("254 is a room") << list({254}) << 254;
    QTest::newRow("zeros only") << QByteArray(40, char(0)) << 0;
}

void TestMainWindowViews::roomRangeFromList()
{
    QFETCH(QByteArray, list);
    QFETCH(int, maxRoom);
    const int row = 3;
    auto bytes = DemoBytes();
    const std::int64_t at = RoomListStart(DemoLayout::Plain, row);
    for (int i = 0; i < 40; ++i)
        bytes[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(list[i]);
    // The byte just past the list (room 0's first byte) does not belong to it.
    bytes[static_cast<std::size_t>(at + 40)] = 0xC8;
    open(DemoLayout::Plain, &bytes);
    window_->mnuStageSelect(row)->trigger();
    QCOMPARE(window_->hLevel_Frames()->minimum(), 0);
    QCOMPARE(window_->hLevel_Frames()->maximum(), maxRoom);
    QCOMPARE(int(MaxRoomInList(Stages[row], RomImage.bytes())), maxRoom);
}

void TestMainWindowViews::roomsAboveOneSixtyNineAreShown()
{
    // Room 200 starts 38,400 bytes into the stage: past a 16-bit position, inside the image.
    auto bytes = DemoBytes();
    bytes[static_cast<std::size_t>(RoomListStart(DemoLayout::Plain, 1))] = 200;
    open(DemoLayout::Plain, &bytes);
    window_->mnuStageSelect(1)->trigger();
    QCOMPARE(window_->hLevel_Frames()->maximum(), 200);
    window_->hLevel_Frames()->setValue(200);
    const std::int64_t start = RoomStart(DemoLayout::Plain, 1) + 200 * 192;
    const QImage shown = Grab(window_->picEditor());
    for (int w = 0; w < 12; ++w)
        for (int c = 0; c < 16; ++c)
            QCOMPARE(Cell(shown, c, w), ExpectedBlock(image_[static_cast<std::size_t>(start + w * 16 + c)]));
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: C8"));
}

void TestMainWindowViews::roomPastEndOfImage()
{
    open();
    // A stage whose room 0 starts 100 bytes before the end of the image.
    const auto size = static_cast<std::int32_t>(image_.size());
    Stages[5].RoomData = size - 100;
    Stages[5].RoomList = size - 140;
    window_->mnuStageSelect(5)->trigger();
    const QImage shown = Grab(window_->picEditor());
    for (int index = 0; index < 192; ++index) {
        const int c = index % 16;
        const int w = index / 16;
        if (index < 100)
            QCOMPARE(Cell(shown, c, w), ExpectedBlock(image_[static_cast<std::size_t>(size - 100 + index)]));
        else
            QVERIFY2(AllPixels(Cell(shown, c, w), kFaultColour), qPrintable(QString::number(index)));
    }
    QCOMPARE(RomImage.size(), image_.size());
}

void TestMainWindowViews::stageSelectionResets_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("the same stage again") << 2 << 2;
    QTest::newRow("another stage") << 2 << 6;
    QTest::newRow("stage 9 is row 8") << 0 << 8;
}

void TestMainWindowViews::stageSelectionResets()
{
    QFETCH(int, first);
    QFETCH(int, second);
    open();
    window_->mnuStageSelect(first)->trigger();
    // Move away from the start: room 2, page 3, block 53 selected.
    window_->hLevel_Frames()->setValue(2);
    window_->hsTable()->setValue(3);
    Press(window_->picTile(), Qt::LeftButton, QPoint(40, 70));
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("53"));

    window_->mnuStageSelect(second)->trigger();
    QCOMPARE(int(CurrentStage), second);
    for (int k = 0; k < 9; ++k)
        QCOMPARE(window_->mnuStageSelect(k)->isChecked(), k == second);
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("-1"));
    QVERIFY(AllPixels(Grab(window_->picSelectedTile()), 0x000000));
    QCOMPARE(window_->hLevel_Frames()->value(), 0);
    QCOMPARE(window_->hLevel_Frames()->maximum(), DemoMaxRoom(1, second));
    QCOMPARE(window_->hsTable()->value(), 0);
    QCOMPARE(window_->hsTable()->maximum(), 15);
    for (QAction* item : {window_->mnuGrid(0), window_->mnuGrid(1), window_->mnuPalette(), window_->mnuTileEditor()})
        QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    QVERIFY(window_->PaletteEditor(false) != nullptr);
    QVERIFY(!window_->PaletteEditor(false)->isVisible());
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 00"));

    // Both views show the new stage: room 0 and page 0.
    const QImage level = Grab(window_->picEditor());
    const std::int64_t start = RoomStart(DemoLayout::Plain, second);
    QCOMPARE(Cell(level, 0, 0), ExpectedBlock(image_[static_cast<std::size_t>(start)]));
    QCOMPARE(Cell(level, 15, 11), ExpectedBlock(image_[static_cast<std::size_t>(start + 191)]));
    QCOMPARE(Cell(Grab(window_->picTile()), 0, 0), ExpectedBlock(0));

    // The dropped selection places nothing.
    const auto before = std::vector<std::uint8_t>(RomImage.bytes().begin(), RomImage.bytes().end());
    Press(window_->picEditor(), Qt::LeftButton, QPoint(10, 10));
    QVERIFY(std::equal(before.begin(), before.end(), RomImage.bytes().begin()));
    QCOMPARE(Grab(window_->picEditor()), level);
}

void TestMainWindowViews::gridLines_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("editor grid on the level view") << 0;
    QTest::newRow("tile selector grid on the block table") << 1;
}

void TestMainWindowViews::gridLines()
{
    QFETCH(int, index);
    open();
    window_->mnuStageSelect(0)->trigger();
    PictureBox* picture = index == 0 ? window_->picEditor() : window_->picTile();
    const QImage plain = Grab(picture);

    window_->mnuGrid(index)->trigger();
    QVERIFY(window_->mnuGrid(index)->isChecked());
    const QImage grid = Grab(picture);
    QCOMPARE(grid.size(), plain.size());
    // White on the top and left edge of every cell (none on the right or bottom edge), the blocks elsewhere.
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            const bool onLine = x % 32 == 0 || y % 32 == 0;
            const std::uint32_t expected = onLine ? kWhite : Rgb(plain, x, y);
            if (Rgb(grid, x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
    }

    // Off again: exactly the plain picture.
    window_->mnuGrid(index)->trigger();
    QVERIFY(!window_->mnuGrid(index)->isChecked());
    QCOMPARE(Grab(picture), plain);

    // The other view is never touched by this switch.
    PictureBox* other = index == 0 ? window_->picTile() : window_->picEditor();
    const QImage otherBefore = Grab(other);
    window_->mnuGrid_Click(index);
    QVERIFY(window_->mnuGrid(index)->isChecked());
    QCOMPARE(Grab(other), otherBefore);
}

void TestMainWindowViews::selectionRestoredAfterRedraw()
{
    open();
    window_->mnuStageSelect(1)->trigger();
    QVERIFY(AllPixels(Grab(window_->picSelectedTile()), 0x000000));
    window_->hsTable()->setValue(2);
    Press(window_->picTile(), Qt::LeftButton, QPoint(33, 100)); // block 2 * 16 + 3 * 2 + 1
    const QImage selected = ExpectedBlock(39);
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("39"));
    QCOMPARE(Grab(window_->picSelectedTile()), selected);

    window_->hLevel_Frames()->setValue(1);
    QCOMPARE(Grab(window_->picSelectedTile()), selected);
    window_->hsTable()->setValue(9);
    QCOMPARE(Grab(window_->picSelectedTile()), selected);
    window_->DrawLevel();
    window_->DrawTable();
    QCOMPARE(Grab(window_->picSelectedTile()), selected);
}

namespace {

// Stage rows 0 and 1 of a plain demo image with palette 3 made of bytes above
// 63, used only by the blocks of table page 5, and room 0 all block 0: the
// block table draws wrongly on page 5 and nowhere else.
std::vector<std::uint8_t> BadPaletteOnPageFive()
{
    std::vector<std::uint8_t> image = DemoBytes();
    for (int row = 0; row < 2; ++row) {
        const std::size_t bank = static_cast<std::size_t>(row) * 0x2000;
        for (std::size_t i = 0; i < 4; ++i)
            image[bank + 0x10 + 12 + i] = 0x47;
        for (std::size_t b = 0; b < 256; ++b) {
            std::uint8_t& attribute = image[bank + 0x1AD8 + b];
            attribute = static_cast<std::uint8_t>((attribute & 0xFC) | (b / 16 == 5 ? 3 : 0));
        }
        for (std::size_t cell = 0; cell < 192; ++cell)
            image[bank + 0x58 + cell] = 0;
    }
    return image;
}

bool NoticeShown()
{
    return RenderFaultNotice() != nullptr && RenderFaultNotice()->isVisible();
}

} // namespace

void TestMainWindowViews::closedFaultNoticeStaysClosed_data()
{
    QTest::addColumn<bool>("byButton"); // else by the window's close box
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("shown");
    QTest::newRow("the page redrawn: stays closed") << true << "redraw" << false;
    QTest::newRow("dragged away and back: stays closed") << true << "drag" << false;
    QTest::newRow("close box, dragged away and back: stays closed") << false << "drag" << false;
    QTest::newRow("a fault in another view: shown") << true << "level" << true;
    QTest::newRow("another stage: shown") << true << "stage" << true;
    QTest::newRow("another image: shown") << false << "image" << true;
}

void TestMainWindowViews::closedFaultNoticeStaysClosed()
{
    QFETCH(bool, byButton);
    QFETCH(QString, then);
    QFETCH(bool, shown);
    const std::vector<std::uint8_t> bytes = BadPaletteOnPageFive();
    open(DemoLayout::Plain, &bytes);
    window_->mnuStageSelect(0)->trigger();
    QVERIFY(!NoticeShown()); // page 0 and room 0 draw cleanly
    QScrollBar* bar = window_->hsTable();
    bar->setSliderDown(true);
    bar->setSliderPosition(5);
    QVERIFY(NoticeShown());

    if (byButton)
        RenderFaultNotice()->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    else
        RenderFaultNotice()->close();
    QVERIFY(!NoticeShown());

    if (then == QLatin1String("redraw")) {
        bar->setSliderDown(false);
        window_->mnuGrid(1)->trigger();
    } else if (then == QLatin1String("drag")) {
        for (int page : {4, 6, 5, 4, 5})
            bar->setSliderPosition(page);
        bar->setSliderDown(false);
    } else if (then == QLatin1String("level")) {
        bar->setSliderDown(false);
        QVERIFY(RomImage.write(Stages[0].RoomData, 0x50)); // a block of page 5 in the room
        window_->mnuGrid(0)->trigger();
    } else if (then == QLatin1String("stage")) {
        bar->setSliderDown(false);
        window_->mnuStageSelect(1)->trigger();
        bar->setValue(5);
    } else {
        bar->setSliderDown(false);
        QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("again.nes"), bytes)));
    }
    QCOMPARE(NoticeShown(), shown);
}

QTEST_MAIN(TestMainWindowViews)
#include "test_mainwindow_views.moc"
