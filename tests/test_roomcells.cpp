// The cell rules behind painting, without a window: the line a fast stroke
// covers, the area a fill reaches, a paste clipped at the room's edges, the
// clipboard's two forms, all-or-none writes, and named undo steps.

#include "data/CellClipboard.h"
#include "data/EditHistory.h"
#include "data/Level.h"
#include "data/RoomCells.h"

#include <QRegularExpression>
#include <QTest>

#include <cstdlib>

using namespace quorvan;

Q_DECLARE_METATYPE(CellPos)

namespace {

using Cells = std::vector<CellPos>;

// A room of one block with a few others drawn in: "x,y=b" pairs.
RoomBlocks Room(int fill, const QString& others = {})
{
    RoomBlocks blocks;
    blocks.fill(fill);
    for (const QString& item : others.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QRegularExpression(QStringLiteral("[,=]")));
        blocks[static_cast<std::size_t>(parts[1].toInt() * kRoomColumns + parts[0].toInt())] = parts[2].toInt();
    }
    return blocks;
}

CellBlock Block(int columns, int rows)
{
    CellBlock cells{columns, rows, {}};
    for (int i = 0; i < columns * rows; ++i)
        cells.blocks.push_back(static_cast<std::uint8_t>(0x10 + i));
    return cells;
}

} // namespace

class TestRoomCells : public QObject {
    Q_OBJECT
private slots:
    void lineCells_data();
    void lineCells();
    void lineFarOutsideStaysSmall();
    void fillArea_data();
    void fillArea();
    void pasteClipsAtEachEdge_data();
    void pasteClipsAtEachEdge();
    void textBothWays();
    void malformedText_data();
    void malformedText();
    void ownFormat_data();
    void ownFormat();
    void writesAreAllOrNone();
    void stepNames();
};

void TestRoomCells::lineCells_data()
{
    QTest::addColumn<CellPos>("from");
    QTest::addColumn<CellPos>("to");
    QTest::addColumn<QString>("expected"); // "c,r c,r ..." or empty: only checked for shape
    QTest::newRow("one cell") << CellPos{3, 4} << CellPos{3, 4} << "3,4";
    QTest::newRow("diagonal") << CellPos{0, 0} << CellPos{3, 3} << "0,0 1,1 2,2 3,3";
    QTest::newRow("diagonal backwards") << CellPos{5, 1} << CellPos{2, 4} << "5,1 4,2 3,3 2,4";
    QTest::newRow("shallow") << CellPos{0, 0} << CellPos{4, 2} << "0,0 1,1 2,1 3,2 4,2";
    QTest::newRow("steep") << CellPos{2, 0} << CellPos{3, 5} << "";
    QTest::newRow("across the room") << CellPos{0, 11} << CellPos{15, 0} << "";
    QTest::newRow("leaving the room on the right") << CellPos{14, 5} << CellPos{18, 7} << "14,5 15,6 16,6 17,7 18,7";
    QTest::newRow("coming in from above the left") << CellPos{-2, -2} << CellPos{1, 1} << "-2,-2 -1,-1 0,0 1,1";
}

void TestRoomCells::lineCells()
{
    QFETCH(CellPos, from);
    QFETCH(CellPos, to);
    QFETCH(QString, expected);
    const Cells line = LineCells(from, to);
    QCOMPARE(line.front(), from);
    QCOMPARE(line.back(), to);
    // No cell skipped: each touches the one before by a side or a corner, one step at a time.
    QCOMPARE(int(line.size()), std::max(std::abs(to.column - from.column), std::abs(to.row - from.row)) + 1);
    for (std::size_t i = 1; i < line.size(); ++i) {
        QVERIFY(std::abs(line[i].column - line[i - 1].column) <= 1);
        QVERIFY(std::abs(line[i].row - line[i - 1].row) <= 1);
    }
    if (expected.isEmpty())
        return;
    QStringList shown;
    for (const CellPos cell : line)
        shown << QStringLiteral("%1,%2").arg(cell.column).arg(cell.row);
    QCOMPARE(shown.join(QLatin1Char(' ')), expected);
}

void TestRoomCells::lineFarOutsideStaysSmall()
{
    // A pointer a million cells away: the line is cut back, and still crosses
    // the room where the whole line does.
    const Cells line = LineCells({-1000000, 5}, {1000000, 5});
    QVERIFY(line.size() < 1000);
    int inside = 0;
    for (const CellPos cell : line)
        inside += kWholeRoom.contains(cell) ? 1 : 0;
    QCOMPARE(inside, kRoomColumns);
    QVERIFY(LineCells({-1000000, -1000000}, {-999999, 1000000}).empty()); // nowhere near the room
}

void TestRoomCells::fillArea_data()
{
    QTest::addColumn<QString>("room"); // other blocks on a room of block 0
    QTest::addColumn<CellPos>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("excluded"); // cells that must not be in the area
    QTest::newRow("a room of one block") << "" << CellPos{4, 4} << 192 << "";
    QTest::newRow("a diagonal neighbour is not filled")
        << "1,0=5 0,1=5 1,1=7" << CellPos{0, 0} << 1 << "1,1";
    QTest::newRow("a wall across the room") << "3,0=9 3,1=9 3,2=9 3,3=9 3,4=9 3,5=9 3,6=9 3,7=9 3,8=9 3,9=9 3,10=9 3,11=9"
                                            << CellPos{0, 5} << 36 << "4,5";
    QTest::newRow("start on the wall") << "3,0=9 3,1=9 4,1=9 5,2=9" << CellPos{3, 0} << 3 << "5,2";
    QTest::newRow("cells past the end of the image are walls") << "0,11=-1 1,11=-1" << CellPos{0, 10} << 190 << "0,11";
    QTest::newRow("a start past the end of the image fills nothing") << "5,5=-1" << CellPos{5, 5} << 0 << "";
    QTest::newRow("a start outside the room fills nothing") << "" << CellPos{16, 0} << 0 << "";
}

void TestRoomCells::fillArea()
{
    QFETCH(QString, room);
    QFETCH(CellPos, start);
    QFETCH(int, count);
    QFETCH(QString, excluded);
    const RoomBlocks blocks = Room(0, room);
    const Cells area = FillArea(blocks, start);
    QCOMPARE(int(area.size()), count);
    for (const CellPos cell : area)
        QCOMPARE(blocks[static_cast<std::size_t>(cell.row * kRoomColumns + cell.column)],
                 blocks[static_cast<std::size_t>(start.row * kRoomColumns + start.column)]);
    for (const QString& item : excluded.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const CellPos cell{item.section(QLatin1Char(','), 0, 0).toInt(), item.section(QLatin1Char(','), 1, 1).toInt()};
        QVERIFY2(std::find(area.begin(), area.end(), cell) == area.end(), qPrintable(item));
    }
}

void TestRoomCells::pasteClipsAtEachEdge_data()
{
    QTest::addColumn<CellPos>("at");
    QTest::addColumn<int>("count");
    QTest::addColumn<CellPos>("firstCell");
    QTest::addColumn<int>("firstBlock"); // the block the first written cell gets
    // A 4 x 3 block (0x10 .. 0x1B, row by row).
    QTest::newRow("inside") << CellPos{2, 3} << 12 << CellPos{2, 3} << 0x10;
    QTest::newRow("left edge") << CellPos{-1, 0} << 9 << CellPos{0, 0} << 0x11;
    QTest::newRow("right edge") << CellPos{14, 0} << 6 << CellPos{14, 0} << 0x10;
    QTest::newRow("top edge") << CellPos{0, -2} << 4 << CellPos{0, 0} << 0x18;
    QTest::newRow("bottom edge") << CellPos{0, 10} << 8 << CellPos{0, 10} << 0x10;
    QTest::newRow("bottom-right corner") << CellPos{15, 11} << 1 << CellPos{15, 11} << 0x10;
    QTest::newRow("wholly outside") << CellPos{16, 0} << 0 << CellPos{} << 0;
}

void TestRoomCells::pasteClipsAtEachEdge()
{
    QFETCH(CellPos, at);
    QFETCH(int, count);
    QFETCH(CellPos, firstCell);
    QFETCH(int, firstBlock);
    const CellBlock cells = Block(4, 3);
    const std::vector<CellWrite> writes = PasteWrites(cells, at);
    QCOMPARE(int(writes.size()), count);
    for (const CellWrite& write : writes) {
        QVERIFY(kWholeRoom.contains(write.cell));
        QCOMPARE(write.block, cells.at(write.cell.column - at.column, write.cell.row - at.row));
    }
    if (count > 0) {
        QCOMPARE(writes.front().cell, firstCell);
        QCOMPARE(int(writes.front().block), firstBlock);
    }
}

void TestRoomCells::textBothWays()
{
    const CellBlock cells{3, 2, {0x00, 0x0A, 0xFF, 0x35, 0x7E, 0x01}};
    QCOMPARE(CellsToText(cells), QStringLiteral("00 0A FF\n35 7E 01\n"));
    const CellsText back = ParseCellsText(CellsToText(cells));
    QVERIFY2(back.ok(), qPrintable(back.error));
    QCOMPARE(back.cells, cells);
    // What people and other programs make of it: lower case, tabs, CRLF, blank lines around.
    const CellsText loose = ParseCellsText(QStringLiteral("\r\n  00\t0a  ff \r\n35 7e 01\r\n\r\n"));
    QVERIFY2(loose.ok(), qPrintable(loose.error));
    QCOMPARE(loose.cells, cells);
    // A whole room survives both ways.
    CellBlock room{16, 12, {}};
    for (int i = 0; i < 192; ++i)
        room.blocks.push_back(static_cast<std::uint8_t>(i * 7));
    QCOMPARE(ParseCellsText(CellsToText(room)).cells, room);
}

void TestRoomCells::malformedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("empty") << "" << "no numbers";
    QTest::newRow("only blanks") << " \n\t\n" << "no numbers";
    QTest::newRow("one digit") << "0A B 01" << "Line 1, number 2";
    QTest::newRow("three digits") << "0A 0B\n0C 100" << "Line 2, number 2";
    QTest::newRow("not hexadecimal") << "0G" << "\"0G\"";
    QTest::newRow("a prefix") << "0x0A" << "\"0x0A\"";
    QTest::newRow("commas") << "0A,0B" << "\"0A,0B\"";
    QTest::newRow("rows of different lengths") << "00 01 02\n03 04" << "Line 2 has 2 numbers";
    QTest::newRow("a row of one number") << "00 01\n02" << "Line 2 has 1 number,";
    QTest::newRow("wider than a room") << QString(QStringLiteral("00 ")).repeated(17) << "16 blocks wide";
    QTest::newRow("higher than a room") << QString(QStringLiteral("00\n")).repeated(13) << "12 blocks high";
    QTest::newRow("a blank line between rows") << "00 01\n\n02 03" << "Line 2 is empty";
    QTest::newRow("a long word") << "Dear diary, today I" << "\"Dear\"";
}

void TestRoomCells::malformedText()
{
    QFETCH(QString, text);
    QFETCH(QString, mentions);
    const CellsText parsed = ParseCellsText(text);
    QVERIFY(!parsed.ok());
    QVERIFY2(parsed.error.contains(mentions), qPrintable(parsed.error));
    QVERIFY(!parsed.cells.valid());
}

void TestRoomCells::ownFormat_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("accepted");
    const QByteArray good = EncodeCells(Block(4, 3));
    QTest::newRow("as written") << good << true;
    QTest::newRow("one byte short") << good.chopped(1) << false;
    QTest::newRow("one byte more") << good + '\0' << false;
    QTest::newRow("another magic") << QByteArray(good).replace(0, 1, "X") << false;
    QTest::newRow("no columns") << QByteArray("QVCELLS\x01\x00\x03", 10) << false;
    QTest::newRow("17 columns") << QByteArray("QVCELLS\x01\x11\x01", 10) + QByteArray(17, '\0') << false;
    QTest::newRow("13 rows") << QByteArray("QVCELLS\x01\x01\x0D", 10) + QByteArray(13, '\0') << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestRoomCells::ownFormat()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, accepted);
    const std::optional<CellBlock> cells = DecodeCells(data);
    QCOMPARE(cells.has_value(), accepted);
    if (accepted)
        QCOMPARE(*cells, Block(4, 3));
}

void TestRoomCells::writesAreAllOrNone()
{
    // A room whose last 42 cells lie past the end of a 300-byte image.
    RomBuffer image;
    image.replace(std::vector<std::uint8_t>(300, 0x22));
    StageInfo stage;
    stage.RoomData = 150;
    const std::vector<CellWrite> straddling = PasteWrites(Block(4, 3), {12, 8});
    const RoomWriteResult refused = WriteRoomCells(image, stage, 0, straddling);
    QVERIFY(!refused.ok());
    QCOMPARE(refused.outside, 8); // rows 9 and 10 (cells 150 on), none of row 8
    QVERIFY(!image.modified());
    QVERIFY(!ReadRoomCells(image, stage, 0, {12, 8, 4, 3}).has_value());

    // Inside the image: only the cells that differ are written.
    const std::vector<CellWrite> inside = FillWrites({0, 0, 4, 2}, 0x22);
    QCOMPARE(WriteRoomCells(image, stage, 0, inside).written, 0);
    QVERIFY(!image.modified());
    const RoomWriteResult written = WriteRoomCells(image, stage, 0, PasteWrites(Block(4, 3), {0, 0}));
    QCOMPARE(written.written, 12);
    QCOMPARE(ReadRoomCells(image, stage, 0, {0, 0, 4, 3}), std::optional<CellBlock>(Block(4, 3)));
}

void TestRoomCells::stepNames()
{
    RomBuffer image;
    image.replace(std::vector<std::uint8_t>(64, 0));
    EditHistory history(image);
    const EditPlace room{2, 5, -1};
    QCOMPARE(history.undoName(), QString());

    // The outermost gesture names the step; a click that became a drag renames it.
    history.BeginStep(QStringLiteral("Place Block"), room);
    image.write(1, 1);
    history.BeginStep(QStringLiteral("Inner"), {});
    image.write(2, 1);
    history.EndStep();
    QCOMPARE(history.undoName(), QStringLiteral("Place Block"));
    history.NameStep(QStringLiteral("Paint"), room);
    history.EndStep();
    QCOMPARE(history.undoName(), QStringLiteral("Paint"));
    QCOMPARE(history.undoPlace(), room);

    // A write outside any step has no name; a named step that wrote nothing is no step.
    image.write(3, 1);
    QCOMPARE(history.undoName(), QString());
    {
        EditStep nothing(history, QStringLiteral("Fill"), room);
    }
    QCOMPARE(history.undoCount(), std::size_t{2});
    {
        EditStep unnamed(history); // as older callers do
        image.write(4, 1);
    }
    QCOMPARE(history.undoName(), QString());

    // Undo and redo move the names along.
    QVERIFY(history.Undo());
    QVERIFY(history.Undo());
    QCOMPARE(history.undoName(), QStringLiteral("Paint"));
    QCOMPARE(history.redoName(), QString());
    QVERIFY(history.Undo());
    QCOMPARE(history.redoName(), QStringLiteral("Paint"));
    QCOMPARE(history.redoPlace(), room);
    QCOMPARE(history.undoName(), QString());
    QCOMPARE(history.undoPlace(), EditPlace{});
}

QTEST_APPLESS_MAIN(TestRoomCells)
#include "test_roomcells.moc"
