// What the editor tells about a level without any window: the numbers under
// the pointer, block usage and its search order, changed cells, which rooms an
// edit touched, and the marks drawn over a room. Offsets and usage are worked
// out here from the stage table written out and a plain scan of the bytes.

#include "data/BlockUsage.h"
#include "data/CellInfo.h"
#include "data/ChangedBytes.h"
#include "data/Stages.h"
#include "graphics/Compositor.h"
#include "graphics/RoomDependencies.h"
#include "graphics/RoomMarks.h"
#include "support/InsightChecks.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Cells = std::vector<CellPosition>;

StageInfo ProgramStage(const std::vector<std::uint8_t>& image, int row)
{
    return (*StagesForLength(image.size()))[static_cast<std::size_t>(row)];
}

// The rooms 0..last of the stage holding a block for which `uses` is true.
RoomSet RoomsWithBlock(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage,
                       const std::function<bool(int block)>& uses)
{
    RoomSet rooms;
    for (int room = 0; room <= ListedLastRoom(image, stage); ++room)
        for (int cell = 0; cell < 192; ++cell)
            if (uses(image[static_cast<std::size_t>(stage.rooms + room * 192 + cell)]))
                rooms.set(static_cast<std::size_t>(room));
    return rooms;
}

} // namespace

Q_DECLARE_METATYPE(Cells)

class TestBlockUsage : public QObject {
    Q_OBJECT
private slots:
    void cellText_data();
    void cellText();
    void blockText_data();
    void blockText();
    void pastTheEndOfAShortImage();
    void useCounts_data();
    void useCounts();
    void findOrder_data();
    void findOrder();
    void changedCells();
    void changedBytes();
    void touchedRooms_data();
    void touchedRooms();
    void marksOnTheirCells_data();
    void marksOnTheirCells();
};

void TestBlockUsage::cellText_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("x");
    QTest::newRow("stage 1 larger layout room 0A X 3 Y 6") << int(DemoLayout::Plain) << 0 << 0x0A << 6 << 3;
    QTest::newRow("stage 1 smaller layout room 0A X 3 Y 6") << int(DemoLayout::Shifted) << 0 << 0x0A << 6 << 3;
    QTest::newRow("stage 5 last cell of room 2") << int(DemoLayout::Plain) << 4 << 2 << 11 << 15;
    QTest::newRow("stage 9 smaller layout room 1") << int(DemoLayout::Shifted) << 8 << 1 << 0 << 0;
    QTest::newRow("stage 2 room C8 above 169") << int(DemoLayout::Plain) << 1 << 200 << 5 << 9;
}

void TestBlockUsage::cellText()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, room);
    QFETCH(int, y);
    QFETCH(int, x);
    const std::vector<std::uint8_t> image = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    const std::int64_t offset = stage.cell(room, y, x);
    const QString text = RoomCellInfo(image, ProgramStage(image, row), room, y, x).toQString();
    QCOMPARE(text, ExpectedCellText(room, y, x, image[static_cast<std::size_t>(offset)], offset));
    if (QTest::currentDataTag() == QByteArray("stage 1 larger layout room 0A X 3 Y 6"))
        QVERIFY(text.endsWith(QStringLiteral("@ 0x0083B")));
}

void TestBlockUsage::blockText_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("block");
    QTest::newRow("stage 1 larger layout block 35") << int(DemoLayout::Plain) << 0 << 0x35;
    QTest::newRow("stage 1 smaller layout block 35") << int(DemoLayout::Shifted) << 0 << 0x35;
    QTest::newRow("stage 9 block FF") << int(DemoLayout::Plain) << 8 << 0xFF;
    QTest::newRow("stage 4 smaller layout block 00") << int(DemoLayout::Shifted) << 3 << 0x00;
}

void TestBlockUsage::blockText()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, block);
    const std::vector<std::uint8_t> image = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    const int uses = static_cast<int>(CellsHolding(image, stage, block).size());
    QCOMPARE(CountUses(image, ProgramStage(image, row), block), uses);
    const QString text = BlockInfo(image, ProgramStage(image, row), block, uses).toQString();
    QCOMPARE(text, ExpectedBlockText(image, stage, block, uses));
    if (QTest::currentDataTag() == QByteArray("stage 1 larger layout block 35"))
        QVERIFY(text.contains(QStringLiteral("@ 0x017AC  used ")));
}

void TestBlockUsage::pastTheEndOfAShortImage()
{
    // An image that ends inside row 6 of room 5 of stage 1: nothing past its
    // end is read (the bytes are a vector of that length, so ASan would see it).
    const std::vector<std::uint8_t> full = DemoBytes();
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const std::int64_t end = stage.cell(5, 6, 4);
    const std::vector<std::uint8_t> image(full.begin(), full.begin() + end);
    const StageInfo info = ProgramStage(full, 0);

    QCOMPARE(RoomCellInfo(image, info, 5, 6, 4).toQString(),
             QStringLiteral("Room 05  X 4  Y 6  past the end of the image"));
    QCOMPARE(RoomCellInfo(image, info, 5, 6, 3).toQString(),
             ExpectedCellText(5, 6, 3, image[static_cast<std::size_t>(end - 1)], end - 1));
    // The block tables lie past the end too.
    QCOMPARE(BlockInfo(image, info, 0x35, 7).toQString(), QStringLiteral("Block 35  past the end of the image  used 7"));

    // Uses past the end are neither counted nor found.
    std::vector<std::uint8_t> listed = full;
    SetRoomList(listed, stage, 9);
    PlantBlock(listed, stage, 0x47, 0x48, {{0, 0, 0}, {5, 6, 3}, {5, 6, 4}, {9, 0, 0}});
    const std::vector<std::uint8_t> cut(listed.begin(), listed.begin() + end);
    QCOMPARE(CountUses(listed, info, 0x47), 4);
    QCOMPARE(CountUses(cut, info, 0x47), 2);
    const std::optional<CellPosition> next = FindUse(cut, info, 0x47, CellPosition{5, 6, 4}.index());
    QVERIFY(next.has_value());
    QCOMPARE(next->index(), 0);
    QVERIFY(!CellBlock(cut, info, 9, 0, 0));
    QVERIFY(ChangedCells(cut, listed, info, 5).none());
}

void TestBlockUsage::useCounts_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("lastRoom"); // -1: the demo's list
    QTest::newRow("larger layout stage 1") << int(DemoLayout::Plain) << 0 << -1;
    QTest::newRow("smaller layout stage 6") << int(DemoLayout::Shifted) << 5 << -1;
    QTest::newRow("stage 9") << int(DemoLayout::Plain) << 8 << -1;
    QTest::newRow("rooms up to FE") << int(DemoLayout::Plain) << 1 << 254;
}

void TestBlockUsage::useCounts()
{
    QFETCH(int, layout);
    QFETCH(int, row);
    QFETCH(int, lastRoom);
    std::vector<std::uint8_t> image = DemoBytes(DemoLayout(layout));
    const WrittenOutStage stage(DemoLayout(layout), row);
    if (lastRoom >= 0)
        SetRoomList(image, stage, lastRoom);
    const std::array<int, 256> counts = UseCounts(image, ProgramStage(image, row));
    int total = 0;
    for (int block = 0; block < 256; ++block) {
        QCOMPARE(counts[std::size_t(block)], int(CellsHolding(image, stage, block).size()));
        total += counts[std::size_t(block)];
    }
    QCOMPARE(total, (ListedLastRoom(image, stage) + 1) * 192);
    QCOMPARE(StageRoomCount(ProgramStage(image, row), image), ListedLastRoom(image, stage) + 1);
}

void TestBlockUsage::findOrder_data()
{
    QTest::addColumn<int>("lastRoom");
    QTest::addColumn<Cells>("planted");
    QTest::addColumn<int>("startRoom");
    QTest::addColumn<Cells>("expected"); // the cells found by successive searches
    QTest::newRow("row before column") << 9 << Cells{{3, 4, 9}, {3, 4, 2}, {3, 5, 0}} << 3
                                       << Cells{{3, 4, 2}, {3, 4, 9}, {3, 5, 0}, {3, 4, 2}};
    QTest::newRow("wraps to earlier rooms") << 9 << Cells{{0, 11, 15}, {2, 0, 5}} << 1
                                            << Cells{{2, 0, 5}, {0, 11, 15}, {2, 0, 5}};
    QTest::newRow("first cell of the start room counts") << 9 << Cells{{1, 0, 0}} << 1 << Cells{{1, 0, 0}, {1, 0, 0}};
    QTest::newRow("room above 169") << 200 << Cells{{200, 0, 1}, {5, 5, 5}} << 6 << Cells{{200, 0, 1}, {5, 5, 5}};
    QTest::newRow("rooms past the list are not searched") << 4 << Cells{{6, 0, 0}} << 0 << Cells{};
    QTest::newRow("not used") << 9 << Cells{} << 0 << Cells{};
}

void TestBlockUsage::findOrder()
{
    QFETCH(int, lastRoom);
    QFETCH(Cells, planted);
    QFETCH(int, startRoom);
    QFETCH(Cells, expected);
    std::vector<std::uint8_t> image = DemoBytes();
    const WrittenOutStage stage(DemoLayout::Plain, 2);
    SetRoomList(image, stage, std::max(lastRoom, 9));
    PlantBlock(image, stage, 0x47, 0x48, planted);
    SetRoomList(image, stage, lastRoom);
    const StageInfo info = ProgramStage(image, 2);
    int from = CellPosition{startRoom, 0, 0}.index();
    for (const CellPosition& cell : expected) {
        const std::optional<CellPosition> found = FindUse(image, info, 0x47, from);
        QVERIFY(found.has_value());
        QCOMPARE(found->index(), cell.index());
        from = found->index() + 1;
    }
    if (expected.empty())
        QVERIFY(!FindUse(image, info, 0x47, from).has_value());
}

void TestBlockUsage::changedCells()
{
    const std::vector<std::uint8_t> opened = DemoBytes();
    std::vector<std::uint8_t> image = opened;
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const StageInfo info = ProgramStage(image, 0);
    image[std::size_t(stage.cell(2, 0, 0))] ^= 0xFF;
    image[std::size_t(stage.cell(2, 11, 15))] ^= 0x01;
    image[std::size_t(stage.cell(3, 0, 0) - 0)] = opened[std::size_t(stage.cell(3, 0, 0))]; // written, not changed
    image[std::size_t(stage.tiles)] ^= 0xFF;                                                   // not a room byte

    RoomCells expected;
    expected.set(0).set(191);
    QCOMPARE(ChangedCells(image, opened, info, 2), expected);
    QVERIFY(ChangedCells(image, opened, info, 3).none());
    // Put back as opened: no longer a change.
    image[std::size_t(stage.cell(2, 0, 0))] = opened[std::size_t(stage.cell(2, 0, 0))];
    QCOMPARE(ChangedCells(image, opened, info, 2), RoomCells().set(191));
    const RoomMarks marks = MarksOfRoom(image, opened, info, 2, {true, -1, CellPosition{2, 1, 1}});
    QCOMPARE(marks.changed, RoomCells().set(191));
    QCOMPARE(marks.found, 17);
    QVERIFY(marks.uses.none());
}

void TestBlockUsage::changedBytes()
{
    ChangedBytes bytes;
    QVERIFY(!bytes.Intersects(0, 1000));
    for (std::int64_t offset = 100; offset < 110; ++offset)
        bytes.Add(offset, 1); // one byte at a time, as edits report them
    bytes.Add(50, 2);         // out of order
    bytes.Add(500, 0);        // nothing
    QVERIFY(bytes.Intersects(109, 110));
    QVERIFY(!bytes.Intersects(110, 500));
    QVERIFY(bytes.Intersects(51, 52));
    QVERIFY(!bytes.Intersects(52, 100));
    QVERIFY(bytes.Intersects(0, 1000));
    bytes.Clear();
    QVERIFY(bytes.empty());
}

void TestBlockUsage::touchedRooms_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("what");
    const QStringList kinds = {QStringLiteral("room cell"),     QStringLiteral("tile number"),
                               QStringLiteral("attribute"),     QStringLiteral("palette colour"),
                               QStringLiteral("low tile"),      QStringLiteral("high tile of row 0"),
                               QStringLiteral("own high tile"), QStringLiteral("other stage"),
                               QStringLiteral("room list")};
    for (int row : {3, 8})
        for (const QString& kind : kinds)
            QTest::newRow(qPrintable(QStringLiteral("stage row %1 %2").arg(row).arg(kind))) << row << kind;
}

void TestBlockUsage::touchedRooms()
{
    QFETCH(int, row);
    QFETCH(QString, what);
    std::vector<std::uint8_t> image = DemoBytes();
    const StageTable table = *StagesForLength(image.size());
    const WrittenOutStage stage(DemoLayout::Plain, row);
    const WrittenOutStage rowZero(DemoLayout::Plain, 0);
    const int block = image[std::size_t(stage.cell(1, 5, 5))];
    const auto tileOf = [&](int b, int k) { return int{image[std::size_t(stage.tiles + 4 * b + k)]}; };
    const auto usesTile = [&](int tile) {
        return [&, tile](int b) { return tileOf(b, 0) == tile || tileOf(b, 1) == tile || tileOf(b, 2) == tile || tileOf(b, 3) == tile; };
    };
    const int lowTile = tileOf(block, 0) & 0x7F;
    int highTile = 0x90; // one that rooms of the stage use, where there is one
    for (int cell = 0; cell < 192 * 2; ++cell)
        for (int k = 0; k < 4; ++k)
            if (tileOf(image[std::size_t(stage.rooms + cell)], k) >= 0x80)
                highTile = tileOf(image[std::size_t(stage.rooms + cell)], k);
    std::int64_t offset = 0;
    RoomSet expected;
    bool listTouched = false;
    if (what == QLatin1String("room cell")) {
        offset = stage.cell(2, 0, 7);
        expected.set(2);
    } else if (what == QLatin1String("tile number") || what == QLatin1String("attribute")) {
        offset = what == QLatin1String("attribute") ? stage.attributes + block : stage.tiles + 4 * block + 2;
        expected = RoomsWithBlock(image, stage, [block](int b) { return b == block; });
    } else if (what == QLatin1String("palette colour")) {
        const int palette = image[std::size_t(stage.attributes + block)] & 3;
        offset = stage.palettes + 4 * palette + 1;
        expected = RoomsWithBlock(image, stage, [&](int b) { return (image[std::size_t(stage.attributes + b)] & 3) == palette; });
    } else if (what == QLatin1String("low tile")) {
        offset = stage.tileData + 16 * lowTile + 3;
        expected = RoomsWithBlock(image, stage, usesTile(lowTile));
    } else if (what == QLatin1String("high tile of row 0") || what == QLatin1String("own high tile")) {
        // Rows 0..7 read tiles 0x80..0xFF from row 0's set; row 8 from its own.
        const bool own = what == QLatin1String("own high tile");
        offset = (own ? stage.tileData : rowZero.tileData) + 16 * highTile + 9;
        if (own == (row == 8))
            expected = RoomsWithBlock(image, stage, usesTile(highTile));
    } else if (what == QLatin1String("other stage")) {
        offset = WrittenOutStage(DemoLayout::Plain, row == 3 ? 4 : 7).cell(0, 0, 0);
    } else {
        offset = stage.roomList + 39;
        listTouched = true;
    }
    const int last = ListedLastRoom(image, stage);
    std::vector<QImage> before;
    for (int room = 0; room <= last; ++room) {
        RenderFaults faults;
        before.push_back(RoomImage({image, table, row}, room, 1, faults));
    }
    image[std::size_t(offset)] ^= 0x55;
    ChangedBytes changed;
    changed.Add(offset, 1);
    const StageSource source{image, table, row};
    QCOMPARE(TouchedRooms(source, last, changed), expected);
    QCOMPARE(RoomListTouched(source, changed), listTouched);
    // Every room whose picture changed is among them.
    for (int room = 0; room <= last; ++room) {
        RenderFaults faults;
        if (RoomImage(source, room, 1, faults) != before[std::size_t(room)])
            QVERIFY2(expected.test(std::size_t(room)), qPrintable(QStringLiteral("room %1 changed").arg(room)));
    }
}

void TestBlockUsage::marksOnTheirCells_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("level view, scale 2") << 2;
    QTest::newRow("overview, scale 1") << 1;
}

void TestBlockUsage::marksOnTheirCells()
{
    QFETCH(int, scale);
    const std::vector<std::uint8_t> image = DemoBytes();
    RenderFaults faults;
    const QImage plain = RoomImage({image, *StagesForLength(image.size()), 0}, 1, scale, faults);
    RoomMarks marks;
    marks.uses.set(0).set(17);
    marks.changed.set(17).set(191);
    marks.found = 100;
    QImage marked = plain.copy();
    DrawRoomMarks(ViewOf(marked), 0, 0, scale, marks);

    const int side = 16 * scale;
    const auto pixel = [&](const QImage& picture, int cell, int dx, int dy) {
        return Rgb(picture, (cell % 16) * side + dx, (cell / 16) * side + dy);
    };
    // Only marked cells change, and in each the middle of the block stays.
    for (int cell = 0; cell < 192; ++cell) {
        const bool markedCell = cell == 0 || cell == 17 || cell == 191 || cell == 100;
        for (int dy = 0; dy < side; ++dy)
            for (int dx = 0; dx < side; ++dx)
                if (!markedCell || (dx >= 4 * scale && dx < 8 * scale && dy >= 6 * scale && dy < 10 * scale))
                    QCOMPARE(pixel(marked, cell, dx, dy), pixel(plain, cell, dx, dy));
    }
    // A use: yellow ring, black inside it, on each side.
    for (int cell : {0, 17}) {
        QCOMPARE(pixel(marked, cell, scale - 1, side / 2), kUseMarkColour);
        QCOMPARE(pixel(marked, cell, scale, side / 2), kMarkEdgeColour);
        QCOMPARE(pixel(marked, cell, side / 2, side - scale), kUseMarkColour);
    }
    // A change: the red corner, edged in black, the cell below the triangle untouched.
    const int legs = ChangeMarkLegs(scale);
    QCOMPARE(pixel(marked, 191, side - 1, 0), kChangeMarkColour);
    QCOMPARE(pixel(marked, 191, side - legs - 1, 0), kMarkEdgeColour);
    QCOMPARE(pixel(marked, 191, side - 1, legs), pixel(plain, 191, side - 1, legs));
    // The found cell: white on the edge, black inside.
    QCOMPARE(pixel(marked, 100, 0, side / 2), kFoundMarkColour);
    QCOMPARE(pixel(marked, 100, scale, side / 2), kMarkEdgeColour);
    // Drawing the marks again changes nothing.
    QImage twice = marked.copy();
    DrawRoomMarks(ViewOf(twice), 0, 0, scale, marks);
    QCOMPARE(twice, marked);
}

QTEST_MAIN(TestBlockUsage)
#include "test_blockusage.moc"
