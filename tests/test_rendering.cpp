// The tile renderer, block drawing, picture boxes and the drawing-fault notice.
// Expected pixels come from the little decoder below, written from the tile
// format itself, never from the renderer's output.

#include "demo/DemoImage.h"
#include "data/Stages.h"
#include "data/modGlobals.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "graphics/MemoryPicture.h"
#include "graphics/NesColours.h"
#include "graphics/clsNesTiles.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Tile = std::array<std::uint8_t, 16>;
using Colours = std::array<std::uint8_t, 4>;

// The tile format decoded by the tests' reference renderer.
int PixelValue(const Tile& t, int r, int c)
{
    return PlanePixel(t.data(), c, r);
}

std::uint32_t ColourOf(std::uint8_t number)
{
    return ColourOfNumber(number);
}

// Writes the tile the way the format describes, stopping at the buffer's end.
bool ReferenceDraw(std::vector<std::uint32_t>& buf, const Tile& t, const Colours& col, int x, int y, int s, int w)
{
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            for (int dy = 0; dy < s; ++dy)
                for (int dx = 0; dx < s; ++dx) {
                    const long e = long(y + r * s + dy) * w + x + c * s + dx;
                    if (e < 0 || e >= long(buf.size()))
                        return false;
                    buf[std::size_t(e)] = ColourOf(col[std::size_t(PixelValue(t, r, c))]);
                }
    return true;
}

Tile TileAt(std::int64_t offset)
{
    Tile t{};
    for (int i = 0; i < 16; ++i)
        t[std::size_t(i)] = RomImage[offset + i];
    return t;
}

void OpenDemo()
{
    const auto bytes = DemoBytes();
    Stages = *StagesForLength(bytes.size());
    RomImage.replace(bytes);
}

} // namespace

class TestRendering : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetGlobals(); }

    void colourTable_data();
    void colourTable();
    void initSurface_data();
    void initSurface();
    void notReadyDrawsNothing();
    void decodeTile_data();
    void decodeTile();
    void scaledPixelEntries();
    void faultyData_data();
    void faultyData();
    void renderPicShowsBufferUnchanged();
    void drawBlock_data();
    void drawBlock();
    void bitBlt_data();
    void bitBlt();
    void faultNotice();
};

void TestRendering::colourTable_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<uint>("rgb");
    const std::pair<int, uint> rows[] = {{0x00, 0x808080}, {0x01, 0x003DA6}, {0x0D, 0x000000}, {0x0E, 0x050505},
                                         {0x0F, 0x050505}, {0x16, 0xFF2200}, {0x1D, 0x212121}, {0x20, 0xFFFFFF},
                                         {0x2D, 0x5E5E5E}, {0x30, 0xFFFFFF}, {0x3C, 0x99FFFC}, {0x3F, 0x111111}};
    for (auto [n, rgb] : rows)
        QTest::newRow(qPrintable(QStringLiteral("colour 0x%1").arg(n, 2, 16, QLatin1Char('0')))) << n << rgb;
}

void TestRendering::colourTable()
{
    QFETCH(int, number);
    QFETCH(uint, rgb);
    QCOMPARE(NesPalette[std::size_t(number)], 0u); // zeros until the renderer exists
    clsNesTiles& tiles = EnsureNesTiles();
    QCOMPARE(tiles.Colours()[std::size_t(number)], rgb);
    QCOMPARE(NesPalette, tiles.Colours());
    QCOMPARE(std::count(NesPalette.begin(), NesPalette.end(), 0u), std::ptrdiff_t(1)); // 0x0D is the only pure black
    QCOMPARE(std::count(NesPalette.begin(), NesPalette.end(), kFaultColour), std::ptrdiff_t(0));
}

void TestRendering::initSurface_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("entries"); // -1: the set-up fails
    QTest::newRow("32x32") << 32 << 32 << 2883;
    QTest::newRow("128x128") << 128 << 128 << 48387;
    QTest::newRow("16x24") << 16 << 24 << 45 * 23;
    QTest::newRow("one pixel high") << 32 << 1 << -1;
    QTest::newRow("one pixel wide") << 1 << 32 << -1;
    QTest::newRow("2x2 cannot hold its pixels") << 2 << 2 << -1;
    QTest::newRow("empty") << 0 << 0 << -1;
}

void TestRendering::initSurface()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, entries);
    clsNesTiles tiles;
    MemoryPicture good(8, 8), picture(w, h);
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    QCOMPARE(tiles.Init(good, header, bits), false);
    const BitmapInfoHeader before = header;
    bits.assign(bits.size(), 7u);
    const bool failed = tiles.Init(picture, header, bits);
    QCOMPARE(failed, entries < 0);
    QCOMPARE(tiles.Ready(), !failed);
    if (failed) { // header and buffer untouched, drawing refused
        QCOMPARE(std::memcmp(&header, &before, sizeof header), 0);
        QCOMPARE(bits.size(), std::size_t(21 * 7));
        QCOMPARE(tiles.DrawTile(bits, Tile{}, 0, 1, 1, 1, 1, 0, 0, 1), false);
        QCOMPARE(std::count(bits.begin(), bits.end(), 7u), std::ptrdiff_t(bits.size()));
        return;
    }
    const BitmapInfoHeader want{40, w, -h, 1, 32, 0, std::uint32_t(entries), 0, 0, 0, 0};
    QCOMPARE(std::memcmp(&header, &want, sizeof header), 0);
    QCOMPARE(bits, std::vector<std::uint32_t>(std::size_t(entries), 0u));
    QCOMPARE(tiles.TargetPicture(), static_cast<PictureTarget*>(&picture));
}

void TestRendering::notReadyDrawsNothing()
{
    clsNesTiles tiles;
    MemoryPicture picture(32, 32);
    std::vector<std::uint32_t> bits(100, 9u);
    BitmapInfoHeader header;
    QCOMPARE(tiles.DrawTile(bits, Tile{}, 0, 1, 2, 3, 4, 0, 0, 1), false);
    QCOMPARE(tiles.RenderPic(header, bits), 0);
    QCOMPARE(bits, std::vector<std::uint32_t>(100, 9u));
    QCOMPARE(picture.setBitsCalls() + picture.refreshes(), 0);
}

void TestRendering::decodeTile_data()
{
    QTest::addColumn<QByteArray>("tile");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("side"); // picture width and height; 0: 32 or as large as the tile needs
    const QByteArray zeros(8, '\0'), ones(8, '\xFF');
    QTest::newRow("all zero: solid back colour") << zeros + zeros << 0 << 0 << 1 << 0;
    QTest::newRow("plane 0 full: colour 1") << ones + zeros << 0 << 0 << 1 << 0;
    QTest::newRow("plane 1 full: colour 2") << zeros + ones << 0 << 0 << 1 << 0;
    QTest::newRow("both planes full: colour 3") << ones + ones << 0 << 0 << 1 << 0;
    QByteArray walk(16, '\0');
    for (int r = 0; r < 8; ++r) { // one bit per row, moving right; plane 1 lags
        walk[r] = char(0x80 >> r);
        walk[8 + r] = char(0x80 >> ((r + 3) % 8));
    }
    QTest::newRow("bit 7 is leftmost, planes apart") << walk << 0 << 0 << 1 << 0;
    QTest::newRow("row byte 0x80 in plane 0") << QByteArray("\x80\x80\x80\x80\x80\x80\x80\x80", 8) + zeros << 0 << 0
                                               << 1 << 0;
    const auto demo = DemoBytes();
    const QByteArray mixed(reinterpret_cast<const char*>(demo.data()) + 0x29010 + 16 * 5, 16);
    QTest::newRow("mixed at scale 1, offset") << mixed << 8 << 16 << 1 << 0;
    QTest::newRow("mixed at scale 2") << mixed << 16 << 0 << 2 << 0;
    QTest::newRow("mixed at scale 3, odd spot") << mixed << 5 << 7 << 3 << 0;
    QTest::newRow("mixed at scale 8") << mixed << 64 << 64 << 8 << 0;
    QTest::newRow("stops at the buffer's end") << mixed << 0 << 88 << 1 << 0;
    QTest::newRow("stops at the end, scaled") << mixed << 0 << 86 << 2 << 0;
    QTest::newRow("before the start: nothing") << mixed << -1 << 0 << 1 << 0;
    QTest::newRow("scale 0 writes nothing") << mixed << 0 << 0 << 0 << 0;
    QTest::newRow("tile wider than a row wraps in order") << mixed << 0 << 0 << 2 << 12;
}

void TestRendering::decodeTile()
{
    QFETCH(QByteArray, tile);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, scale);
    QFETCH(int, side);
    Tile t{};
    std::copy_n(tile.constData(), 16, reinterpret_cast<char*>(t.data()));
    const std::vector<std::uint8_t> data = [&] { std::vector<std::uint8_t> d(40, 0xAA); std::copy(t.begin(), t.end(), d.begin() + 20); return d; }();
    if (side == 0)
        side = std::max(32, x + 8 * scale);
    MemoryPicture picture(side, side);
    clsNesTiles tiles;
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    tiles.Init(picture, header, bits);
    std::vector<std::uint32_t> want(bits.size(), 0u);
    const Colours colours{0x0F, 0x16, 0x2A, 0x30};
    const bool complete = ReferenceDraw(want, t, colours, x, y, scale, side);
    QCOMPARE(tiles.DrawTile(bits, data, 20, 0x0F, 0x16, 0x2A, 0x30, x, y, std::uint8_t(scale)), complete);
    QCOMPARE(bits, want);
    QCOMPARE(tiles.Faults().any(), false);
}

void TestRendering::scaledPixelEntries()
{
    // Scale 2, tile at (16, 0) of a 32-wide picture: tile pixel (0, 0) covers entries 16, 17, 48, 49.
    clsNesTiles tiles;
    MemoryPicture picture(32, 32);
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    tiles.Init(picture, header, bits);
    const std::vector<std::uint8_t> tile{0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QVERIFY(tiles.DrawTile(bits, tile, 0, 0x0D, 0x30, 0x0D, 0x0D, 16, 0, 2));
    std::vector<std::size_t> white;
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == 0xFFFFFF)
            white.push_back(i);
    QCOMPARE(white, (std::vector<std::size_t>{16, 17, 48, 49}));
}

void TestRendering::faultyData_data()
{
    QTest::addColumn<int>("loc");
    QTest::addColumn<int>("colour3");
    QTest::addColumn<int>("faultPixels"); // tile pixels in the fault colour
    QTest::addColumn<int>("badTiles");
    QTest::newRow("colour number 64") << 0 << 64 << 16 << 0;
    QTest::newRow("colour number 255") << 0 << 255 << 16 << 0;
    QTest::newRow("tile runs past the data") << 10 << 3 << 64 << 1;
    QTest::newRow("negative offset") << -1 << 3 << 64 << 1;
    QTest::newRow("offset far beyond") << 0x7FFFFFF0 << 3 << 64 << 1;
}

void TestRendering::faultyData()
{
    QFETCH(int, loc);
    QFETCH(int, colour3);
    QFETCH(int, faultPixels);
    QFETCH(int, badTiles);
    // Rows 0..1 have value 3, the rest value 1: 16 pixels of colour 3.
    const std::vector<std::uint8_t> data{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    clsNesTiles tiles;
    MemoryPicture picture(8, 9);
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    tiles.Init(picture, header, bits);
    QCOMPARE(tiles.DrawTile(bits, data, loc, 1, 2, 3, std::uint8_t(colour3), 0, 0, 1), false);
    QCOMPARE(std::count(bits.begin(), bits.begin() + 64, kFaultColour), std::ptrdiff_t(faultPixels));
    if (badTiles == 0)
        QCOMPARE(bits[63], kNesColours[2]); // sound pixels keep their colour
    QCOMPARE(tiles.Faults().badColourPixels, std::uint64_t(badTiles ? 0 : faultPixels));
    QCOMPARE(tiles.Faults().badTiles, std::uint64_t(badTiles));
}

void TestRendering::renderPicShowsBufferUnchanged()
{
    PictureBox box(QStringLiteral("picTest"), 32, 32);
    box.show();
    MemoryPicture memory(32, 32);
    clsNesTiles tiles;
    for (PictureTarget* target : std::initializer_list<PictureTarget*>{&memory, &box}) {
        tiles.Init(*target, SurfaceHeader, SurfaceBits);
        for (std::size_t i = 0; i < 32 * 32; ++i)
            SurfaceBits[i] = std::uint32_t(i * 0x010305u) & 0xFFFFFFu;
        QCOMPARE(tiles.RenderPic(SurfaceHeader, SurfaceBits), 32);
    }
    QCOMPARE(memory.setBitsCalls(), 1);
    QCOMPARE(memory.refreshes(), 1);
    QCOMPARE(memory.shown(), std::vector<std::uint32_t>(SurfaceBits.begin(), SurfaceBits.begin() + 1024));
    const QImage shown = Grab(&box);
    for (int i = 0; i < 1024; ++i) {
        const auto raw = reinterpret_cast<const std::uint32_t*>(box.backBuffer().constScanLine(i / 32))[i % 32];
        QCOMPARE(raw, SurfaceBits[std::size_t(i)]);
        QCOMPARE(Rgb(shown, i % 32, i / 32), SurfaceBits[std::size_t(i)]);
    }
}

void TestRendering::drawBlock_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("attribute");
    QTest::addColumn<int>("palette");
    QTest::addColumn<int>("side");
    QTest::newRow("row 0, tiles around 0x80, scale 2") << 0 << 0x00 << 0 << 32;
    QTest::newRow("row 3 tile 0x80 from row 0, scale 2") << 3 << 0x07 << 3 << 32;
    QTest::newRow("row 3 tile 0x80 from row 0, scale 8") << 3 << 0xFC << 0 << 128;
    QTest::newRow("row 7, attribute 0x06") << 7 << 0x06 << 2 << 32;
    QTest::newRow("row 8 all tiles its own, scale 2") << 8 << 0x05 << 1 << 32;
    QTest::newRow("row 8 all tiles its own, scale 8") << 8 << 0x07 << 3 << 128;
}

void TestRendering::drawBlock()
{
    QFETCH(int, stage);
    QFETCH(int, attribute);
    QFETCH(int, palette);
    QFETCH(int, side);
    OpenDemo();
    CurrentStage = std::int16_t(stage);
    const StageInfo& s = Stages[std::size_t(stage)];
    const int block = 77;
    const std::array<std::uint8_t, 4> numbers{0x7F, 0x80, 0x00, 0xFF};
    for (int k = 0; k < 4; ++k)
        RomImage.write(s.BlockTiles + 4 * block + k, numbers[std::size_t(k)]);
    RomImage.write(s.BlockAttributes + block, std::uint8_t(attribute));
    Colours colours{};
    for (int i = 0; i < 4; ++i)
        colours[std::size_t(i)] = RomImage[s.Palettes + 4 * palette + i];
    const std::int64_t ownSet = s.TileData, highSet = stage < 8 ? Stages[0].TileData : s.TileData;
    if (stage != 0) // the two candidate tiles differ, so a wrong choice shows
        QVERIFY(TileAt(ownSet + 0x800) != TileAt(Stages[0].TileData + 0x800));

    const int scale = side / 16;
    std::vector<std::uint32_t> want(std::size_t(side * side), 0u);
    for (int k = 0; k < 4; ++k) {
        const std::uint8_t t = numbers[std::size_t(k)];
        const Tile tile = TileAt((t >= 0x80 ? highSet : ownSet) + 16 * t);
        ReferenceDraw(want, tile, colours, (k % 2) * 8 * scale, (k / 2) * 8 * scale, scale, side);
    }
    PictureBox box(QStringLiteral("picBlock"), side, side);
    box.show();
    box.backBuffer().fill(0x123456u); // the whole image is replaced
    for (int round = 0; round < 2; ++round) { // drawing twice gives the same picture
        DrawBlock(box, SourceOf(RomDocument::Program()), block, scale);
        const QImage shown = Grab(&box);
        for (int i = 0; i < side * side; ++i) {
            const std::uint32_t expected = want[std::size_t(i)];
            if (Rgb(box.backBuffer(), i % side, i / side) != expected || Rgb(shown, i % side, i / side) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(i % side).arg(i / side)));
        }
    }
    QCOMPARE(NesTiles->Faults().any(), false);
}

void TestRendering::bitBlt_data()
{
    QTest::addColumn<int>("x"); // destination corner and size, source corner
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("sx");
    QTest::addColumn<int>("sy");
    QTest::addColumn<bool>("self");
    QTest::newRow("inside") << 3 << 4 << 5 << 6 << 1 << 2 << false;
    QTest::newRow("clipped at the destination's edges") << -3 << 14 << 10 << 10 << 0 << 0 << false;
    QTest::newRow("source partly outside") << 0 << 0 << 10 << 10 << -4 << 12 << false;
    QTest::newRow("far outside") << 2147483000 << 0 << 1000 << 5 << -2147483000 << 0 << false;
    QTest::newRow("overlapping within one picture") << 2 << 1 << 12 << 12 << 0 << 0 << true;
}

void TestRendering::bitBlt()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, sx);
    QFETCH(int, sy);
    QFETCH(bool, self);
    PictureBox source(QStringLiteral("picA"), 16, 16), target(QStringLiteral("picB"), 20, 18);
    PictureBox& into = self ? source : target;
    for (int py = 0; py < 16; ++py)
        for (int px = 0; px < 16; ++px)
            source.backBuffer().setPixel(px, py, std::uint32_t(py * 16 + px + 1));
    const QImage before = source.backBuffer().copy(), old = into.backBuffer().copy();
    into.BitBlt(x, y, w, h, source, sx, sy);
    for (int py = 0; py < into.backBuffer().height(); ++py)
        for (int px = 0; px < into.backBuffer().width(); ++px) {
            const long long fx = 0LL + sx + px - x, fy = 0LL + sy + py - y;
            const bool copied = px >= x && py >= y && px - 0LL - x < w && py - 0LL - y < h && fx >= 0 && fy >= 0
                                && fx < 16 && fy < 16;
            const QRgb want = copied ? before.pixel(int(fx), int(fy)) : old.pixel(px, py);
            QCOMPARE(into.backBuffer().pixel(px, py) & 0xFFFFFFu, want & 0xFFFFFFu);
        }
}

void TestRendering::faultNotice()
{
    OpenDemo();
    CurrentStage = 2;
    const StageInfo& s = Stages[2];
    QWidget owner;
    PictureBox scratch(QStringLiteral("picSelectedTile"), 32, 32, &owner);
    owner.show();
    // Palette 1 gets a byte above 63 for pixel value 2; count the tile pixels that use it.
    QVERIFY(RomImage.write(s.Palettes + 4 * 1 + 2, 0x47));
    long expected = 0;
    for (int b = 0; b < 256; ++b) {
        if (RomImage[s.BlockAttributes + b] % 4 != 1)
            continue;
        for (int k = 0; k < 4; ++k) {
            const std::uint8_t t = RomImage[s.BlockTiles + 4 * b + k];
            const Tile tile = TileAt((t >= 0x80 ? Stages[0].TileData : s.TileData) + 16 * t);
            for (int i = 0; i < 64; ++i)
                expected += PixelValue(tile, i / 8, i % 8) == 2;
        }
    }
    QVERIFY(expected > 0);
    auto redraw = [&](const QString& what) {
        BeginRenderFaultCheck();
        for (int b = 0; b < 256; ++b)
            DrawBlock(scratch, SourceOf(RomDocument::Program()), b, 2);
        EndRenderFaultCheck(&scratch, what);
    };
    auto notices = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += w->objectName() == QLatin1String("RenderFaultNotice");
        return n;
    };
    auto text = [] { return RenderFaultNotice()->findChild<QLabel*>(QStringLiteral("lblRenderFault"))->text(); };

    redraw(QStringLiteral("Block table"));
    redraw(QStringLiteral("Block table")); // counted per redraw, not added up
    QVERIFY(RenderFaultNotice() && RenderFaultNotice()->isVisible());
    QCOMPARE(notices(), 1);
    QCOMPARE(RenderFaultNotice()->parentWidget(), &owner);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(text(), QStringLiteral("Block table: %1 pixels use palette bytes above 63 (drawn in magenta).")
                         .arg(expected));

    // A tile reaching past the end of the image, in another view: a second line, still one notice.
    CurrentStage = 3;
    for (int k = 0; k < 4; ++k)
        RomImage.write(Stages[3].BlockTiles + 4 * 9 + k, k == 0 ? 0x7F : 0x00);
    Stages[3].TileData = std::int32_t(RomImage.size()) - 0x7F0 - 8;
    BeginRenderFaultCheck();
    DrawBlock(scratch, SourceOf(RomDocument::Program()), 9, 2);
    EndRenderFaultCheck(&scratch, QStringLiteral("Tile editor"));
    QCOMPARE(notices(), 1);
    QVERIFY(text().endsWith(QStringLiteral("\nTile editor: 1 tile lies beyond the end of the image (drawn in magenta).")));

    // Clean redraws take their lines away; the notice goes when none is left.
    QVERIFY(RomImage.write(s.Palettes + 4 * 1 + 2, 0x21));
    CurrentStage = 2;
    redraw(QStringLiteral("Block table"));
    QVERIFY(RenderFaultNotice()->isVisible());
    QVERIFY(text().startsWith(QStringLiteral("Tile editor:")));
    BeginRenderFaultCheck();
    EndRenderFaultCheck(&scratch, QStringLiteral("Tile editor"));
    QVERIFY(!RenderFaultNotice()->isVisible());
}

QTEST_MAIN(TestRendering)
#include "test_rendering.moc"
