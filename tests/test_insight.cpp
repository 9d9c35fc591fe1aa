// The views of a level: the numbers under the pointer in status panel 3, the
// highlighted uses of the selected block, Find Next Use, the marks of changed
// cells, the numbers beside the tile editor's controls, and the stage overview
// (thumbnails against the level view's pixels, clicks, redraws of exactly the
// rooms an edit touched, its window). Offsets and uses are worked out here from
// the stage table written out and a scan of the image bytes.

#include "data/Level.h"
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
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

void Move(QWidget* widget, QPoint at)
{
    const QPointF local(at);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QPoint InCell(int x, int y)
{
    return {x * 32 + 13, y * 32 + 17};
}

QPoint InTable(int block)
{
    return {(block % 2) * 32 + 20, (block % 16 / 2) * 32 + 3};
}

QImage ProgramRoom(int room)
{
    RenderFaults faults;
    return RoomImage({RomImage.bytes(), Stages, CurrentStage}, room, 1, faults);
}

// The rooms of the stage holding `block`, from the bytes.
QList<int> RoomsHolding(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage, int block)
{
    QList<int> rooms;
    for (const CellPosition& cell : CellsHolding(image, stage, block))
        if (!rooms.contains(cell.room))
            rooms.append(cell.room);
    return rooms;
}

QImage OverviewShows(frmStageOverview* overview, int room)
{
    return overview->grid()->grab(overview->ThumbnailRect(room)).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestInsight : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuItems();
    void hoverTexts_data();
    void hoverTexts();
    void hoverFollowsEdits();
    void highlightUses();
    void findNextUse();
    void changeMarksAndUndo();
    void tileEditorNumbers();

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
    // Opens as open() does and shows the overview as its menu item does.
    frmStageOverview* openOverview(std::vector<std::uint8_t> bytes, int row);
    void pick(int block);
    QImage Shown() { return Grab(window_->picEditor()); }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    std::vector<std::uint8_t> image_;
};

void TestInsight::init()
{
    ResetGlobals();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestInsight::cleanup()
{
    window_.reset();
    sandbox_.reset();
}

void TestInsight::open(std::vector<std::uint8_t> bytes, int row)
{
    image_ = std::move(bytes);
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("image.nes"), image_)));
    window_->mnuStageSelect(row)->trigger();
}

frmStageOverview* TestInsight::openOverview(std::vector<std::uint8_t> bytes, int row)
{
    open(std::move(bytes), row);
    window_->mnuStageOverview()->trigger();
    frmStageOverview* overview = window_->StageOverview(false);
    return overview != nullptr && overview->isVisible() ? overview : nullptr;
}

void TestInsight::pick(int block)
{
    window_->hsTable()->setValue(block / 16);
    Press(window_->picTile(), Qt::LeftButton, InTable(block));
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
}

void TestInsight::menuItems()
{
    // In the View and Edit menus, disabled until a stage is chosen; panel 3 of a fixed width.
    const QList<std::pair<QAction*, QMenu*>> items = {{window_->mnuStageOverview(), window_->menuView()},
                                                      {window_->mnuHighlightUses(), window_->menuView()},
                                                      {window_->mnuShowChanges(), window_->menuView()},
                                                      {window_->mnuFindNextUse(), window_->menuEdit()}};
    for (const auto& [item, menu] : items)
        QVERIFY(menu->actions().contains(item) && !item->isEnabled());
    QCOMPARE(window_->mnuFindNextUse()->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Panels(3)")), window_->Panel(3));
    QVERIFY(window_->Panel(3)->minimumWidth() > 0);
    QCOMPARE(window_->Panel(3)->minimumWidth(), window_->Panel(3)->maximumWidth());
    open(DemoBytes(), 0);
    for (const auto& [item, menu] : items)
        QVERIFY(item->isEnabled());
}

void TestInsight::hoverTexts_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("room");
    QTest::addColumn<QPoint>("cell");
    QTest::addColumn<int>("block"); // over the table
    QTest::newRow("stage 1 larger layout room 0A") << int(DemoLayout::Plain) << 0 << 0x0A << QPoint(3, 6) << 0x35;
    QTest::newRow("stage 1 smaller layout room 0A") << int(DemoLayout::Shifted) << 0 << 0x0A << QPoint(3, 6) << 0x35;
    QTest::newRow("stage 9 smaller layout last cell") << int(DemoLayout::Shifted) << 8 << 2 << QPoint(15, 11) << 0xFF;
    QTest::newRow("stage 3 room C8 above 169") << int(DemoLayout::Plain) << 2 << 200 << QPoint(0, 0) << 0x00;
}

void TestInsight::hoverTexts()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    QFETCH(QPoint, cell);
    QFETCH(int, block);
    std::vector<std::uint8_t> bytes = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    SetRoomList(bytes, stage, std::max(room, 12));
    open(bytes, row);
    QVERIFY(window_->picEditor()->hasMouseTracking() && window_->picTile()->hasMouseTracking());
    window_->hLevel_Frames()->setValue(room);

    Move(window_->picEditor(), InCell(cell.x(), cell.y()));
    const std::int64_t offset = stage.cell(room, cell.y(), cell.x());
    const QString text = window_->Panel(3)->text();
    QCOMPARE(text, ExpectedCellText(room, cell.y(), cell.x(), image_[std::size_t(offset)], offset));
    if (QTest::currentDataTag() == QByteArray("stage 1 larger layout room 0A"))
        QVERIFY(text.endsWith(QStringLiteral("@ 0x0083B")));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window_->picEditor(), &leave);
    QCOMPARE(window_->Panel(3)->text(), QString());

    window_->hsTable()->setValue(block / 16);
    Move(window_->picTile(), InTable(block));
    const QString blockText = window_->Panel(3)->text();
    QCOMPARE(blockText, ExpectedBlockText(image_, stage, block, int(CellsHolding(image_, stage, block).size())));
    if (QTest::currentDataTag() == QByteArray("stage 1 larger layout room 0A"))
        QVERIFY(blockText.contains(QStringLiteral("@ 0x017AC  used ")));
    Move(window_->picTile(), {70, 3}); // past the table's cells
    QCOMPARE(window_->Panel(3)->text(), QString());
}

void TestInsight::hoverFollowsEdits()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const int block = (image_[std::size_t(stage.cell(0, 2, 2))] + 1) % 256;
    const int uses = int(CellsHolding(image_, stage, block).size());
    pick(block);
    Move(window_->picEditor(), InCell(2, 2));
    Press(window_->picEditor(), Qt::LeftButton, InCell(2, 2)); // placed under the pointer
    QCoreApplication::processEvents();
    QCOMPARE(window_->Panel(3)->text(), ExpectedCellText(0, 2, 2, block, stage.cell(0, 2, 2)));
    Move(window_->picTile(), InTable(block));
    QVERIFY(window_->Panel(3)->text().endsWith(QStringLiteral("used %1").arg(uses + 1)));
    // Another room under a resting pointer.
    Move(window_->picEditor(), InCell(2, 2));
    window_->hLevel_Frames()->setValue(1);
    QCOMPARE(window_->Panel(3)->text(),
             ExpectedCellText(1, 2, 2, image_[std::size_t(stage.cell(1, 2, 2))], stage.cell(1, 2, 2)));
}

void TestInsight::highlightUses()
{
    std::vector<std::uint8_t> bytes = DemoBytes();
    const WrittenOutStage stage(DemoLayout::Plain, 1);
    PlantBlock(bytes, stage, 0x47, 0x48, {{0, 0, 0}, {0, 5, 7}, {0, 11, 15}, {2, 1, 1}});
    bytes[std::size_t(stage.cell(0, 6, 6))] = 0x48;
    open(bytes, 1);
    pick(0x47);
    window_->mnuHighlightUses()->trigger();
    QVERIFY(window_->mnuHighlightUses()->isChecked());
    const QImage shown = Shown();
    QCOMPARE(shown, window_->picEditor()->backBuffer().convertToFormat(shown.format()));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const QImage expected = ExpectedBlock(image_[std::size_t(stage.cell(0, y, x))]);
            if ((x == 0 && y == 0) || (x == 7 && y == 5) || (x == 15 && y == 11)) {
                // Outlined, the block still showing inside.
                QCOMPARE(Rgb(shown, x * 32 + 1, y * 32 + 16), kUseMarkColour);
                QCOMPARE(Rgb(shown, x * 32 + 2, y * 32 + 16), kMarkEdgeColour);
                QCOMPARE(Cell(shown, x, y).copy(8, 8, 16, 16), expected.copy(8, 8, 16, 16));
            } else {
                QCOMPARE(Cell(shown, x, y), expected);
            }
        }
    // Another selection moves the outlines; switched off, the plain room.
    pick(0x48);
    QCOMPARE(Cell(Shown(), 7, 5), ExpectedBlock(0x47));
    QCOMPARE(Rgb(Shown(), 6 * 32 + 1, 6 * 32 + 16), kUseMarkColour);
    window_->mnuHighlightUses()->trigger();
    QCOMPARE(Cell(Shown(), 6, 6), ExpectedBlock(0x48));
}

void TestInsight::findNextUse()
{
    std::vector<std::uint8_t> bytes = DemoBytes();
    const WrittenOutStage stage(DemoLayout::Plain, 2);
    SetRoomList(bytes, stage, 9);
    PlantBlock(bytes, stage, 0x47, 0x48, {{2, 4, 9}, {2, 4, 2}, {0, 11, 15}, {7, 0, 0}});
    PlantBlock(bytes, stage, 0x49, 0x48, {});
    open(bytes, 2);
    window_->hLevel_Frames()->setValue(1);
    pick(0x47);
    // From the current room, in room, row, column order, wrapping around.
    for (const CellPosition& cell : std::vector<CellPosition>{{2, 4, 2}, {2, 4, 9}, {7, 0, 0}, {0, 11, 15}}) {
        window_->mnuFindNextUse()->trigger();
        QCOMPARE(window_->hLevel_Frames()->value(), cell.room);
        QCOMPARE(window_->Panel(2)->text(), RoomText(cell.room));
        QCOMPARE(Rgb(Shown(), cell.column * 32, cell.row * 32 + 16), kFoundMarkColour);
        QCOMPARE(Rgb(Shown(), cell.column * 32 + 2, cell.row * 32 + 16), kMarkEdgeColour);
        QCOMPARE(window_->Panel(3)->text(), ExpectedCellText(cell.room, cell.row, cell.column, 0x47,
                                                             stage.cell(cell.room, cell.row, cell.column)));
    }
    // Moved elsewhere by the user: from the first cell of the room shown.
    window_->hLevel_Frames()->setValue(3);
    window_->mnuFindNextUse()->trigger();
    QCOMPARE(window_->hLevel_Frames()->value(), 7);

    pick(0x49);
    window_->mnuFindNextUse()->trigger();
    QCOMPARE(window_->Panel(3)->text(), QStringLiteral("Not used in this stage"));
    QCOMPARE(window_->hLevel_Frames()->value(), 7);
    QCOMPARE(Cell(Shown(), 0, 0), ExpectedBlock(0x47)); // the old outline went
    QCOMPARE(ImageNow(), image_);                       // nothing here writes
}

void TestInsight::changeMarksAndUndo()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const int original = image_[std::size_t(stage.cell(0, 3, 2))];
    window_->mnuShowChanges()->trigger();
    pick((original + 1) % 256);
    Press(window_->picEditor(), Qt::LeftButton, InCell(2, 3));
    QCoreApplication::processEvents();
    // A pixel of the mark's red, just inside its outline.
    const int in = ChangeMarkOutline(2);
    const auto marked = [&](int x, int y) { return Rgb(Shown(), x * 32 + 31 - in, y * 32 + in) == kChangeMarkColour; };
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(marked(x, y), x == 2 && y == 3);
    QCOMPARE(Cell(Shown(), 2, 3).copy(0, 12, 32, 20), ExpectedBlock((original + 1) % 256).copy(0, 12, 32, 20));

    // Undoing back removes the mark, and so does putting the block back by hand.
    window_->mnuUndo()->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(Cell(Shown(), 2, 3), ExpectedBlock(original));
    window_->mnuRedo()->trigger();
    QCoreApplication::processEvents();
    QVERIFY(marked(2, 3));
    pick(original);
    Press(window_->picEditor(), Qt::LeftButton, InCell(2, 3));
    QCoreApplication::processEvents();
    QCOMPARE(Cell(Shown(), 2, 3), ExpectedBlock(original));
    window_->mnuShowChanges()->trigger();
    QVERIFY(!marked(2, 3));
}

void TestInsight::tileEditorNumbers()
{
    open(DemoBytes(), 0);
    pick(0x35);
    window_->cmdEditTile()->click();
    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(editor != nullptr && editor->isVisible());
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const auto hex = [](int value) { return QString::asprintf("%02X", value); };
    QCOMPARE(editor->lblBlockValue()->text(), QStringLiteral("35"));
    for (int k = 0; k < 4; ++k)
        QCOMPARE(editor->lblTileValue(k)->text(), hex(image_[std::size_t(stage.tiles + 4 * 0x35 + k)]));
    editor->hsTile(2)->setValue(0xA7);
    QCOMPARE(editor->lblTileValue(2)->text(), QStringLiteral("A7"));
    editor->vsTile()->setValue(0x0C);
    QCOMPARE(editor->lblBlockValue()->text(), QStringLiteral("0C"));
    QCOMPARE(editor->lblTileValue(0)->text(), hex(image_[std::size_t(stage.tiles + 4 * 0x0C)]));

    // In free space: inside the window, over none of the controls it had before.
    QList<QWidget*> controls = {editor->picTile(), editor->vsTile(), editor->lblFlags(), editor->cboFlags(),
                                editor->cmdRefresh()};
    QList<QLabel*> labels = {editor->lblBlockValue()};
    for (int i = 0; i < 4; ++i) {
        controls << editor->picPal(i) << editor->hsTile(i) << editor->optPal(i);
        labels << editor->lblTileValue(i);
    }
    for (QLabel* label : labels) {
        QVERIFY(editor->rect().contains(label->geometry()));
        QVERIFY(label->fontMetrics().horizontalAdvance(QStringLiteral("FF")) <= label->width());
        for (QWidget* control : controls)
            QVERIFY2(!label->geometry().intersects(control->geometry()),
                     qPrintable(label->objectName() + QStringLiteral(" over ") + control->objectName()));
    }
}

void TestInsight::thumbnailsMatchLevelView_data()
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

void TestInsight::thumbnailsMatchLevelView()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    QFETCH(int, lastRoom);
    std::vector<std::uint8_t> bytes = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    if (lastRoom >= 0)
        SetRoomList(bytes, stage, lastRoom);
    frmStageOverview* overview = openOverview(bytes, row);
    QVERIFY(overview != nullptr);
    QCOMPARE(overview->roomCount(), ListedLastRoom(image_, stage) + 1);
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(overview->currentRoom(), room);

    const QImage thumb = overview->Thumbnail(room);
    QCOMPARE(thumb, ProgramRoom(room));
    // The level view draws every pixel of the room twice as wide and high.
    const QImage level = Grab(window_->picEditor());
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            if (Rgb(thumb, x, y) != Rgb(level, 2 * x, 2 * y) || Rgb(thumb, x, y) != Rgb(level, 2 * x + 1, 2 * y + 1))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs from the level view").arg(x).arg(y)));
    QCOMPARE(OverviewShows(overview, room), thumb); // and the window shows exactly that
}

void TestInsight::clickShowsRoom()
{
    frmStageOverview* overview = openOverview(DemoBytes(), 0);
    QVERIFY(overview != nullptr);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(3).center());
    QCOMPARE(window_->hLevel_Frames()->value(), 3);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 03"));
    QCOMPARE(Cell(Grab(window_->picEditor()), 0, 0), ExpectedBlock(image_[std::size_t(stage.cell(3, 0, 0))]));
    // The current room is framed, and only it.
    const QImage grid = overview->grid()->grab().toImage();
    const QRgb frame = overview->grid()->palette().highlight().color().rgb() & 0xFFFFFFu;
    const auto framed = [&](int room) {
        return Rgb(grid, overview->ThumbnailRect(room).left() - 1, overview->ThumbnailRect(room).top() + 5) == frame;
    };
    QVERIFY(framed(3) && !framed(0) && !framed(4));
    // The room text belongs to its thumbnail; the gaps and other buttons choose nothing.
    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(4).topLeft() - QPoint(0, 8));
    QCOMPARE(window_->hLevel_Frames()->value(), 4);
    Press(overview->grid(), Qt::LeftButton, overview->ThumbnailRect(0).topRight() + QPoint(6, 40));
    Press(overview->grid(), Qt::RightButton, overview->ThumbnailRect(1).center());
    QCOMPARE(window_->hLevel_Frames()->value(), 4);
}

void TestInsight::redrawsOnlyTouchedRooms_data()
{
    QTest::addColumn<QString>("edit");
    for (const char* edit : {"a placed block", "a tile number in the tile editor", "a byte no room reads"})
        QTest::newRow(edit) << QString::fromLatin1(edit);
}

void TestInsight::redrawsOnlyTouchedRooms()
{
    QFETCH(QString, edit);
    frmStageOverview* overview = openOverview(DemoBytes(), 3);
    QVERIFY(overview != nullptr);
    const WrittenOutStage stage(DemoLayout::Plain, 3);
    for (int room = 0; room < overview->roomCount(); ++room)
        (void)overview->Thumbnail(room);
    QSignalSpy redrawn(overview, &frmStageOverview::thumbnailsRedrawn);

    // A block of room 1 that the fewest rooms use.
    int block = image_[std::size_t(stage.cell(1, 0, 0))];
    for (int cell = 0; cell < 192; ++cell) {
        const int candidate = image_[std::size_t(stage.cell(1, 0, 0) + cell)];
        if (RoomsHolding(image_, stage, candidate).size() < RoomsHolding(image_, stage, block).size())
            block = candidate;
    }
    QList<int> expected;
    if (edit == QLatin1String("a placed block")) {
        pick((block + 1) % 256);
        window_->hLevel_Frames()->setValue(2);
        Press(window_->picEditor(), Qt::LeftButton, {5, 5});
        expected = {2};
    } else if (edit == QLatin1String("a tile number in the tile editor")) {
        window_->TileEdit()->ShowBlock(block);
        window_->TileEdit()->hsTile(1)->setValue(image_[std::size_t(stage.tiles + 4 * block + 1)] ^ 0x21);
        expected = RoomsHolding(image_, stage, block);
    } else {
        QVERIFY(RomDocument::Program().image().write(WrittenOutStage(DemoLayout::Plain, 5).cell(0, 0, 0), 0x99));
    }
    QVERIFY(expected.size() < overview->roomCount()); // redrawing everything would pass otherwise
    // Once control is back in the event loop; and undo redraws the same rooms.
    for (int pass = 0; pass < 2; ++pass) {
        QCoreApplication::processEvents();
        QCOMPARE(redrawn.count(), expected.isEmpty() ? 0 : 1);
        if (!expected.isEmpty())
            QCOMPARE(redrawn.takeFirst().at(0).value<QList<int>>(), expected);
        for (int room = 0; room < overview->roomCount(); ++room)
            QCOMPARE(overview->Thumbnail(room), ProgramRoom(room));
        window_->mnuUndo()->trigger();
    }
}

void TestInsight::openAndStageRedrawEverything()
{
    frmStageOverview* overview = openOverview(DemoBytes(), 0);
    QVERIFY(overview != nullptr);
    (void)overview->Thumbnail(0);
    // Another image: other rooms, another number of them.
    const std::vector<std::uint8_t> other = DemoBytes(DemoLayout::Shifted, 2);
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("other.nes"), other)));
    QCOMPARE(overview->roomCount(), ListedLastRoom(other, WrittenOutStage(DemoLayout::Shifted, 0)) + 1);
    for (int room = 0; room < overview->roomCount(); ++room)
        QCOMPARE(overview->Thumbnail(room), ProgramRoom(room));
    // Another stage, from its first room.
    window_->hLevel_Frames()->setValue(2);
    window_->mnuStageSelect(6)->trigger();
    QCOMPARE(overview->stage(), 6);
    QCOMPARE(overview->roomCount(), ListedLastRoom(other, WrittenOutStage(DemoLayout::Shifted, 6)) + 1);
    QCOMPARE(overview->currentRoom(), 0);
    QCOMPARE(overview->Thumbnail(1), ProgramRoom(1));
}

void TestInsight::showsMarks()
{
    frmStageOverview* overview = openOverview(DemoBytes(), 0);
    QVERIFY(overview != nullptr);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    window_->mnuShowChanges()->trigger();
    pick((image_[std::size_t(stage.cell(0, 4, 5))] + 7) % 256);
    Press(window_->picEditor(), Qt::LeftButton, {5 * 32 + 8, 4 * 32 + 20});
    QCoreApplication::processEvents();
    const int in = ChangeMarkOutline(1);
    QCOMPARE(Rgb(OverviewShows(overview, 0), 5 * 16 + 15 - in, 4 * 16 + in), kChangeMarkColour);
    QCOMPARE(OverviewShows(overview, 0).copy(0, 0, 80, 192), overview->Thumbnail(0).copy(0, 0, 80, 192));
    window_->mnuUndo()->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(OverviewShows(overview, 0), overview->Thumbnail(0));
    // The selected block's uses, in every room.
    pick(image_[std::size_t(stage.cell(1, 2, 3))]);
    window_->mnuHighlightUses()->trigger();
    QCOMPARE(Rgb(OverviewShows(overview, 1), 3 * 16, 2 * 16 + 8), kUseMarkColour);
    QCOMPARE(Rgb(OverviewShows(overview, 1), 3 * 16 + 1, 2 * 16 + 8), kMarkEdgeColour);
}

void TestInsight::followsMenuMinimiseAndClose()
{
    frmStageOverview* overview = openOverview(DemoBytes(), 0);
    QVERIFY(overview != nullptr);
    QVERIFY(window_->mnuStageOverview()->isChecked());
    QVERIFY(overview->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(overview->parentWidget(), window_.get());
    QCOMPARE(overview->grid()->width(), overview->scrollArea()->viewport()->width()); // nothing to scroll sideways

    window_->setWindowState(Qt::WindowMinimized);
    QVERIFY(!overview->isVisible());
    window_->showNormal();
    QVERIFY(overview->isVisible());
    // Its close box hides it and clears the check mark; a restore leaves it hidden.
    overview->close();
    QVERIFY(!overview->isVisible() && !window_->mnuStageOverview()->isChecked());
    window_->setWindowState(Qt::WindowMinimized);
    window_->showNormal();
    QVERIFY(!overview->isVisible());
    window_->mnuStageOverview()->trigger();
    QVERIFY(overview->isVisible() && window_->mnuStageOverview()->isChecked());
}

QTEST_MAIN(TestInsight)
#include "test_insight.moc"
