// Block usage and its search order, short images and which rooms an edit
// touched, without any window. Offsets and usage are
// worked out here from the stage table written out and a plain scan of the bytes.

#include "data/BlockUsage.h"
#include "data/CellInfo.h"
#include "data/ChangedBytes.h"
#include "data/Stages.h"
#include "graphics/Compositor.h"
#include "graphics/RoomDependencies.h"
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
    void pastTheEndOfAShortImage();
    void findOrder_data();
    void findOrder();
    void touchedRooms_data();
    void touchedRooms();
};

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
    QCOMPARE(BlockInfo(image, info, 0x35, 7).toQString(),
             QStringLiteral("Block 35  past the end of the image  used 7"));

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
    QVERIFY(!CellBlockAt(cut, info, 9, 0, 0));
    QVERIFY(ChangedCells(cut, listed, info, 5).none());
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
    QTest::newRow("first cell of the start room counts") << 9 << Cells{{1, 0, 0}} << 1
                                                         << Cells{{1, 0, 0}, {1, 0, 0}};
    QTest::newRow("room above 169") << 200 << Cells{{200, 0, 1}, {5, 5, 5}} << 6
                                    << Cells{{200, 0, 1}, {5, 5, 5}};
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

void TestBlockUsage::touchedRooms_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("what");
    for (int row : {3, 8})
        for (const char* what : {"room cell", "tile number", "attribute", "palette colour", "low tile",
                                 "high tile of row 0", "own high tile", "other stage", "room list"})
            QTest::newRow(qPrintable(QStringLiteral("stage row %1 %2").arg(row).arg(what))) << row << what;
}

void TestBlockUsage::touchedRooms()
{
    QFETCH(int, row);
    QFETCH(QString, what);
    std::vector<std::uint8_t> image = DemoBytes();
    const StageTable table = *StagesForLength(image.size());
    const WrittenOutStage stage(DemoLayout::Plain, row);
    const auto at = [&](std::int64_t offset) { return int{image[std::size_t(offset)]}; };
    const auto tileOf = [&](int b, int k) { return at(stage.tiles + 4 * b + k); };
    const auto usesTile = [&](int tile) {
        return [&, tile](int b) { return tileOf(b, 0) == tile || tileOf(b, 1) == tile || tileOf(b, 2) == tile ||
                                         tileOf(b, 3) == tile; };
    };
    const int block = at(stage.cell(1, 5, 5));
    const int palette = at(stage.attributes + block) & 3;
    int highTile = 0x90; // one that the stage's rooms use
    for (int cell = 0; cell < 2 * 192; ++cell)
        for (int k = 0; k < 4; ++k)
            highTile = tileOf(at(stage.rooms + cell), k) >= 0x80 ? tileOf(at(stage.rooms + cell), k) : highTile;
    const bool ownSet = row == 8; // rows 0..7 read tiles 0x80..0xFF from row 0's set
    const std::int64_t rowZeroTiles = WrittenOutStage(DemoLayout::Plain, 0).tileData;

    std::int64_t offset = stage.roomList + 39; // "room list"
    RoomSet expected;
    if (what == QLatin1String("room cell")) {
        offset = stage.cell(2, 0, 7);
        expected.set(2);
    } else if (what == QLatin1String("tile number") || what == QLatin1String("attribute")) {
        offset = what == QLatin1String("attribute") ? stage.attributes + block : stage.tiles + 4 * block + 2;
        expected = RoomsWithBlock(image, stage, [block](int b) { return b == block; });
    } else if (what == QLatin1String("palette colour")) {
        offset = stage.palettes + 4 * palette + 1;
        expected = RoomsWithBlock(image, stage, [&](int b) { return (at(stage.attributes + b) & 3) == palette; });
    } else if (what == QLatin1String("low tile")) {
        offset = stage.tileData + 16 * (tileOf(block, 0) & 0x7F) + 3;
        expected = RoomsWithBlock(image, stage, usesTile(tileOf(block, 0) & 0x7F));
    } else if (what == QLatin1String("high tile of row 0") || what == QLatin1String("own high tile")) {
        const bool own = what == QLatin1String("own high tile");
        offset = (own ? stage.tileData : rowZeroTiles) + 16 * highTile + 9;
        if (own == ownSet)
            expected = RoomsWithBlock(image, stage, usesTile(highTile));
    } else if (what == QLatin1String("other stage")) {
        offset = WrittenOutStage(DemoLayout::Plain, row == 3 ? 4 : 7).cell(0, 0, 0);
    }
    const int last = ListedLastRoom(image, stage);
    std::vector<QImage> before;
    RenderFaults faults;
    for (int room = 0; room <= last; ++room)
        before.push_back(RoomImage({image, table, row}, room, 1, faults));
    image[std::size_t(offset)] ^= 0x55;
    ChangedBytes changed;
    changed.Add(offset, 1);
    const StageSource source{image, table, row};
    QCOMPARE(TouchedRooms(source, last, changed), expected);
    QCOMPARE(RoomListTouched(source, changed), what == QLatin1String("room list"));
    // Every room whose picture changed is among them.
    for (int room = 0; room <= last; ++room)
        if (RoomImage(source, room, 1, faults) != before[std::size_t(room)])
            QVERIFY2(expected.test(std::size_t(room)), qPrintable(QStringLiteral("room %1 changed").arg(room)));
}

QTEST_MAIN(TestBlockUsage)
#include "test_blockusage.moc"
