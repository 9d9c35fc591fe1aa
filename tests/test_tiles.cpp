// The tiles of a stage as the tile sheet edits them: pixel writes, the shared
// set, the info text, the sheet's pictures and tile sets read back. Bytes are
// checked through the reference renderer's tile decoding (TilePixel), pictures
// against its drawing.

#include "data/ByteWrites.h"
#include "graphics/StageTiles.h"
#include "graphics/TileSetFile.h"
#include "graphics/TileSheet.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

StageTable TableOf(const ImageData& image)
{
    return *StagesForLength(image.size());
}

ImageData Applied(ImageData image, const ByteWrites& writes)
{
    if (!WriteBytes(image, writes))
        image.clear(); // the comparisons that follow fail
    return image;
}

QByteArray PngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

std::span<const std::uint8_t> Span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

} // namespace

class TestTiles : public QObject {
    Q_OBJECT
private slots:
    void pixelWrites_data();
    void pixelWrites();
    void sharedSet_data();
    void sharedSet();
    void info_data();
    void info();
    void pictures_data();
    void pictures();
    void roundTrips_data();
    void roundTrips();
    void refusals_data();
    void refusals();
};

void TestTiles::pixelWrites_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("tile");
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::addColumn<int>("value");
    QTest::newRow("value 1 is plane 0 alone") << 2 << 0x10 << QList<QPoint>{{1, 2}} << 1;
    QTest::newRow("value 2 is plane 1 alone") << 2 << 0x10 << QList<QPoint>{{6, 5}} << 2;
    QTest::newRow("value 3 at the left edge") << 2 << 0x10 << QList<QPoint>{{0, 7}} << 3;
    QTest::newRow("value 0 at the right edge") << 2 << 0x10 << QList<QPoint>{{7, 0}} << 0;
    QList<QPoint> line;
    for (const CellPos& cell : LineCells({0, 0}, {7, 3}))
        line.append({cell.column, cell.row});
    QTest::newRow("a stroke's line in stage 9's tile 0x90") << 8 << 0x90 << line << 2;
    QTest::newRow("positions outside the tile are passed over") << 0 << 0xFF << QList<QPoint>{{-1, 3}, {8, 0}, {3, 3}}
                                                                << 1;
}

void TestTiles::pixelWrites()
{
    QFETCH(int, stage);
    QFETCH(int, tile);
    QFETCH(QList<QPoint>, pixels);
    QFETCH(int, value);
    ImageData image = DemoBytes();
    // Every pixel starts with the other bit 0, so that each painted one must change.
    const std::int64_t start = TileStart(image, stage, tile);
    for (int i = 0; i < 8; ++i) {
        image[static_cast<std::size_t>(start + i)] = (value & 1) ? 0x00 : 0xFF;
        image[static_cast<std::size_t>(start + 8 + i)] = static_cast<std::uint8_t>(0x1B * (i + 1));
    }
    std::vector<CellPos> cells;
    for (const QPoint& p : pixels)
        cells.push_back({p.x(), p.y()});
    const ByteWrites writes = PixelWrites(image, TableOf(image), stage, tile, cells, value);
    for (const ByteWrite& w : writes) { // only the tile's bytes, only where they change
        QVERIFY(w.offset >= start && w.offset < start + 16);
        QVERIFY(image[static_cast<std::size_t>(w.offset)] != w.value);
    }
    const ImageData after = Applied(image, writes);
    const std::vector<int> was = TileValues(image, stage, tile);
    const std::vector<int> now = TileValues(after, stage, tile);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            QVERIFY2(now[static_cast<std::size_t>(y * 8 + x)] ==
                         (pixels.contains(QPoint(x, y)) ? value : was[static_cast<std::size_t>(y * 8 + x)]),
                     qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
}

void TestTiles::sharedSet_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("tile");
    QTest::addColumn<QList<int>>("showsIn"); // stage rows whose tile changes
    const QList<int> oneToEight{0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("tile 0x90 of stage 3 shows in stages 1 to 8") << 2 << 0x90 << oneToEight;
    QTest::newRow("tile 0xFF of stage 1 shows in stages 1 to 8") << 0 << 0xFF << oneToEight;
    QTest::newRow("tile 0x10 of stage 3 only in stage 3") << 2 << 0x10 << QList<int>{2};
    QTest::newRow("tile 0x90 of stage 9 only in stage 9") << 8 << 0x90 << QList<int>{8};
}

void TestTiles::sharedSet()
{
    QFETCH(int, stage);
    QFETCH(int, tile);
    QFETCH(QList<int>, showsIn);
    const ImageData image = DemoBytes();
    const StageTable stages = TableOf(image);
    TilePlanes inverted = *ReadTilePlanes(image, stages, stage, tile);
    for (std::uint8_t& byte : inverted)
        byte = static_cast<std::uint8_t>(~byte);
    const ByteWrites writes = TileWrites(image, stages, stage, tile, inverted);
    const ImageData after = Applied(image, writes);
    ChangedBytes changed;
    for (const ByteWrite& w : writes)
        changed.Add(w.offset, 1);
    // The tile changes where it shows, and the sheet of every such stage redraws it.
    for (int row = 0; row < 9; ++row) {
        const TileMask touched = SheetTilesTouched({after, stages, row}, 0, changed);
        for (int t = 0; t < 256; ++t) {
            const bool shows = t == tile && showsIn.contains(row);
            QVERIFY2((TileValues(image, row, t) != TileValues(after, row, t)) == shows &&
                         touched.test(static_cast<std::size_t>(t)) == shows,
                     qPrintable(QStringLiteral("stage %1 tile %2").arg(row + 1).arg(t)));
        }
    }
    QCOMPARE(TileInfo(image, stages, stage, tile).toQString().contains(QLatin1String("Shared by stages 1-8")),
             showsIn.size() == 8);
}

void TestTiles::info_data()
{
    QTest::addColumn<bool>("shifted");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("tile");
    QTest::addColumn<QString>("text");
    QTest::newRow("stage 3 tile 0C") << false << 2 << 0x0C << "Tile 0C  @ 0x2A8D0  Blocks 2";
    QTest::newRow("stage 3 tile 7F, named by no block") << false << 2 << 0x7F << "Tile 7F  @ 0x2B000  Blocks 0";
    QTest::newRow("stage 3 tile 90 of the shared set") << false << 2 << 0x90
                                                       << "Tile 90  @ 0x29910  Blocks 1  Shared by stages 1-8";
    QTest::newRow("stage 9 tile 90, its own") << false << 8 << 0x90 << "Tile 90  @ 0x2E910  Blocks 1";
    QTest::newRow("shifted layout") << true << 2 << 0x0C << "Tile 0C  @ 0x2AAD0  Blocks 2";
}

void TestTiles::info()
{
    QFETCH(bool, shifted);
    QFETCH(int, stage);
    QFETCH(int, tile);
    QFETCH(QString, text);
    ImageData image = DemoBytes(shifted ? DemoLayout::Shifted : DemoLayout::Plain);
    // Block 5 names tile 0C twice, block 9 once more and block 200 names tile 90.
    const auto blocks = static_cast<std::size_t>(StageRow(image, stage).BlockTiles);
    std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(blocks), 1024, std::uint8_t{0});
    for (const auto& [block, k, number] : {std::tuple{5, 0, 0x0C}, {5, 3, 0x0C}, {9, 1, 0x0C}, {200, 2, 0x90}})
        image[blocks + static_cast<std::size_t>(4 * block + k)] = static_cast<std::uint8_t>(number);
    QCOMPARE(TileInfo(image, TableOf(image), stage, tile).toQString(), text);
}

void TestTiles::pictures_data()
{
    QTest::addColumn<bool>("shifted");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("palette");
    QTest::addColumn<int>("colour2"); // colour number given to value 2 first; -1 keeps the image's
    QTest::newRow("stage 1 palette 0") << false << 0 << 0 << -1;
    QTest::newRow("stage 5 palette 3") << false << 4 << 3 << -1;
    QTest::newRow("stage 9 palette 2") << false << 8 << 2 << -1;
    QTest::newRow("shifted stage 4 palette 1") << true << 3 << 1 << -1;
    QTest::newRow("a colour number above 63") << false << 1 << 1 << 0x7F;
}

void TestTiles::pictures()
{
    QFETCH(bool, shifted);
    QFETCH(int, stage);
    QFETCH(int, palette);
    QFETCH(int, colour2);
    ImageData image = DemoBytes(shifted ? DemoLayout::Shifted : DemoLayout::Plain);
    if (colour2 >= 0)
        image[static_cast<std::size_t>(StageRow(image, stage).Palettes + 4 * palette + 2)] =
            static_cast<std::uint8_t>(colour2);
    const StageTable stages = TableOf(image);
    const StageSource source{image, stages, stage};
    RenderFaults faults;

    const QImage expected = WithGrid(ReferenceTileSheet(image, stage, palette, 2), 16);
    QImage sheet(256, 256, QImage::Format_RGB32);
    QVERIFY(DrawTileSheet(ViewOf(sheet), source, palette, faults));
    QCOMPARE(PixelsDiffering(sheet, expected), qint64{0});

    // Only the cell asked for is drawn again, grid lines included.
    sheet.fill(0x123456);
    QVERIFY(DrawSheetTiles(ViewOf(sheet), source, palette, TileMask().set(0x9C), faults));
    const QRect cell(0x9C % 16 * 16, 0x9C / 16 * 16, 16, 16);
    QCOMPARE(PixelsDiffering(sheet.copy(cell), expected.copy(cell)), qint64{0});
    QCOMPARE(PixelsDiffering(sheet, expected), qint64{256 * 256 - 16 * 16});

    QImage zoom(128, 128, QImage::Format_RGB32);
    QImage zoomExpected(128, 128, QImage::Format_RGB32);
    DrawReferenceTile(zoomExpected, image, stage, palette, 0x9C, 16, 0, 0);
    QVERIFY(DrawTileZoom(ViewOf(zoom), source, palette, 0x9C, faults));
    QCOMPARE(PixelsDiffering(zoom, WithGrid(zoomExpected, 16)), qint64{0});
    QCOMPARE(faults.badColourPixels > 0, colour2 > 63);
}

void TestTiles::roundTrips_data()
{
    QTest::addColumn<bool>("chr");
    QTest::addColumn<int>("into");
    QTest::addColumn<bool>("shared"); // tiles 0x80..0xFF of stages 1..8 change
    QTest::newRow("png of stage 9 into stage 3") << false << 2 << true;
    QTest::newRow("chr of stage 9 into stage 1") << true << 0 << true;
    QTest::newRow("png of stage 9 into itself") << false << 8 << false;
}

void TestTiles::roundTrips()
{
    QFETCH(bool, chr);
    QFETCH(int, into);
    QFETCH(bool, shared);
    const ImageData image = DemoBytes();
    const StageTable stages = TableOf(image);
    const TileSetFormat format = chr ? TileSetFormat::Chr : TileSetFormat::Png;
    RenderFaults faults;
    const TileColours colours = SheetColours({image, stages, 8}, 3, faults);
    const QByteArray file = *EncodeTileSet(format, *ReadStageTiles({image, stages, 8}), colours);
    const TileSetRead read = ParseTileSet(format, Span(file), colours);
    QVERIFY2(read.ok(), qPrintable(read.error));
    const TileSetImport import = *TileSetWrites({image, stages, into}, read.tiles);
    const ImageData after = Applied(image, import.writes);
    for (int t = 0; t < 256; ++t) {
        QVERIFY(TileValues(after, into, t) == TileValues(image, 8, t));
        QCOMPARE(import.changed.test(static_cast<std::size_t>(t)), TileValues(image, into, t) != TileValues(image, 8, t));
    }
    QCOMPARE(import.sharedChanged, shared);
}

void TestTiles::refusals_data()
{
    QTest::addColumn<bool>("chr");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QImage good(128, 128, QImage::Format_RGB32);
    good.fill(0x808080);
    QImage picture = good;
    QTest::newRow("chr of 4,000 bytes") << true << QByteArray(4000, 0)
                                        << "it has 4,000 bytes; a CHR tile set has exactly 4,096 bytes.";
    QTest::newRow("not a png") << false << QByteArray("GIF89a....") << "it is not a PNG picture.";
    QTest::newRow("png of 64 x 64") << false << PngOf(good.scaled(64, 64)) << "it is 64 x 64 pixels";
    picture.setPixel(5, 0, 0xFFFFFF);
    QTest::newRow("colour of two values") << false << PngOf(picture)
                                          << "x 5, y 0: #FFFFFF is the colour of both values 2 and 3";
    QImage seeThrough = good.convertToFormat(QImage::Format_ARGB32);
    seeThrough.setPixel(3, 9, qRgba(0x80, 0x80, 0x80, 0x80));
    QTest::newRow("pixel not opaque") << false << PngOf(seeThrough) << "x 3, y 9: #808080 is not opaque";
}

void TestTiles::refusals()
{
    QFETCH(bool, chr);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    const TileColours colours{0x808080, 0x0077FF, 0xFFFFFF, 0xFFFFFF}; // values 2 and 3 share white
    const TileSetRead read = ParseTileSet(chr ? TileSetFormat::Chr : TileSetFormat::Png, Span(file), colours);
    QCOMPARE(read.status, TileSetRead::Status::Refused);
    QVERIFY2(read.error.contains(message), qPrintable(read.error));
}

QTEST_GUILESS_MAIN(TestTiles)
#include "test_tiles.moc"
