// The compositor against the block-by-block path the views use (DrawBlock into
// a scratch picture, then copied into place), on randomised images; and the
// shared tile decoder against a per-bit decoder written here from the format.

#include "demo/DemoImage.h"
#include "data/Level.h"
#include "data/Stages.h"
#include "data/modGlobals.h"
#include "graphics/Compositor.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "graphics/MemoryPicture.h"
#include "graphics/NesColours.h"
#include "graphics/RoomMarks.h"
#include "graphics/TileDecoder.h"
#include "graphics/clsNesTiles.h"
#include "support/RandomImage.h"
#include "support/ReferenceRenderer.h"

#include <QTest>

#include <algorithm>
#include <cstring>
#include <random>

using namespace quorvan;
using quorvan::test::RandomImage;
using quorvan::test::Tweak;

namespace {

constexpr std::uint32_t kUntouched = 0x00123456; // what the target holds before drawing

enum class What { Room, Page, Block };

struct Case {
    const char* name;
    What what;
    bool shifted;
    int stage;
    int number; // room, page or block
    int scale;
    int width = 0, height = 0, stride = 0; // 0: the natural size, stride = width
    int x = 0, y = 0;                      // where a single block goes
    Tweak tweak = Tweak::None;
};

// A target of width x height pixels, row r at r * stride, all kUntouched.
struct Canvas {
    int width, height;
    std::ptrdiff_t stride;
    std::vector<std::uint32_t> pixels;

    Canvas(int w, int h, int s) : width(w), height(h), stride(s), pixels(std::size_t(s) * std::size_t(h), kUntouched) {}
    PixelView view() { return {pixels.data(), width, height, stride}; }

    // The views' copy: a side x side square clipped to the target.
    void put(int x, int y, int side, const std::vector<std::uint32_t>& square)
    {
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c)
                if (x + c >= 0 && x + c < width && y + r >= 0 && y + r < height)
                    pixels[std::size_t((y + r) * stride + x + c)] = square[std::size_t(r * side + c)];
    }
};

// The path the views take today, through the program's globals.
void ReferenceBlock(Canvas& canvas, std::int32_t block, int scale, int x, int y)
{
    const int side = 16 * scale;
    MemoryPicture scratch(side, side);
    DrawBlock(scratch, SourceOf(RomDocument::Program()), block, scale);
    canvas.put(x, y, side, scratch.shown());
}

void ReferenceRoom(Canvas& canvas, int room, int scale)
{
    const int side = 16 * scale;
    for (int w = 0; w < kRoomRows; ++w) {
        for (int c = 0; c < kRoomColumns; ++c) {
            const std::int64_t offset = RoomCellOffset(CurrentStageInfo(), room, w, c);
            if (!RomImage.contains(offset)) {
                EnsureNesTiles().NoteBadRead();
                canvas.put(c * side, w * side, side, std::vector<std::uint32_t>(std::size_t(side * side), kFaultColour));
                continue;
            }
            ReferenceBlock(canvas, RomImage[offset], scale, c * side, w * side);
        }
    }
}

void ReferencePage(Canvas& canvas, int page, int scale)
{
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 2; ++c)
            ReferenceBlock(canvas, page * 16 + r * 2 + c, scale, c * 16 * scale, r * 16 * scale);
}

// The per-bit decoding of the tile format (the tests' reference renderer): value of pixel (c, r).
int PixelValue(const TilePlanes& t, int r, int c)
{
    return quorvan::test::PlanePixel(t.data(), c, r);
}

// Tile t of the 8192 that hold every pair of plane bytes once: row r is pair 8t + r.
TilePlanes PairTile(int t)
{
    TilePlanes tile{};
    for (int r = 0; r < 8; ++r) {
        const int pair = 8 * t + r;
        tile[std::size_t(r)] = std::uint8_t(pair & 0xFF);
        tile[std::size_t(r + 8)] = std::uint8_t(pair >> 8);
    }
    return tile;
}

const TileColours kFour{0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};

// What the compositor is compared on: rooms, table pages and blocks, in both
// layouts, at several scales, clipped, and with tables moved to the image's end.
const Case kCases[] = {
    {"room 0", What::Room, false, 0, 0, 2},
    {"room, shifted layout", What::Room, true, 4, 3, 2},
    {"room at scale 1", What::Room, false, 2, 5, 1},
    {"room at scale 3", What::Room, true, 6, 1, 3},
    {"room at scale 8, clipped: every cell still counted", What::Room, false, 1, 2, 8, 512, 384},
    {"room, wide stride and cut edges", What::Room, false, 3, 0, 2, 500, 380, 517},
    {"room 254, far into the image", What::Room, false, 0, 254, 2},
    {"room 254 past the end", What::Room, true, 5, 254, 2, 0, 0, 0, 0, 0, Tweak::RoomsNearEnd},
    {"room 255 wholly past the end at scale 1", What::Room, false, 7, 255, 1, 0, 0, 0, 0, 0, Tweak::RoomsNearEnd},
    {"room of row 8", What::Room, false, 8, 2, 2},
    {"room of row 9", What::Room, true, 9, 0, 2},
    {"room of row 10", What::Room, false, 10, 0, 2},
    {"room of row 11 reads row 0", What::Room, false, 11, 1, 2},
    {"room of row -1 reads row 0", What::Room, true, -1, 0, 2},
    {"tiles past the end", What::Room, false, 3, 4, 2, 0, 0, 0, 0, 0, Tweak::TilesNearEnd},
    {"row 9 tiles past the end", What::Room, true, 9, 4, 2, 0, 0, 0, 0, 0, Tweak::TilesNearEnd},
    {"row 0 tiles past the end", What::Room, false, 2, 6, 2, 0, 0, 0, 0, 0, Tweak::RowZeroTilesNearEnd},
    {"block tables past the end", What::Room, true, 1, 0, 2, 0, 0, 0, 0, 0, Tweak::BlocksNearEnd},
    {"palettes all below 64", What::Room, false, 0, 1, 2, 0, 0, 0, 0, 0, Tweak::CleanPalettes},
    {"page 0", What::Page, false, 0, 0, 2},
    {"page 15", What::Page, true, 3, 15, 2},
    {"page of row 8 at scale 1", What::Page, false, 8, 7, 1},
    {"page of row 10 at scale 3", What::Page, true, 10, 9, 3},
    {"page of row 12", What::Page, false, 12, 2, 2},
    {"page, block tables past the end", What::Page, false, 6, 13, 2, 0, 0, 0, 0, 0, Tweak::BlocksNearEnd},
    {"page cut on the right and at the bottom", What::Page, true, 5, 11, 2, 50, 200, 64},
    {"block at scale 1", What::Block, false, 0, 77, 1, 40, 40, 0, 5, 7},
    {"block at scale 2", What::Block, true, 3, 200, 2, 64, 64, 0, 16, 16},
    {"block of row 8 at scale 3", What::Block, false, 8, 129, 3, 60, 60, 0, 12, 12},
    {"block at scale 8", What::Block, false, 7, 255, 8, 150, 150, 0, 11, 3},
    {"block off the left and top", What::Block, true, 2, 1, 2, 40, 40, 0, -9, -20},
    {"block at scale 4 off the right and bottom", What::Block, false, 4, 30, 4, 70, 70, 0, 20, 30},
    {"block wholly outside: only counted", What::Block, false, 1, 31, 2, 40, 40, 0, 100, -100},
    {"block with tiles past the end", What::Block, true, 6, 250, 2, 40, 40, 0, 3, 3, Tweak::TilesNearEnd},
    {"block at scale 16", What::Block, false, 9, 64, 16, 300, 300, 0, 2, 1},
};

} // namespace

class TestCompositor : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetGlobals();
        UseVectorTileDecoder(true);
    }
    void cleanup() { UseVectorTileDecoder(true); }

    void sameAsBlockByBlock_data();
    void sameAsBlockByBlock();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void qImageTargets();
    void decoderEveryPlanePair_data();
    void decoderEveryPlanePair();
    void drawTileRunningOffTheEnd_data();
    void drawTileRunningOffTheEnd();
    void drawTileSameOnEveryCall_data();
    void drawTileSameOnEveryCall();
    void changeMarkStandsApart_data();
    void changeMarkStandsApart();
};

void TestCompositor::sameAsBlockByBlock_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kCases)); ++i)
        QTest::newRow(kCases[i].name) << i;
}

void TestCompositor::sameAsBlockByBlock()
{
    QFETCH(int, index);
    const Case& k = kCases[index];
    const int natural = k.what == What::Room ? 16 : k.what == What::Page ? 2 : 1;
    const int width = k.width ? k.width : natural * 16 * k.scale;
    const int height = k.height ? k.height : (k.what == What::Room ? 12 : 8) * 16 * k.scale;
    const int stride = k.stride ? k.stride : width;
    for (std::uint64_t seed : {11u, 12u, 13u}) {
        const RandomImage image(k.shifted, seed + std::uint64_t(index) * 100, k.tweak);

        // The compositor reads only what it is given: the globals stay empty.
        Canvas composed(width, height, stride);
        RenderFaults faults;
        faults.badReads = 1000; // counts are added to what the caller has
        const StageSource source{image.bytes, image.stages, k.stage};
        bool drawn = false;
        if (k.what == What::Room)
            drawn = ComposeRoom(composed.view(), source, k.number, k.scale, faults);
        else if (k.what == What::Page)
            drawn = ComposeTablePage(composed.view(), source, k.number, k.scale, faults);
        else
            drawn = ComposeBlock(composed.view(), source, k.number, k.scale, k.x, k.y, faults);
        QVERIFY(drawn);
        faults.badReads -= 1000;

        RomImage.replace(image.bytes);
        Stages = image.stages;
        CurrentStage = std::int16_t(k.stage);
        const RenderFaults before = EnsureNesTiles().Faults();
        Canvas expected(width, height, stride);
        if (k.what == What::Room)
            ReferenceRoom(expected, k.number, k.scale);
        else if (k.what == What::Page)
            ReferencePage(expected, k.number, k.scale);
        else
            ReferenceBlock(expected, k.number, k.scale, k.x, k.y);

        for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
            if (composed.pixels[i] != expected.pixels[i]) {
                QFAIL(qPrintable(QStringLiteral("seed %1: pixel (%2, %3) is %4, expected %5")
                                     .arg(seed).arg(std::ptrdiff_t(i) % stride).arg(std::ptrdiff_t(i) / stride)
                                     .arg(composed.pixels[i], 6, 16, QLatin1Char('0'))
                                     .arg(expected.pixels[i], 6, 16, QLatin1Char('0'))));
            }
        }
        const RenderFaults after = NesTiles->Faults();
        QCOMPARE(faults.badColourPixels, after.badColourPixels - before.badColourPixels);
        QCOMPARE(faults.badTiles, after.badTiles - before.badTiles);
        QCOMPARE(faults.badReads, after.badReads - before.badReads);
        ResetGlobals();
    }
}

void TestCompositor::refusesBadArguments_data()
{
    QTest::addColumn<int>("what"); // 0 room, 1 page, 2 block
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("stride"); // of a 64-pixel-wide target; 0 for none at all
    QTest::newRow("room -1") << 0 << -1 << 2 << 64;
    QTest::newRow("room 256") << 0 << 256 << 2 << 64;
    QTest::newRow("page -1") << 1 << -1 << 2 << 64;
    QTest::newRow("page 16") << 1 << 16 << 2 << 64;
    QTest::newRow("block -1") << 2 << -1 << 2 << 64;
    QTest::newRow("block 256") << 2 << 256 << 2 << 64;
    QTest::newRow("scale 0") << 0 << 0 << 0 << 64;
    QTest::newRow("scale 17") << 2 << 0 << 17 << 64;
    QTest::newRow("stride narrower than a row") << 0 << 0 << 2 << 63;
    QTest::newRow("no pixels") << 1 << 0 << 2 << 0;
}

void TestCompositor::refusesBadArguments()
{
    QFETCH(int, what);
    QFETCH(int, number);
    QFETCH(int, scale);
    QFETCH(int, stride);
    const RandomImage image(false, 5, Tweak::BlocksNearEnd); // would count faults if drawn
    Canvas canvas(64, 64, 64);
    PixelView view = canvas.view();
    view.stride = stride;
    if (stride == 0)
        view.pixels = nullptr;
    const StageSource source{image.bytes, image.stages, 11};
    RenderFaults faults;
    const bool drawn = what == 0   ? ComposeRoom(view, source, number, scale, faults)
                       : what == 1 ? ComposeTablePage(view, source, number, scale, faults)
                                   : ComposeBlock(view, source, number, scale, 0, 0, faults);
    QVERIFY(!drawn);
    QVERIFY(!faults.any());
    QCOMPARE(std::count(canvas.pixels.begin(), canvas.pixels.end(), kUntouched), std::ptrdiff_t(64 * 64));
}

void TestCompositor::qImageTargets()
{
    const RandomImage image(true, 21, Tweak::None);
    const StageSource source{image.bytes, image.stages, 4};
    Canvas canvas(512, 384, 512);
    RenderFaults viaView, viaImage, viaNew;
    QVERIFY(ComposeRoom(canvas.view(), source, 2, 2, viaView));
    QImage picture(512, 384, QImage::Format_RGB32);
    QVERIFY(ComposeRoom(picture, source, 2, 2, viaImage));
    const QImage made = RoomImage(source, 2, 2, viaNew);
    QCOMPARE(made.size(), QSize(512, 384));
    for (int y = 0; y < 384; ++y) {
        QCOMPARE(std::memcmp(picture.constScanLine(y), &canvas.pixels[std::size_t(y) * 512], 512 * 4), 0);
        QCOMPARE(std::memcmp(made.constScanLine(y), &canvas.pixels[std::size_t(y) * 512], 512 * 4), 0);
    }
    QVERIFY(viaImage == viaView && viaNew == viaView);

    // Other formats are refused untouched: their pixels are not 32-bit 0x00RRGGBB.
    QImage other(64, 256, QImage::Format_ARGB32_Premultiplied);
    other.fill(0u);
    RenderFaults none;
    QVERIFY(!ComposeTablePage(other, source, 0, 2, none));
    QVERIFY(!ComposeBlock(other, source, 0, 2, 0, 0, none));
    QCOMPARE(other.pixel(5, 5), 0u);
    QVERIFY(RoomImage(source, 256, 2, none).isNull());
    QVERIFY(!none.any());
}

void TestCompositor::decoderEveryPlanePair_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("vector");
    for (int scale : {1, 2, 3, 4, 8, 13})
        QTest::newRow(qPrintable(QStringLiteral("scale %1").arg(scale))) << scale << false;
    QTest::newRow("scale 1, vector decoder") << 1 << true;
}

void TestCompositor::decoderEveryPlanePair()
{
    QFETCH(int, scale);
    QFETCH(bool, vector);
    if (UseVectorTileDecoder(vector) != vector)
        QSKIP("this processor has no vector decoder");
    const TilePalette palette(kFour);
    const TilePalette withFault({kFour[0], kFaultColour, kFour[2], kFaultColour});
    const int side = 8 * scale;
    const int stride = side + 3; // rows apart: a stride taken as the width shows
    const int guard = 5;         // entries before and after the tile must stay
    std::vector<std::uint32_t> out(static_cast<std::size_t>(guard + side * stride + guard));
    std::vector<std::uint32_t> row(static_cast<std::size_t>(side));
    for (int t = 0; t < 8192; ++t) {
        const TilePlanes tile = PairTile(t);
        std::fill(out.begin(), out.end(), kUntouched);
        palette.Decode(tile, out.data() + guard, stride, scale);
        std::array<int, 4> counts{};
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                const int value = PixelValue(tile, r, c);
                ++counts[std::size_t(value)];
                std::fill_n(row.begin() + c * scale, scale, kFour[std::size_t(value)]);
            }
            for (int dy = 0; dy < scale; ++dy) {
                const std::uint32_t* line = out.data() + guard + (r * scale + dy) * stride;
                if (std::memcmp(line, row.data(), row.size() * 4) != 0)
                    QFAIL(qPrintable(QStringLiteral("pair %1, screen row %2").arg(8 * t + r).arg(dy)));
                if (!std::all_of(line + side, line + stride, [](std::uint32_t p) { return p == kUntouched; }))
                    QFAIL("written between rows");
            }
        }
        QVERIFY(std::all_of(out.begin(), out.begin() + guard, [](std::uint32_t p) { return p == kUntouched; }));
        QVERIFY(std::all_of(out.end() - guard, out.end(), [](std::uint32_t p) { return p == kUntouched; }));
        QCOMPARE(CountPixelValues(tile), counts);
        QCOMPARE(CountPixelsOfColour(tile, withFault.colours(), kFaultColour), std::uint64_t(counts[1] + counts[3]));
        QCOMPARE(CountPixelsOfColour(tile, kFour, kFaultColour), std::uint64_t(0));
    }
}

void TestCompositor::drawTileRunningOffTheEnd_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("y"); // of the tile in a 24-wide picture: runs off the buffer's end
    QTest::newRow("scale 1") << 1 << 41;
    QTest::newRow("scale 2") << 2 << 35;
    QTest::newRow("scale 3") << 3 << 31;
    QTest::newRow("scale 8") << 8 << 2;
}

void TestCompositor::drawTileRunningOffTheEnd()
{
    QFETCH(int, scale);
    QFETCH(int, y);
    // The buffer of a 24 x 16 picture holds (3 * 24 - 3) * 15 = 1035 entries, 43 rows and a bit.
    MemoryPicture picture(24, 16);
    clsNesTiles tiles;
    BitmapInfoHeader header;
    std::vector<std::uint32_t> bits;
    std::vector<std::uint8_t> data(16);
    for (int t = 0; t < 8192; ++t) { // every pair of plane bytes
        const TilePlanes tile = PairTile(t);
        std::copy(tile.begin(), tile.end(), data.begin());
        QVERIFY(!tiles.Init(picture, header, bits));
        std::vector<std::uint32_t> want(bits.size(), 0u);
        bool whole = true;
        for (int r = 0; r < 8 && whole; ++r)
            for (int c = 0; c < 8 && whole; ++c)
                for (int dy = 0; dy < scale && whole; ++dy)
                    for (int dx = 0; dx < scale && whole; ++dx) {
                        const std::size_t e = std::size_t((y + r * scale + dy) * 24 + 1 + c * scale + dx);
                        whole = e < want.size();
                        if (whole)
                            want[e] = kNesColours[std::size_t(0x21 + PixelValue(tile, r, c))];
                    }
        QVERIFY(!whole);
        QCOMPARE(tiles.DrawTile(bits, data, 0, 0x21, 0x22, 0x23, 0x24, 1, y, std::uint8_t(scale)), false);
        QCOMPARE(bits, want);
    }
    QVERIFY(!tiles.Faults().any());
}

void TestCompositor::drawTileSameOnEveryCall_data()
{
    // DrawTile takes a short way when the palette is that of the last call;
    // it must give what the first call with that palette gives.
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("loc");     // in 32 bytes of tile data
    QTest::addColumn<int>("colour3"); // above 63: counted, drawn in magenta
    QTest::addColumn<bool>("vector");
    QTest::newRow("scale 1 inside") << 1 << 3 << 5 << 4 << 0x30 << false;
    QTest::newRow("scale 1 inside, vector decoder") << 1 << 3 << 5 << 4 << 0x30 << true;
    QTest::newRow("scale 2 inside") << 2 << 0 << 0 << 16 << 0x21 << false;
    QTest::newRow("scale 8 inside") << 8 << 0 << 0 << 0 << 0x3F << true;
    QTest::newRow("scale 1, wider than the row left") << 1 << 20 << 0 << 0 << 0x30 << true;
    QTest::newRow("scale 1, past the buffer's end") << 1 << 0 << 40 << 0 << 0x30 << true;
    QTest::newRow("scale 1, before the buffer's start") << 1 << 0 << -2 << 0 << 0x30 << true;
    QTest::newRow("tile partly outside the data") << 1 << 0 << 0 << 20 << 0x30 << true;
    QTest::newRow("tile wholly outside the data") << 2 << 0 << 0 << -16 << 0x30 << true;
    QTest::newRow("colour number above 63") << 1 << 0 << 0 << 0 << 0x40 << true;
    QTest::newRow("scale 0 draws nothing") << 0 << 0 << 0 << 0 << 0x30 << true;
}

void TestCompositor::drawTileSameOnEveryCall()
{
    QFETCH(int, scale);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, loc);
    QFETCH(int, colour3);
    QFETCH(bool, vector);
    if (UseVectorTileDecoder(vector) != vector)
        QSKIP("this processor has no vector decoder");
    std::vector<std::uint8_t> data(36);
    std::mt19937 random(std::uint32_t(scale * 1000 + x * 100 + y * 10 + loc));
    for (int t = 0; t < 50; ++t) {
        for (auto& byte : data)
            byte = std::uint8_t(random());
        MemoryPicture picture(24, 16); // (3 * 24 - 3) * 15 = 1035 entries
        struct Drawn {
            bool result = false;
            std::vector<std::uint32_t> bits;
            RenderFaults faults;
        };
        const auto draw = [&](bool primed) {
            clsNesTiles tiles;
            Drawn drawn;
            BitmapInfoHeader header;
            if (tiles.Init(picture, header, drawn.bits))
                return drawn;
            // Another tile with the same colour numbers first, at a place inside.
            if (primed)
                tiles.DrawTile(drawn.bits, data, 8, 0x21, 0x22, 0x23, std::uint8_t(colour3), 0, 0, 1);
            std::fill(drawn.bits.begin(), drawn.bits.end(), kUntouched);
            const RenderFaults before = tiles.Faults();
            drawn.result = tiles.DrawTile(drawn.bits, data, loc, 0x21, 0x22, 0x23, std::uint8_t(colour3), x, y,
                                          std::uint8_t(scale));
            drawn.faults = tiles.Faults();
            drawn.faults.badColourPixels -= before.badColourPixels;
            drawn.faults.badTiles -= before.badTiles;
            drawn.faults.badReads -= before.badReads;
            return drawn;
        };
        const Drawn once = draw(false);
        const Drawn twice = draw(true);
        QVERIFY(!once.bits.empty());
        QCOMPARE(twice.result, once.result);
        QCOMPARE(twice.bits, once.bits);
        QCOMPARE(twice.faults.badColourPixels, once.faults.badColourPixels);
        QCOMPARE(twice.faults.badTiles, once.faults.badTiles);
        QCOMPARE(twice.faults.badReads, once.faults.badReads);
    }
}

void TestCompositor::changeMarkStandsApart_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("the stage overview (scale 1)") << 1;
    QTest::newRow("the level view (scale 2)") << 2;
    QTest::newRow("scale 3") << 3;
    QTest::newRow("the largest scale") << kMaxComposeScale;
}

void TestCompositor::changeMarkStandsApart()
{
    // On a cell all of one NES colour, a good part of the changed mark must
    // stand clearly apart from it: a thin line in a corner is easily missed.
    QFETCH(int, scale);
    const int side = kBlockSide * scale;
    RoomMarks marks;
    marks.changed.set(0);
    const auto drawnOn = [&](std::uint32_t colour) {
        std::vector<std::uint32_t> pixels(std::size_t(side) * std::size_t(side), colour);
        DrawRoomMarks(PixelView{pixels.data(), side, side, side}, 0, 0, scale, marks);
        return pixels;
    };
    // The mark's pixels: those it covers on a colour it never uses.
    const std::uint32_t sentinel = 0x123456;
    const std::vector<std::uint32_t> onSentinel = drawnOn(sentinel);
    const auto covered = std::count_if(onSentinel.begin(), onSentinel.end(), [&](auto c) { return c != sentinel; });
    QVERIFY(covered > 0);
    const auto far = [](std::uint32_t a, std::uint32_t b) {
        int sum = 0;
        for (int shift : {0, 8, 16}) {
            const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
            sum += d * d;
        }
        return sum >= 100 * 100; // of about 441 between black and white
    };
    for (std::size_t number = 0; number < kNesColours.size(); ++number) {
        const std::uint32_t colour = kNesColours[number];
        const std::vector<std::uint32_t> drawn = drawnOn(colour);
        std::ptrdiff_t apart = 0;
        for (std::size_t i = 0; i < drawn.size(); ++i)
            apart += onSentinel[i] != sentinel && far(drawn[i], colour) ? 1 : 0;
        QVERIFY2(3 * apart >= covered, qPrintable(QStringLiteral("colour %1: %2 of %3 mark pixels stand apart")
                                                       .arg(number, 2, 16, QLatin1Char('0'))
                                                       .arg(apart)
                                                       .arg(covered)));
    }
}

QTEST_MAIN(TestCompositor)
#include "test_compositor.moc"
