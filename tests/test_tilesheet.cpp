// The tile sheet through the main window, as a user works with it: what it
// shows against the reference renderer; pixel strokes, whose bytes are read
// back through the reference's own decoding of the bit planes; the shared
// set from both sides; tiles clicked into the tile editor's quadrants; tile
// sets in and out through the File menu; every view following a stroke while
// it goes on; Undo and Redo bringing the sheet back to the tile.

#include "data/EditHistory.h"
#include "data/modGlobals.h"
#include "support/ReferenceRenderer.h"
#include "support/ViewChecks.h"
#include "support/WindowFixture.h"
#include "ui/overview/frmStageOverview.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// Inside pixel (column, row) of the zoomed tile, off its grid line; positions
// outside the tile are allowed (a stroke may leave it).
QPoint PixelPoint(QPoint pixel)
{
    return {pixel.x() * 16 + 7, pixel.y() * 16 + 9};
}

QPoint TilePoint(int tile)
{
    return {(tile % 16) * 16 + 7, (tile / 16) * 16 + 9};
}

QString Hex(int value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

int PaletteColour(const ImageData& image, int stage, int palette, int value)
{
    return ByteAt(image, std::int64_t{StageRow(image, stage).Palettes} + palette * 4 + value);
}

int BlockByte(const ImageData& image, int stage, int block, int k)
{
    return ByteAt(image, std::int64_t{StageRow(image, stage).BlockTiles} + block * 4 + k);
}

// Gives every pixel of the tile the value `value`, outside any gesture.
void FillTile(int stage, int tile, int value)
{
    const std::int64_t start = TileStart(ImageNow(), stage, tile);
    for (int i = 0; i < 8; ++i) {
        RomImage.write(start + i, (value & 1) != 0 ? 0xFF : 0x00);
        RomImage.write(start + 8 + i, (value & 2) != 0 ? 0xFF : 0x00);
    }
}

// The 4,096 bytes of the stage's tiles, tile 0 first, as the reference finds them.
QByteArray StageTileBytes(const ImageData& image, int stage)
{
    QByteArray bytes;
    for (int tile = 0; tile < 256; ++tile)
        for (int i = 0; i < 16; ++i)
            bytes.append(static_cast<char>(ByteAt(image, TileStart(image, stage, tile) + i)));
    return bytes;
}

// The drawing value's swatch is framed black, white, black at its edge.
bool Framed(QWidget* swatch)
{
    const QImage picture = Grab(swatch);
    return Rgb(picture, 0, 0) == 0u && Rgb(picture, 1, 1) == 0xFFFFFFu && Rgb(picture, 2, 2) == 0u;
}

int ChrPixel(const QByteArray& chr, int tile, int column, int row)
{
    return PlanePixel(reinterpret_cast<const std::uint8_t*>(chr.constData()) + tile * 16, column, row);
}

} // namespace

class TestTileSheet : public QObject, public WindowFixture {
    Q_OBJECT
private slots:
    void init() { SetUpWindow(); }
    void cleanup() { TearDownWindow(); }

    void sheetShowsTheStage_data();
    void sheetShowsTheStage();
    void strokes_data();
    void strokes();
    void sharedSet_data();
    void sharedSet();
    void everyViewFollowsAStroke();
    void undoBringsTheSheetToTheTile_data();
    void undoBringsTheSheetToTheTile();
    void paletteFollowsTheBlock_data();
    void paletteFollowsTheBlock();
    void quadrantClicks_data();
    void quadrantClicks();
    void menuItems();
    void exportTiles_data();
    void exportTiles();
    void importTiles_data();
    void importTiles();

private:
    // The demo image open, stage row `stage` chosen, the sheet shown.
    frmTileSheet* OpenSheet(int stage);
};

frmTileSheet* TestTileSheet::OpenSheet(int stage)
{
    if (!window_->OpenFile(box_->demoImage(QStringLiteral("level.nes"))))
        return nullptr;
    window_->mnuStageSelect(stage)->trigger();
    window_->mnuTileSheet()->trigger();
    frmTileSheet* sheet = window_->TileSheet(false);
    return sheet != nullptr && sheet->isVisible() ? sheet : nullptr;
}

void TestTileSheet::sheetShowsTheStage_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("palette");
    QTest::addColumn<int>("tile");
    QTest::addColumn<bool>("shared");
    QTest::newRow("stage 3 in palette 0, tile 0C") << 2 << 0 << 0x0C << false;
    QTest::newRow("stage 2 in palette 3: tiles 80-FF from stage 1") << 1 << 3 << 0xA7 << true;
    QTest::newRow("stage 9 in palette 2: all its own, the last tile") << 8 << 2 << 0xFF << false;
}

void TestTileSheet::sheetShowsTheStage()
{
    QFETCH(int, stage);
    QFETCH(int, palette);
    QFETCH(int, tile);
    QFETCH(bool, shared);
    frmTileSheet* sheet = OpenSheet(stage);
    QVERIFY(sheet != nullptr);
    QCOMPARE(sheet->windowTitle(), QStringLiteral("Tile Sheet"));
    const ImageData image = ImageNow();
    sheet->optSheetPal(palette)->click();
    Press(sheet->picSheet(), Qt::LeftButton, TilePoint(tile));
    QCOMPARE(sheet->selectedTile(), tile);
    QCOMPARE(ImageNow(), image); // selecting is no edit
    QVERIFY(!window_->History().canUndo());

    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(image, stage, palette)), 0);
    QCOMPARE(PixelsDiffering(Grab(sheet->picPixels()), ReferenceTileZoom(image, stage, palette, tile)), 0);
    // The swatches show the palette's colours; the drawing value (1 at start) is framed.
    for (int value = 0; value < 4; ++value) {
        const QImage swatch = Grab(sheet->picSheetPal(value));
        QCOMPARE(Rgb(swatch, swatch.width() / 2, swatch.height() / 2),
                 ColourOfNumber(PaletteColour(image, stage, palette, value)));
        QCOMPARE(Framed(sheet->picSheetPal(value)), value == 1);
    }
    // The numbers of the tile under the pointer, else of the selected one.
    const auto info = [&](int t) {
        int blocks = 0;
        for (int block = 0; block < 256; ++block) {
            bool names = false;
            for (int k = 0; k < 4; ++k)
                names = names || BlockByte(image, stage, block, k) == t;
            blocks += names ? 1 : 0;
        }
        return QStringLiteral("Tile %1  @ 0x%2  Blocks %3").arg(Hex(t, 2), Hex(int(TileStart(image, stage, t)), 5)).arg(blocks);
    };
    Mouse(sheet->picSheet(), QEvent::MouseMove, TilePoint(0x01), Qt::NoButton, {});
    QCOMPARE(sheet->lblSheetInfo()->text(), info(0x01));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(sheet->picSheet(), &leave);
    QCOMPARE(sheet->lblSheetInfo()->text(), info(tile) + (shared ? QStringLiteral("  Shared by stages 1-8") : QString()));
    // A yellow frame on the grid lines around the tile, also past the sheet's last column and row.
    const QImage window = Grab(sheet);
    const QPoint corner = sheet->picSheet()->pos() + TilePoint(tile) - QPoint(7, 9);
    for (int i = 0; i <= 16; ++i)
        for (const QPoint at : {corner + QPoint(i, 0), corner + QPoint(0, i), corner + QPoint(i, 16), corner + QPoint(16, i)})
            QVERIFY2(Rgb(window, at.x(), at.y()) == 0xFFFF00u, qPrintable(QStringLiteral("%1, %2").arg(at.x()).arg(at.y())));
}

void TestTileSheet::strokes_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("tile");
    QTest::addColumn<int>("fill");  // every pixel of the tile before the stroke
    QTest::addColumn<int>("value"); // the swatch clicked first
    QTest::addColumn<QList<QPoint>>("points");  // press, moves, release (pixels of the tile)
    QTest::addColumn<QList<QPoint>>("painted");
    QTest::newRow("a press paints the pixel under it") << 2 << 0x10 << 0 << 1 << QList<QPoint>{{2, 3}}
                                                       << QList<QPoint>{{2, 3}};
    QTest::newRow("value 2 at the right edge") << 0 << 0xFF << 1 << 2 << QList<QPoint>{{7, 0}} << QList<QPoint>{{7, 0}};
    QTest::newRow("a drag paints the pixels between two events")
        << 2 << 0x21 << 3 << 0 << QList<QPoint>{{0, 0}, {5, 5}}
        << QList<QPoint>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    QTest::newRow("a drag that leaves the tile and comes back")
        << 8 << 0x90 << 0 << 3 << QList<QPoint>{{5, 4}, {10, 4}, {10, 6}, {5, 6}}
        << QList<QPoint>{{5, 4}, {6, 4}, {7, 4}, {7, 6}, {6, 6}, {5, 6}};
    QTest::newRow("a drag from outside the tile at the left") << 2 << 0x33 << 2 << 1 << QList<QPoint>{{0, 7}, {-3, 7}, {2, 7}}
                                                              << QList<QPoint>{{0, 7}, {1, 7}, {2, 7}};
    QTest::newRow("a stroke that changes nothing records nothing")
        << 2 << 0x10 << 2 << 2 << QList<QPoint>{{1, 1}, {6, 1}} << QList<QPoint>{};
}

void TestTileSheet::strokes()
{
    QFETCH(int, stage);
    QFETCH(int, tile);
    QFETCH(int, fill);
    QFETCH(int, value);
    QFETCH(QList<QPoint>, points);
    QFETCH(QList<QPoint>, painted);
    frmTileSheet* sheet = OpenSheet(stage);
    QVERIFY(sheet != nullptr);
    Press(sheet->picSheet(), Qt::LeftButton, TilePoint(tile));
    Press(sheet->picSheetPal(value), Qt::LeftButton, QPoint(12, 12));
    QCOMPARE(sheet->drawingValue(), value);
    FillTile(stage, tile, fill);
    const ImageData before = ImageNow();
    const std::size_t steps = window_->History().undoCount();

    QList<QPoint> at;
    for (const QPoint& p : points)
        at << PixelPoint(p);
    Drag(sheet->picPixels(), at);

    const ImageData after = ImageNow();
    const std::vector<int> now = TileValues(after, stage, tile);
    for (int p = 0; p < 64; ++p) {
        const int expected = painted.contains(QPoint(p % 8, p / 8)) ? value : fill;
        QVERIFY2(now[static_cast<std::size_t>(p)] == expected, qPrintable(QStringLiteral("pixel %1, %2").arg(p % 8).arg(p / 8)));
    }
    const std::int64_t start = TileStart(before, stage, tile);
    for (const std::int64_t offset : Differences(before, after))
        QVERIFY2(offset >= start && offset < start + 16, "a byte outside the tile changed");
    // One press-to-release stroke is one step, and only when it changed a pixel.
    QCOMPARE(window_->History().undoCount(), steps + (painted.isEmpty() ? 0 : 1));
    if (!painted.isEmpty())
        QCOMPARE(window_->History().undoName(), QStringLiteral("Tile Pixels"));
    const int palette = sheet->palette();
    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(after, stage, palette)), 0);
    QCOMPARE(PixelsDiffering(Grab(sheet->picPixels()), ReferenceTileZoom(after, stage, palette, tile)), 0);

    // A right click takes the value of a pixel the stroke left alone; it is no edit.
    int alone = 0;
    while (painted.contains(QPoint(alone % 8, alone / 8)))
        ++alone;
    Press(sheet->picPixels(), Qt::RightButton, PixelPoint({alone % 8, alone / 8}));
    QCOMPARE(sheet->drawingValue(), fill);
    QVERIFY(Framed(sheet->picSheetPal(fill)));
    QCOMPARE(ImageNow(), after);
}

void TestTileSheet::sharedSet_data()
{
    QTest::addColumn<int>("stage"); // where the stroke is made
    QTest::addColumn<int>("tile");
    QTest::addColumn<QList<int>>("showsIn"); // of stage rows 0, 2, 7, 8
    QTest::newRow("tile 90 in stage 3 shows in stages 1 and 8, not 9") << 2 << 0x90 << QList<int>{0, 2, 7};
    QTest::newRow("tile 10 in stage 3 only there") << 2 << 0x10 << QList<int>{2};
    QTest::newRow("tile 90 in stage 9 only there") << 8 << 0x90 << QList<int>{8};
}

void TestTileSheet::sharedSet()
{
    QFETCH(int, stage);
    QFETCH(int, tile);
    QFETCH(QList<int>, showsIn);
    frmTileSheet* sheet = OpenSheet(stage);
    QVERIFY(sheet != nullptr);
    Press(sheet->picSheet(), Qt::LeftButton, TilePoint(tile));
    const ImageData before = ImageNow();
    const int value = (TileValues(before, stage, tile)[27] + 1) % 4;
    Press(sheet->picSheetPal(value), Qt::LeftButton, QPoint(12, 12));
    Press(sheet->picPixels(), Qt::LeftButton, PixelPoint({3, 3}));
    const ImageData after = ImageNow();
    QVERIFY(after != before);

    const QRect cell(TilePoint(tile) - QPoint(7, 9), QSize(16, 16));
    for (const int row : {0, 2, 7, 8}) {
        window_->mnuStageSelect(row)->trigger();
        const QImage shown = Grab(sheet->picSheet());
        QCOMPARE(PixelsDiffering(shown, ReferenceSheet(after, row, 0)), 0);
        const bool changed = PixelsDiffering(shown.copy(cell), ReferenceSheet(before, row, 0).copy(cell)) > 0;
        QVERIFY2(changed == showsIn.contains(row), qPrintable(QStringLiteral("stage %1").arg(row + 1)));
    }
}

void TestTileSheet::everyViewFollowsAStroke()
{
    constexpr int kStage = 2;
    frmTileSheet* sheet = OpenSheet(kStage);
    QVERIFY(sheet != nullptr);
    window_->mnuStageOverview()->trigger();
    // The block in the room's top-left cell, picked in the table and shown in the tile editor.
    const int block = RomImage.at(Stages[kStage].RoomData);
    window_->hsTable()->setValue(block / 16);
    Press(window_->picTile(), Qt::LeftButton, QPoint((block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5));
    window_->cmdEditTile()->click();
    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(editor != nullptr && editor->isVisible());
    QCOMPARE(sheet->palette(), RomImage.at(Stages[kStage].BlockAttributes + block) % 4);
    // A right click on its top-left quadrant selects that tile in the sheet.
    Press(editor->picTile(), Qt::RightButton, QPoint(20, 20));
    const int tile = editor->hsTile(0)->value();
    QCOMPARE(sheet->selectedTile(), tile);

    const ImageData before = ImageNow();
    Press(sheet->picSheetPal((TileValues(before, kStage, tile)[0] + 1) % 4), Qt::LeftButton, QPoint(12, 12));
    // The window the user presses in is the active one; pressed and moved,
    // not released, the stroke goes on.
    sheet->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(sheet));
    Mouse(sheet->picPixels(), QEvent::MouseButtonPress, PixelPoint({0, 0}), Qt::LeftButton, {});
    Mouse(sheet->picPixels(), QEvent::MouseMove, PixelPoint({7, 7}), Qt::LeftButton, {});
    QCoreApplication::processEvents();
    QVERIFY(window_->History().inStep());
    const ImageData image = ImageNow();
    QVERIFY(image != before);
    const int palette = sheet->palette();
    QCOMPARE(PixelsDiffering(Grab(window_->picEditor()), ReferenceRoom(image, kStage, 0, 2)), 0);
    QCOMPARE(PixelsDiffering(Grab(window_->picTile()), ReferencePage(image, kStage, block / 16, 2)), 0);
    QCOMPARE(PixelsDiffering(Grab(window_->picSelectedTile()), ReferenceBlock(image, kStage, block, 2)), 0);
    QCOMPARE(PixelsDiffering(Grab(editor->picTile()), ReferenceEditorBlock(image, kStage, block)), 0);
    frmStageOverview* overview = window_->StageOverview(false);
    for (int room = 0; room < overview->roomCount(); ++room)
        QCOMPARE(PixelsDiffering(overview->Thumbnail(room), ReferenceRoom(image, kStage, room, 1)), 0);
    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(image, kStage, palette)), 0);
    QCOMPARE(PixelsDiffering(Grab(sheet->picPixels()), ReferenceTileZoom(image, kStage, palette, tile)), 0);

    Mouse(sheet->picPixels(), QEvent::MouseButtonRelease, PixelPoint({7, 7}), Qt::LeftButton, {});
    QVERIFY(!window_->History().inStep());
    QCOMPARE(window_->History().undoName(), QStringLiteral("Tile Pixels"));
}

void TestTileSheet::undoBringsTheSheetToTheTile_data()
{
    QTest::addColumn<bool>("redo");
    QTest::newRow("undo") << false;
    QTest::newRow("redo") << true;
}

void TestTileSheet::undoBringsTheSheetToTheTile()
{
    QFETCH(bool, redo);
    frmTileSheet* sheet = OpenSheet(2);
    QVERIFY(sheet != nullptr);
    Press(sheet->picSheet(), Qt::LeftButton, TilePoint(0x21));
    const ImageData before = ImageNow();
    Press(sheet->picSheetPal((TileValues(before, 2, 0x21)[9] + 1) % 4), Qt::LeftButton, QPoint(12, 12));
    Drag(sheet->picPixels(), {PixelPoint({1, 1}), PixelPoint({4, 1})});
    const ImageData after = ImageNow();
    QVERIFY(after != before);

    const auto goElsewhere = [&] {
        Press(sheet->picSheet(), Qt::LeftButton, TilePoint(0x05));
        window_->mnuStageSelect(5)->trigger();
    };
    goElsewhere();
    window_->mnuUndo()->trigger();
    if (redo) {
        goElsewhere();
        window_->mnuRedo()->trigger();
    }
    QCOMPARE(ImageNow(), redo ? after : before);
    QCOMPARE(int(CurrentStage), 2);
    QCOMPARE(sheet->selectedTile(), 0x21);
    const ImageData image = ImageNow();
    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(image, 2, sheet->palette())), 0);
    QCOMPARE(PixelsDiffering(Grab(sheet->picPixels()), ReferenceTileZoom(image, 2, sheet->palette(), 0x21)), 0);
}

void TestTileSheet::paletteFollowsTheBlock_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("picked in the block table") << "table";
    QTest::newRow("shown in the tile editor") << "editor";
    QTest::newRow("given another palette in the tile editor") << "option";
    QTest::newRow("shown in the tile editor before the sheet was made") << "before";
}

void TestTileSheet::paletteFollowsTheBlock()
{
    QFETCH(QString, how);
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("level.nes"))));
    window_->mnuStageSelect(2)->trigger();
    window_->mnuTileEditor()->trigger(); // block 0
    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(editor != nullptr);
    const auto paletteOf = [](int block) { return RomImage.at(Stages[2].BlockAttributes + block) % 4; };
    // A block whose palette is not block 0's.
    int block = 1;
    while (block < 16 && paletteOf(block) == paletteOf(0))
        ++block;
    QVERIFY(block < 16);
    if (how == QLatin1String("before"))
        editor->ShowBlock(block);
    window_->mnuTileSheet()->trigger();
    frmTileSheet* sheet = window_->TileSheet(false);
    QVERIFY(sheet != nullptr);
    QCOMPARE(sheet->palette(), paletteOf(how == QLatin1String("before") ? block : 0));
    int expected = paletteOf(block);
    if (how == QLatin1String("table")) {
        Press(window_->picTile(), Qt::LeftButton, QPoint((block % 2) * 32 + 5, (block / 2) * 32 + 5));
    } else if (how == QLatin1String("editor")) {
        editor->ShowBlock(block);
    } else if (how == QLatin1String("option")) {
        expected = (sheet->palette() + 2) % 4;
        editor->optPal(expected)->click();
    }
    QCOMPARE(sheet->palette(), expected);
    QVERIFY(sheet->optSheetPal(expected)->isChecked());
    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(ImageNow(), 2, expected)), 0);
}

void TestTileSheet::quadrantClicks_data()
{
    QTest::addColumn<bool>("sheetShown");
    QTest::addColumn<int>("selected"); // -1: no tile selected in the sheet
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("quadrant");
    QTest::newRow("left click on the top-left quadrant writes the tile") << true << 0x4A << int(Qt::LeftButton) << 0;
    QTest::newRow("left click on the bottom-right quadrant, a shared tile")
        << true << 0x93 << int(Qt::LeftButton) << 3;
    QTest::newRow("right click selects the quadrant's tile") << true << 0x4A << int(Qt::RightButton) << 2;
    QTest::newRow("nothing without the sheet shown") << false << 0x4A << int(Qt::LeftButton) << 1;
    QTest::newRow("right click does nothing without the sheet shown") << false << 0x4A << int(Qt::RightButton) << 1;
    QTest::newRow("nothing without a tile selected") << true << -1 << int(Qt::LeftButton) << 1;
}

void TestTileSheet::quadrantClicks()
{
    QFETCH(bool, sheetShown);
    QFETCH(int, selected);
    QFETCH(int, button);
    QFETCH(int, quadrant);
    constexpr int kStage = 2;
    frmTileSheet* sheet = OpenSheet(kStage);
    QVERIFY(sheet != nullptr);
    window_->mnuTileEditor()->trigger(); // block 0
    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(editor != nullptr && editor->isVisible());
    if (selected >= 0)
        Press(sheet->picSheet(), Qt::LeftButton, TilePoint(selected));
    if (!sheetShown)
        window_->mnuTileSheet()->trigger();
    QCOMPARE(sheet->isVisible(), sheetShown);
    const ImageData before = ImageNow();
    const std::size_t steps = window_->History().undoCount();

    Press(editor->picTile(), static_cast<Qt::MouseButton>(button), QPoint((quadrant % 2) * 64 + 30, (quadrant / 2) * 64 + 30));
    const bool writes = sheetShown && selected >= 0 && button == Qt::LeftButton;
    const int now = BlockByte(ImageNow(), kStage, 0, quadrant);
    QCOMPARE(now, writes ? selected : BlockByte(before, kStage, 0, quadrant));
    QCOMPARE(Differences(before, ImageNow()).size(), std::size_t{writes ? 1u : 0u});
    QCOMPARE(window_->History().undoCount(), steps + (writes ? 1 : 0));
    if (writes)
        QCOMPARE(window_->History().undoName(), QStringLiteral("Tile Number"));
    QCOMPARE(editor->hsTile(quadrant)->value(), now);
    QCOMPARE(editor->lblTileValue(quadrant)->text(), Hex(now, 2));
    QCOMPARE(PixelsDiffering(Grab(editor->picTile()), ReferenceEditorBlock(ImageNow(), kStage, 0)), 0);
    const bool takes = sheetShown && button == Qt::RightButton;
    QCOMPARE(sheet->selectedTile(), takes ? now : selected);
}

void TestTileSheet::menuItems()
{
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("level.nes"))));
    for (QAction* item : {window_->mnuTileSheet(), window_->mnuExportTiles(), window_->mnuImportTiles()})
        QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
    window_->mnuStageSelect(0)->trigger();
    for (QAction* item : {window_->mnuTileSheet(), window_->mnuExportTiles(), window_->mnuImportTiles()})
        QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    QVERIFY(window_->TileSheet(false) == nullptr); // created on first use

    QAction* item = window_->mnuTileSheet();
    QVERIFY(item->isCheckable());
    item->trigger();
    frmTileSheet* sheet = window_->TileSheet(false);
    QVERIFY(sheet != nullptr && sheet->isVisible() && item->isChecked());
    item->trigger();
    QVERIFY(!sheet->isVisible() && !item->isChecked());
    item->trigger();
    QVERIFY(sheet->isVisible() && item->isChecked());
    sheet->close(); // its close box hides it
    QVERIFY(!sheet->isVisible() && !item->isChecked());
    QCOMPARE(window_->TileSheet(false), sheet);
}

void TestTileSheet::exportTiles_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("palette");
    QTest::addColumn<QString>("name");
    QTest::newRow("PNG of stage 3 in palette 2") << 2 << 2 << "tiles.png";
    QTest::newRow("CHR of stage 2: tiles 80-FF from stage 1") << 1 << 0 << "tiles.chr";
    QTest::newRow("CHR of stage 9") << 8 << 0 << "stage9.CHR";
}

void TestTileSheet::exportTiles()
{
    QFETCH(int, stage);
    QFETCH(int, palette);
    QFETCH(QString, name);
    frmTileSheet* sheet = OpenSheet(stage);
    QVERIFY(sheet != nullptr);
    sheet->optSheetPal(palette)->click();
    const ImageData image = ImageNow();
    const QString path = box_->path(name);
    answerer_.expect(ChooseFile(path));
    window_->mnuExportTiles()->trigger();
    QTRY_COMPARE(answerer_.pending(), 0);
    QVERIFY(QFile::exists(path));

    const QByteArray chr = StageTileBytes(image, stage);
    if (name.endsWith(QLatin1String(".png"))) {
        const QImage picture(path);
        QCOMPARE(picture.format(), QImage::Format_Indexed8);
        QCOMPARE(picture.size(), QSize(128, 128));
        QCOMPARE(picture.colorCount(), 4);
        for (int value = 0; value < 4; ++value)
            QCOMPARE(picture.color(value) & 0xFFFFFFu, ColourOfNumber(PaletteColour(image, stage, palette, value)));
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                QVERIFY(picture.pixelIndex(x, y) == ChrPixel(chr, (y / 8) * 16 + x / 8, x % 8, y % 8));
    } else {
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(ReadFileBytes(path).data()), 4096), chr);
        QCOMPARE(ReadFileBytes(path).size(), std::size_t{4096});
    }
    QCOMPARE(ImageNow(), image);
}

void TestTileSheet::importTiles_data()
{
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("file"); // chr, png, foreign colour, short chr
    QTest::addColumn<QList<int>>("tiles"); // the tiles the file changes
    QTest::addColumn<QString>("answer");   // to the shared-set question, when it is asked
    QTest::addColumn<QString>("refusal");  // what the message says, when the file is refused
    const QString none;
    QTest::newRow("CHR into stage 9: its own tiles, no question") << 8 << "chr" << QList<int>{0x10, 0x90} << none << none;
    QTest::newRow("CHR into stage 3 changing tiles 00-7F: no question") << 2 << "chr" << QList<int>{0x10, 0x7F} << none << none;
    QTest::newRow("CHR into stage 3 changing the shared set, Yes") << 2 << "chr" << QList<int>{0x10, 0x90} << "&Yes" << none;
    QTest::newRow("the same, Cancel") << 2 << "chr" << QList<int>{0x90} << "Cancel" << none;
    QTest::newRow("the same, Enter: Cancel is the default") << 2 << "chr" << QList<int>{0xFF} << "Enter" << none;
    QTest::newRow("PNG in the sheet's palette into stage 3") << 2 << "png" << QList<int>{0x22} << none << none;
    QTest::newRow("a colour not in the palette, named by its pixel")
        << 2 << "foreign" << QList<int>{0x22} << none
        << "x 17, y 40: #A1B2C3 is not one of the palette's colours.";
    QTest::newRow("a CHR of the wrong size, with its size") << 8 << "short" << QList<int>{} << none << "4,095 bytes";
}

void TestTileSheet::importTiles()
{
    QFETCH(int, stage);
    QFETCH(QString, file);
    QFETCH(QList<int>, tiles);
    QFETCH(QString, answer);
    QFETCH(QString, refusal);
    frmTileSheet* sheet = OpenSheet(stage);
    QVERIFY(sheet != nullptr);
    sheet->optSheetPal(1)->click();
    const ImageData before = ImageNow();
    QByteArray chr = StageTileBytes(before, stage);
    for (const int tile : tiles)
        for (int i = 0; i < 16; ++i)
            chr[tile * 16 + i] = static_cast<char>(~chr[tile * 16 + i] ^ i);

    QString path;
    if (file == QLatin1String("chr") || file == QLatin1String("short")) {
        path = box_->write(QStringLiteral("tiles.chr"), file == QLatin1String("short") ? chr.left(4095) : chr);
    } else {
        QImage picture(128, 128, QImage::Format_Indexed8);
        picture.setColorCount(4);
        for (int value = 0; value < 4; ++value)
            picture.setColor(value, 0xFF000000u | ColourOfNumber(PaletteColour(before, stage, 1, value)));
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                picture.setPixel(x, y, static_cast<uint>(ChrPixel(chr, (y / 8) * 16 + x / 8, x % 8, y % 8)));
        if (file == QLatin1String("foreign")) {
            picture = picture.convertToFormat(QImage::Format_RGB32);
            picture.setPixel(17, 40, 0xFFA1B2C3u);
        }
        path = box_->path(QStringLiteral("tiles.png"));
        QVERIFY(picture.save(path));
    }
    answerer_.expect(ChooseFile(path));
    if (!answer.isEmpty())
        answerer_.expect(answer == QLatin1String("Enter") ? PressEnter() : ClickButton(answer));
    if (!refusal.isEmpty())
        answerer_.expect(PressStandard(QMessageBox::Ok));
    window_->mnuImportTiles()->trigger();
    QTRY_COMPARE(answerer_.pending(), 0);

    const QString question = QStringLiteral(
        "Import Tile Set|Tiles 80-FF are shared by stages 1 to 8. Change them in every one of those stages?");
    QCOMPARE(answerer_.seen().contains(question), !answer.isEmpty());
    if (!refusal.isEmpty())
        QVERIFY2(answerer_.seen().last().contains(refusal), qPrintable(answerer_.seen().last()));
    const bool changes = refusal.isEmpty() && (answer.isEmpty() || answer == QLatin1String("&Yes"));
    const ImageData after = ImageNow();
    if (!changes) {
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(window_->History().undoName(), QStringLiteral("Import Tiles"));
    QCOMPARE(StageTileBytes(after, stage), chr);
    window_->mnuUndo()->trigger();
    QCOMPARE(ImageNow(), before); // one step
    window_->mnuRedo()->trigger();
    // Stage 1 draws the shared set too.
    window_->mnuStageSelect(0)->trigger();
    QCOMPARE(PixelsDiffering(Grab(sheet->picSheet()), ReferenceSheet(after, 0, 1)), 0);
}

QTEST_MAIN(TestTileSheet)
#include "test_tilesheet.moc"
