// The stage overview: thumbnails against the level view's pixels of the same
// room, a click on a thumbnail showing that room in the main window, redraws
// of exactly the rooms an edit touched, the marks, and the window following
// its menu item, minimise and restore.

#include "data/RomDocument.h"
#include "data/modGlobals.h"
#include "graphics/Compositor.h"
#include "graphics/RoomMarks.h"
#include "support/InsightChecks.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/overview/StageOverviewGrid.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

QImage ProgramRoom(int room)
{
    RenderFaults faults;
    return RoomImage({RomImage.bytes(), Stages, CurrentStage}, room, 1, faults);
}

QList<int> RoomsWhere(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage,
                      const std::function<bool(int block)>& uses)
{
    QList<int> rooms;
    for (int room = 0; room <= ListedLastRoom(image, stage); ++room)
        for (int cell = 0; cell < 192; ++cell)
            if (uses(image[std::size_t(stage.cell(room, 0, 0) + cell)])) {
                rooms.append(room);
                break;
            }
    return rooms;
}

} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void thumbnailsMatchLevelView_data();
    void thumbnailsMatchLevelView();
    void clickShowsRoom();
    void redrawsOnlyTouchedRooms_data();
    void redrawsOnlyTouchedRooms();
    void openAndStageRedrawEverything();
    void showsMarks();
    void followsMenuMinimiseAndClose();

private:
    void open(std::vector<std::uint8_t> bytes, int row);
    frmStageOverview* showOverview();
    void pick(int block);

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    std::vector<std::uint8_t> image_;
};

void TestOverview::init()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestOverview::cleanup()
{
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
    window_.reset();
    sandbox_.reset();
}

void TestOverview::open(std::vector<std::uint8_t> bytes, int row)
{
    image_ = std::move(bytes);
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("image%1.nes").arg(row), image_)));
    window_->mnuStageSelect(row)->trigger();
}

frmStageOverview* TestOverview::showOverview()
{
    window_->mnuStageOverview()->trigger();
    frmStageOverview* overview = window_->StageOverview(false);
    return overview != nullptr && overview->isVisible() ? overview : nullptr;
}

void TestOverview::pick(int block)
{
    window_->hsTable()->setValue(block / 16);
    Press(window_->picTile(), Qt::LeftButton, {(block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5});
}

void TestOverview::thumbnailsMatchLevelView_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("lastRoom"); // -1: the demo's list
    QTest::newRow("larger layout stage 1 room 0") << int(DemoLayout::Plain) << 0 << 0 << -1;
    QTest::newRow("smaller layout stage 5 room 2") << int(DemoLayout::Shifted) << 4 << 2 << -1;
    QTest::newRow("stage 9 room 1") << int(DemoLayout::Plain) << 8 << 1 << -1;
    QTest::newRow("stage 2 room C8 above 169") << int(DemoLayout::Plain) << 1 << 200 << 200;
}

void TestOverview::thumbnailsMatchLevelView()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    QFETCH(int, lastRoom);
    std::vector<std::uint8_t> bytes = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    if (lastRoom >= 0)
        SetRoomList(bytes, stage, lastRoom);
    open(bytes, row);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    QCOMPARE(overview->roomCount(), ListedLastRoom(image_, stage) + 1);
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(overview->currentRoom(), room);

    const QImage thumb = overview->Thumbnail(room);
    QCOMPARE(thumb.size(), QSize(256, 192));
    QCOMPARE(thumb, ProgramRoom(room));
    // The level view draws every pixel of the room twice as wide and high.
    const QImage level = Grab(window_->picEditor());
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            if (Rgb(thumb, x, y) != Rgb(level, 2 * x, 2 * y) || Rgb(thumb, x, y) != Rgb(level, 2 * x + 1, 2 * y + 1))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs from the level view").arg(x).arg(y)));
    // And the window shows exactly the thumbnail there.
    const QRect where = overview->ThumbnailRect(room);
    QCOMPARE(overview->grid()->grab(where).toImage().convertToFormat(QImage::Format_RGB32), thumb);
}

void TestOverview::clickShowsRoom()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    QVERIFY(ListedLastRoom(image_, stage) >= 4);

    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(3).center());
    QCOMPARE(window_->hLevel_Frames()->value(), 3);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 03"));
    QCOMPARE(Cell(Grab(window_->picEditor()), 0, 0), ExpectedBlock(image_[std::size_t(stage.cell(3, 0, 0))]));
    // The current room is framed, and only it.
    const QImage grid = overview->grid()->grab().toImage();
    const QRgb frame = overview->grid()->palette().highlight().color().rgb() & 0xFFFFFFu;
    const auto framed = [&](int room) { return Rgb(grid, overview->ThumbnailRect(room).left() - 1, overview->ThumbnailRect(room).top() + 5) == frame; };
    QVERIFY(framed(3));
    QVERIFY(!framed(0) && !framed(4));

    // The room text belongs to its thumbnail; the gap between thumbnails to none.
    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(4).topLeft() - QPoint(0, 8));
    QCOMPARE(window_->hLevel_Frames()->value(), 4);
    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(0).topRight() + QPoint(6, 40));
    QCOMPARE(window_->hLevel_Frames()->value(), 4);
    Press(overview->grid(), Qt::RightButton, overview->ThumbnailRect(1).center());
    QCOMPARE(window_->hLevel_Frames()->value(), 4);
}

void TestOverview::redrawsOnlyTouchedRooms_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"a placed block", "a tile number in the tile editor", "a palette colour",
                             "a tile's pixels", "a byte no room reads"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void TestOverview::redrawsOnlyTouchedRooms()
{
    QFETCH(QString, edit);
    open(DemoBytes(), 3);
    const WrittenOutStage stage(DemoLayout::Plain, 3);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    for (int room = 0; room < overview->roomCount(); ++room)
        (void)overview->Thumbnail(room);
    QSignalSpy redrawn(overview, &frmStageOverview::thumbnailsRedrawn);

    RomBuffer& image = RomDocument::Program().image();
    // A block of room 1 that the fewest rooms use.
    int block = image_[std::size_t(stage.cell(1, 0, 0))];
    for (int cell = 0; cell < 192; ++cell) {
        const int candidate = image_[std::size_t(stage.cell(1, 0, 0) + cell)];
        const auto holds = [](int wanted) { return [wanted](int b) { return b == wanted; }; };
        if (RoomsWhere(image_, stage, holds(candidate)).size() < RoomsWhere(image_, stage, holds(block)).size())
            block = candidate;
    }
    const auto tileOf = [&](int b, int k) { return int{image[stage.tiles + 4 * b + k]}; };
    QList<int> expected;
    if (edit == QLatin1String("a placed block")) {
        pick((block + 1) % 256);
        window_->hLevel_Frames()->setValue(2);
        Press(window_->picEditor(), Qt::LeftButton, {5, 5});
        expected = {2};
    } else if (edit == QLatin1String("a tile number in the tile editor")) {
        window_->TileEdit()->ShowBlock(block);
        window_->TileEdit()->hsTile(1)->setValue(tileOf(block, 1) ^ 0x21);
        expected = RoomsWhere(image_, stage, [&](int b) { return b == block; });
    } else if (edit == QLatin1String("a palette colour")) {
        const int palette = image[stage.attributes + block] & 3;
        QVERIFY(image.write(stage.palettes + 4 * palette + 3, image[stage.palettes + 4 * palette + 3] ^ 0x11));
        expected = RoomsWhere(image_, stage, [&](int b) { return (image[stage.attributes + b] & 3) == palette; });
    } else if (edit == QLatin1String("a tile's pixels")) {
        int tile = tileOf(block, 0) & 0x7F; // one of the block's tiles from the stage's own set
        for (int k = 0; k < 4; ++k)
            if (tileOf(block, k) < 0x80)
                tile = tileOf(block, k);
        QVERIFY(image.write(stage.tileData + 16 * tile + 5, image[stage.tileData + 16 * tile + 5] ^ 0x81));
        expected = RoomsWhere(image_, stage, [&](int b) {
            return tileOf(b, 0) == tile || tileOf(b, 1) == tile || tileOf(b, 2) == tile || tileOf(b, 3) == tile;
        });
    } else {
        QVERIFY(image.write(WrittenOutStage(DemoLayout::Plain, 5).cell(0, 0, 0), 0x99));
    }
    if (edit == QLatin1String("a placed block") || edit.startsWith(QLatin1String("a tile number")))
        QVERIFY(expected.size() < overview->roomCount()); // a redraw of everything would pass otherwise
    QCoreApplication::processEvents();
    QCOMPARE(redrawn.count(), expected.isEmpty() ? 0 : 1);
    if (!expected.isEmpty())
        QCOMPARE(redrawn.takeFirst().at(0).value<QList<int>>(), expected);
    for (int room = 0; room < overview->roomCount(); ++room)
        QCOMPARE(overview->Thumbnail(room), ProgramRoom(room));

    // Undo puts the same rooms back.
    redrawn.clear();
    window_->mnuUndo()->trigger();
    QCoreApplication::processEvents();
    if (!expected.isEmpty())
        QCOMPARE(redrawn.takeFirst().at(0).value<QList<int>>(), expected);
    for (int room = 0; room < overview->roomCount(); ++room)
        QCOMPARE(overview->Thumbnail(room), ProgramRoom(room));
}

void TestOverview::openAndStageRedrawEverything()
{
    open(DemoBytes(), 0);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    (void)overview->Thumbnail(0);
    // Another image: other rooms, another number of them.
    std::vector<std::uint8_t> other = DemoBytes(DemoLayout::Shifted, 2);
    const WrittenOutStage shifted(DemoLayout::Shifted, 0);
    image_ = other;
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("other.nes"), other)));
    QCOMPARE(overview->roomCount(), ListedLastRoom(other, shifted) + 1);
    for (int room = 0; room < overview->roomCount(); ++room)
        QCOMPARE(overview->Thumbnail(room), ProgramRoom(room));
    // Another stage.
    window_->hLevel_Frames()->setValue(2);
    window_->mnuStageSelect(6)->trigger();
    QCOMPARE(overview->stage(), 6);
    QCOMPARE(overview->roomCount(), ListedLastRoom(other, WrittenOutStage(DemoLayout::Shifted, 6)) + 1);
    QCOMPARE(overview->currentRoom(), 0);
    QCOMPARE(overview->Thumbnail(1), ProgramRoom(1));
}

void TestOverview::showsMarks()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    window_->mnuShowChanges()->trigger();
    const int original = image_[std::size_t(stage.cell(0, 4, 5))];
    pick((original + 7) % 256);
    Press(window_->picEditor(), Qt::LeftButton, {5 * 32 + 8, 4 * 32 + 20});
    QCoreApplication::processEvents();
    const auto shown = [&](int room) {
        return overview->grid()->grab(overview->ThumbnailRect(room)).toImage().convertToFormat(QImage::Format_RGB32);
    };
    QCOMPARE(Rgb(shown(0), 5 * 16 + 15, 4 * 16), kChangeMarkColour);
    QCOMPARE(shown(0).copy(0, 0, 80, 192), overview->Thumbnail(0).copy(0, 0, 80, 192)); // nothing else marked
    window_->mnuUndo()->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(shown(0), overview->Thumbnail(0));

    // Highlighted uses of the selected block, in every room.
    pick(image_[std::size_t(stage.cell(1, 2, 3))]);
    window_->mnuHighlightUses()->trigger();
    QCOMPARE(Rgb(shown(1), 3 * 16, 2 * 16 + 8), kUseMarkColour);
    QCOMPARE(Rgb(shown(1), 3 * 16 + 1, 2 * 16 + 8), kMarkEdgeColour);
}

void TestOverview::followsMenuMinimiseAndClose()
{
    open(DemoBytes(), 0);
    frmStageOverview* overview = showOverview();
    QVERIFY(overview != nullptr);
    QVERIFY(window_->mnuStageOverview()->isChecked());
    QVERIFY(overview->windowFlags().testFlag(Qt::Tool));
    // Its columns fit its width: nothing to scroll sideways.
    QVERIFY(!overview->scrollArea()->horizontalScrollBar()->isVisible());
    QCOMPARE(overview->grid()->width(), overview->scrollArea()->viewport()->width());
    QCOMPARE(overview->parentWidget(), window_.get());

    window_->setWindowState(Qt::WindowMinimized);
    QVERIFY(!overview->isVisible());
    window_->showNormal();
    QVERIFY(overview->isVisible());

    // Its close box hides it and clears the check mark; a restore leaves it hidden.
    overview->close();
    QVERIFY(!overview->isVisible());
    QVERIFY(!window_->mnuStageOverview()->isChecked());
    window_->setWindowState(Qt::WindowMinimized);
    window_->showNormal();
    QVERIFY(!overview->isVisible());
    // The menu item toggles it.
    QCOMPARE(showOverview(), overview);
    window_->mnuStageOverview()->trigger();
    QVERIFY(!overview->isVisible() && !window_->mnuStageOverview()->isChecked());
}

QTEST_MAIN(TestOverview)
#include "test_overview.moc"
