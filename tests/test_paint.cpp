// Painting in the main window: strokes, the eyedropper, the table's frame,
// selecting cells, the clipboard and the paste preview, fill, undo that names
// its step and shows where it is, and the keys and wheel that move around.

#include "data/CellClipboard.h"
#include "data/EditHistory.h"
#include "data/PatchApply.h"
#include "data/modGlobals.h"
#include "graphics/Compositor.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/FrameOverlay.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <memory>
#include <set>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Points = QList<QPoint>;

void Hover(QWidget* widget, QPoint at)
{
    Mouse(widget, QEvent::MouseMove, at, Qt::NoButton, {});
}

QPoint At(int column, int row)
{
    return {column * 32 + 9, row * 32 + 9};
}

// Cell offsets of room `room` of stage row `stage` of a plain demo image.
std::int64_t CellOffset(int stage, int room, int column, int row)
{
    return RoomStart(DemoLayout::Plain, stage) + room * 192 + row * 16 + column;
}

QImage RoomAsDrawn(int room)
{
    RenderFaults faults;
    return RoomImage({RomImage.bytes(), Stages, CurrentStage}, room, 2, faults);
}

} // namespace

class TestPaint : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void strokeCells_data();
    void strokeCells();
    void strokeOverIdenticalCellsWritesNothing();
    void strokePastTheEndOfTheImage();
    void eyedropperAndTableFrame();
    void selectionOutline();
    void copyAndPasteAcrossStages();
    void pasteRefusesWhatIsNotCells_data();
    void pasteRefusesWhatIsNotCells();
    void fillIsFourConnected();
    void undoNames_data();
    void undoNames();
    void undoShowsWhereTheChangeIs();
    void wheelAndKeys();
    void selectionHabits_data();
    void selectionHabits();

private:
    void pick(int block);
    std::vector<std::int64_t> written(const std::vector<std::uint8_t>& before) const { return Differences(before, ImageNow()); }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestPaint::init()
{
    ResetGlobals();
    answerer_.reset();
    QGuiApplication::clipboard()->clear();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
    QVERIFY(window_->OpenFile(sandbox_->demoImage(QStringLiteral("paint.nes"))));
    window_->mnuStageSelect(0)->trigger();
}

void TestPaint::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
    sandbox_.reset();
}

void TestPaint::pick(int block)
{
    window_->hsTable()->setValue(block / 16);
    Press(window_->picTile(), Qt::LeftButton, QPoint((block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5));
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
}

void TestPaint::strokeCells_data()
{
    QTest::addColumn<Points>("path");
    QTest::addColumn<QString>("cells"); // "c,r ..." every cell the stroke reaches
    QTest::addColumn<QString>("name");
    QTest::newRow("one click") << Points{At(0, 0)} << "0,0" << "Place Block";
    QTest::newRow("wiggling in one cell") << Points{{3, 3}, {30, 30}, {10, 1}} << "0,0" << "Place Block";
    QTest::newRow("one fast diagonal move") << Points{At(1, 1), At(5, 5)} << "1,1 2,2 3,3 4,4 5,5" << "Paint";
    QTest::newRow("one fast move along a row") << Points{At(2, 7), At(9, 7)} << "2,7 3,7 4,7 5,7 6,7 7,7 8,7 9,7"
                                               << "Paint";
    QTest::newRow("shallow line") << Points{At(0, 0), At(4, 2)} << "0,0 1,1 2,1 3,2 4,2" << "Paint";
    // Out over the right edge and back in lower down: only the room's cells of both lines.
    QTest::newRow("across the right edge and back")
        << Points{At(14, 3), QPoint(18 * 32 + 5, 3 * 32 + 5), At(14, 6)} << "14,3 15,3 15,5 14,6" << "Paint";
    QTest::newRow("out above the top") << Points{At(2, 1), QPoint(2 * 32 + 5, -70)} << "2,1 2,0" << "Paint";
}

void TestPaint::strokeCells()
{
    QFETCH(Points, path);
    QFETCH(QString, cells);
    QFETCH(QString, name);
    pick(0xC3);
    const auto before = ImageNow();
    const std::size_t steps = window_->History().undoCount();

    Drag(window_->picEditor(), path);

    std::set<std::int64_t> expected;
    for (const QString& item : cells.split(QLatin1Char(' '))) {
        const int column = item.section(QLatin1Char(','), 0, 0).toInt();
        const int row = item.section(QLatin1Char(','), 1, 1).toInt();
        const std::int64_t offset = CellOffset(0, 0, column, row);
        QCOMPARE(int(RomImage[offset]), 0xC3);
        if (before[static_cast<std::size_t>(offset)] != 0xC3)
            expected.insert(offset);
    }
    QVERIFY(!expected.empty());
    const auto changed = written(before);
    QCOMPARE(std::set<std::int64_t>(changed.begin(), changed.end()), expected);
    // One stroke, one step, named after the gesture; the view shows what the image holds.
    QCOMPARE(window_->History().undoCount(), steps + 1);
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo ") + name);
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(0));
    window_->mnuUndo()->trigger();
    QCOMPARE(ImageNow(), before);
    QCOMPARE(window_->mnuRedo()->text(), QStringLiteral("&Redo ") + name);
}

void TestPaint::strokeOverIdenticalCellsWritesNothing()
{
    pick(0x44);
    Drag(window_->picEditor(), {At(0, 2), At(15, 2)});
    window_->mnuSave()->trigger();
    QVERIFY(!RomImage.modified());
    const std::size_t steps = window_->History().undoCount();
    Drag(window_->picEditor(), {At(15, 2), At(3, 2), At(9, 2)});
    QVERIFY(!RomImage.modified());
    QCOMPARE(window_->History().undoCount(), steps);
    QVERIFY(!window_->windowTitle().endsWith(QStringLiteral(" *")));
}

void TestPaint::strokePastTheEndOfTheImage()
{
    // Stage 4's room 0 runs 92 cells past the end of the image: cell 100 on.
    const auto size = static_cast<std::int32_t>(RomImage.size());
    Stages[3].RoomData = size - 100;
    Stages[3].RoomList = size - 140;
    window_->mnuStageSelect(3)->trigger();
    pick(0x09);
    const auto before = ImageNow();

    // Row 6 from its first cell (96) to its last (111), then back: cells 96..99 are painted.
    Drag(window_->picEditor(), {At(0, 6), At(15, 6), At(8, 6), At(15, 6)});
    std::vector<std::int64_t> expected;
    for (std::int64_t offset = size - 4; offset < size; ++offset)
        if (before[static_cast<std::size_t>(offset)] != 0x09)
            expected.push_back(offset);
    QCOMPARE(written(before), expected);
    // Said in the status bar, not in a box that would break the stroke; the
    // file name and room panels stay in view beside it.
    QVERIFY(answerer_.seen().isEmpty());
    QVERIFY(window_->StatusNote()->isVisible());
    QVERIFY(window_->StatusNote()->text().contains(QStringLiteral("past the end of the image")));
    QVERIFY(window_->Panel(1)->isVisible());
    QVERIFY(window_->Panel(2)->isVisible());
    // The cells past the end still show the fault colour, not the block.
    QCOMPARE(Cell(Grab(window_->picEditor()), 4, 6), Cell(RoomAsDrawn(0), 4, 6));

    // Copying or filling cells past the end does nothing at all, and says why.
    Drag(window_->picEditor(), {At(2, 5), At(5, 6)}, Qt::ShiftModifier); // cells 82..85, 98..101
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuCopy()->trigger();
    window_->mnuFillSelection()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(answerer_.seen().at(0).startsWith(QStringLiteral("Copy|Nothing was copied")));
    QVERIFY2(answerer_.seen().at(1).startsWith(QStringLiteral("Fill Selection|Nothing was written: 2 of the 8 cells lie past")),
             qPrintable(answerer_.seen().at(1)));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    QCOMPARE(written(before), expected);
}

void TestPaint::eyedropperAndTableFrame()
{
    window_->hLevel_Frames()->setValue(1);
    const QImage level = Grab(window_->picEditor());
    const int under = RomImage[CellOffset(0, 1, 6, 4)];
    auto* frame = window_->findChild<FrameOverlay*>(QStringLiteral("picTileFrame"));
    QVERIFY(frame != nullptr);
    QVERIFY(frame->frame().isNull());

    Press(window_->picEditor(), Qt::RightButton, At(6, 4));
    // Selected as a pick in the table would: tag, preview, tile editor, page.
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(under));
    QCOMPARE(Grab(window_->picSelectedTile()), ExpectedBlock(under));
    QCOMPARE(window_->TileEdit(false)->vsTile()->value(), under);
    QCOMPARE(window_->hsTable()->value(), under / 16);
    QCOMPARE(Grab(window_->picEditor()), level);
    QVERIFY(!RomImage.modified());

    // The frame: over the block's cell of the table, on screen but not in the table's picture.
    const QRect cell((under % 2) * 32, (under % 16 / 2) * 32, 32, 32);
    QCOMPARE(frame->frame(), cell);
    QCOMPARE(Cell(Grab(window_->picTile()), under % 2, under % 16 / 2), ExpectedBlock(under));
    const QImage shown = Grab(window_.get())
                             .copy(QRect(window_->picTile()->mapTo(window_.get(), QPoint()), window_->picTile()->size()));
    QCOMPARE(Rgb(shown, cell.left(), cell.top() + 10), FrameOverlay::kOuterColour);
    QCOMPARE(Rgb(shown, cell.left() + 1, cell.top() + 10), FrameOverlay::kInnerColour);
    QCOMPARE(Rgb(shown, cell.right(), cell.bottom()), FrameOverlay::kOuterColour);
    QCOMPARE(Rgb(shown, cell.left() + 16, cell.top() + 16), Rgb(ExpectedBlock(under), 16, 16));

    // Gone on another page, back on its own, gone with the selection.
    window_->hsTable()->setValue((under / 16 + 1) % 16);
    QVERIFY(frame->frame().isNull());
    window_->hsTable()->setValue(under / 16);
    QCOMPARE(frame->frame(), cell);
    window_->mnuStageSelect(2)->trigger();
    QVERIFY(frame->frame().isNull());
}

void TestPaint::selectionOutline()
{
    const QImage plain = Grab(window_->picEditor());
    QVERIFY(!window_->mnuCopy()->isEnabled());
    Drag(window_->picEditor(), {At(1, 1), At(2, 2), At(3, 2)}, Qt::ShiftModifier);
    QCOMPARE(window_->CellSelection(), QRect(1, 1, 3, 2));
    QVERIFY(!RomImage.modified());
    QVERIFY(window_->mnuCopy()->isEnabled());
    QVERIFY(!window_->mnuFillSelection()->isEnabled()); // no block selected

    // Two rings of black and white dashes just inside the cells' edge, the
    // cells tinted inside them; nothing else changed.
    const QImage outlined = Grab(window_->picEditor());
    const QRect box(32, 32, 96, 64);
    int tinted = 0;
    for (int y = 0; y < 384; ++y) {
        for (int x = 0; x < 512; ++x) {
            const bool ring = box.contains(x, y) && !box.adjusted(2, 2, -2, -2).contains(x, y);
            const std::uint32_t pixel = Rgb(outlined, x, y);
            if (box.contains(x, y) && !ring)
                tinted += pixel != Rgb(plain, x, y) ? 1 : 0;
            else if (ring ? pixel != 0xFFFFFFu && pixel != 0 : pixel != Rgb(plain, x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
    }
    QVERIFY(tinted > 92 * 60 * 9 / 10);
    // Painting inside it keeps it as it was drawn with the room.
    pick(0x66);
    Drag(window_->picEditor(), {At(2, 1), At(3, 2)});
    QCOMPARE(window_->CellSelection(), QRect(1, 1, 3, 2));
    const QImage painted = Grab(window_->picEditor());
    window_->DrawLevel();
    QCOMPARE(Grab(window_->picEditor()), painted);
    window_->mnuUndo()->trigger();
    QCOMPARE(Rgb(outlined, 32, 32), 0xFFFFFFu);
    QCOMPARE(Rgb(outlined, 36, 32), 0u);

    // Escape clears it; so does a click outside; Select All takes the whole room.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QVERIFY(window_->CellSelection().isEmpty());
    QCOMPARE(Grab(window_->picEditor()), plain);
    window_->mnuSelectAll()->trigger();
    QCOMPARE(window_->CellSelection(), QRect(0, 0, 16, 12));
    window_->hLevel_Frames()->setValue(1);
    QVERIFY(window_->CellSelection().isEmpty()); // it belonged to room 0
    window_->hLevel_Frames()->setValue(0);
    QVERIFY(window_->CellSelection().isEmpty());
    Drag(window_->picEditor(), {At(4, 4), At(5, 5)}, Qt::ShiftModifier);
    Press(window_->picEditor(), Qt::LeftButton, At(9, 9));
    QVERIFY(window_->CellSelection().isEmpty());
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(0));
}

void TestPaint::copyAndPasteAcrossStages()
{
    // Copy 3 x 2 cells of stage 1, room 0.
    Drag(window_->picEditor(), {At(2, 3), At(4, 4)}, Qt::ShiftModifier);
    window_->mnuCopy()->trigger();
    CellBlock copied{3, 2, {}};
    QStringList lines;
    for (int row = 3; row <= 4; ++row) {
        QStringList numbers;
        for (int column = 2; column <= 4; ++column) {
            copied.blocks.push_back(RomImage[CellOffset(0, 0, column, row)]);
            numbers << QStringLiteral("%1").arg(copied.blocks.back(), 2, 16, QLatin1Char('0')).toUpper();
        }
        lines << numbers.join(QLatin1Char(' ')) + QLatin1Char('\n');
    }
    // Both forms on the clipboard: the text reads as the user would write it.
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(QString()));
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("application/x-quorvan-cells")));

    // Into stage 4, room 1: a preview under the pointer, then a click.
    window_->mnuStageSelect(3)->trigger();
    window_->hLevel_Frames()->setValue(1);
    const QImage room = Grab(window_->picEditor());
    const auto before = ImageNow();
    window_->mnuPaste()->trigger();
    QVERIFY(window_->PastePending());
    Hover(window_->picEditor(), At(7, 5));
    const QImage preview = Grab(window_->picEditor());
    QCOMPARE(Cell(preview, 8, 6).copy(4, 4, 24, 24), ExpectedBlock(copied.at(1, 1)).copy(4, 4, 24, 24));
    QCOMPARE(Cell(preview, 10, 5), Cell(room, 10, 5));
    QCOMPARE(ImageNow(), before); // a preview writes nothing
    Hover(window_->picEditor(), At(1, 1));
    QCOMPARE(Cell(Grab(window_->picEditor()), 8, 6), Cell(room, 8, 6)); // it followed the pointer

    Press(window_->picEditor(), Qt::LeftButton, At(7, 5));
    QVERIFY(!window_->PastePending());
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            QCOMPARE(RomImage[CellOffset(3, 1, 7 + column, 5 + row)], copied.at(column, row));
    QVERIFY(written(before).size() <= 6);
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(1));
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo Paste"));

    // Text another program put there pastes too; Escape cancels a paste.
    QGuiApplication::clipboard()->setText(QStringLiteral("0a 0b\n0c 0d\n"));
    window_->mnuPaste()->trigger();
    Hover(window_->picEditor(), At(0, 0));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QVERIFY(!window_->PastePending());
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(1));
    window_->mnuPaste()->trigger();
    Press(window_->picEditor(), Qt::LeftButton, At(0, 0));
    QCOMPARE(int(RomImage[CellOffset(3, 1, 1, 1)]), 0x0D);
}

void TestPaint::pasteRefusesWhatIsNotCells_data()
{
    QTest::addColumn<QString>("text"); // empty: an empty clipboard
    QTest::addColumn<QString>("reason");
    // (Every way text can be malformed is a case of the cell rules' test.)
    QTest::newRow("an empty clipboard") << "" << "The clipboard is empty.";
    QTest::newRow("a sentence") << "Hello there" << "\"Hello\" is not a two-digit";
}

void TestPaint::pasteRefusesWhatIsNotCells()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
    const QImage level = Grab(window_->picEditor());
    answerer_.expect([reason](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QVERIFY2(box->informativeText().contains(reason), qPrintable(box->informativeText()));
        box->button(QMessageBox::Ok)->click();
    });
    window_->mnuPaste()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(answerer_.seen().first().startsWith(QStringLiteral("Paste|The clipboard holds nothing")));
    QVERIFY(!window_->PastePending());
    QVERIFY(!RomImage.modified());
    QCOMPARE(Grab(window_->picEditor()), level);
}

void TestPaint::fillIsFourConnected()
{
    // A room of block 0x21, cells (1, 0) and (0, 1) of 0x22: (0, 0) touches the rest only by a corner.
    pick(0x21);
    window_->mnuSelectAll()->trigger();
    window_->mnuFillSelection()->trigger();
    pick(0x22);
    Press(window_->picEditor(), Qt::LeftButton, At(1, 0));
    Press(window_->picEditor(), Qt::LeftButton, At(0, 1));
    pick(0x23);
    const auto before = ImageNow();
    Mouse(window_->picEditor(), QEvent::MouseButtonPress, At(0, 0), Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(written(before), std::vector<std::int64_t>{CellOffset(0, 0, 0, 0)});
    // The rest of the 0x21 area, in one step.
    Mouse(window_->picEditor(), QEvent::MouseButtonPress, At(9, 9), Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(written(before).size(), std::size_t{190});
    window_->mnuUndo()->trigger();
    QCOMPARE(written(before), std::vector<std::int64_t>{CellOffset(0, 0, 0, 0)});
}

void TestPaint::undoNames_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"Place Block", "Paint", "Paste", "Cut", "Fill", "Fill Selection", "Tile Number",
                             "Palette", "Flags", "Colour", "Apply Patch"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPaint::undoNames()
{
    QFETCH(QString, name);
    pick(0x5A);
    frmTileEdit* tiles = window_->TileEdit(false);
    const auto before = ImageNow();
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo"));
    if (name == QLatin1String("Place Block")) {
        Press(window_->picEditor(), Qt::LeftButton, At(3, 3));
    } else if (name == QLatin1String("Paint")) {
        Drag(window_->picEditor(), {At(3, 3), At(9, 5)});
    } else if (name == QLatin1String("Paste")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("5B 5C"));
        window_->mnuPaste()->trigger();
        Press(window_->picEditor(), Qt::LeftButton, At(0, 0));
    } else if (name == QLatin1String("Cut") || name == QLatin1String("Fill Selection")) {
        window_->mnuSelectAll()->trigger();
        (name == QLatin1String("Cut") ? window_->mnuCut() : window_->mnuFillSelection())->trigger();
    } else if (name == QLatin1String("Fill")) {
        Mouse(window_->picEditor(), QEvent::MouseButtonPress, At(3, 3), Qt::LeftButton, Qt::ControlModifier);
    } else if (name == QLatin1String("Tile Number")) {
        tiles->hsTile(2)->setValue((tiles->hsTile(2)->value() + 1) % 256);
    } else if (name == QLatin1String("Palette")) {
        tiles->optPal((RomImage[Stages[0].BlockAttributes + 0x5A] + 1) % 4)->click();
    } else if (name == QLatin1String("Flags")) {
        tiles->cboFlags()->setCurrentIndex((tiles->cboFlags()->currentIndex() + 1) % 64);
    } else if (name == QLatin1String("Colour")) {
        frmPaletteEditor* palette = window_->PaletteEditor();
        const int colour = (RomImage[Stages[0].Palettes] + 1) % 64;
        Press(palette->picPalGrid(), Qt::LeftButton, QPoint(colour % 16 * 32 + 3, colour / 16 * 32 + 3));
    } else {
        const std::uint8_t value = static_cast<std::uint8_t>(RomImage[0x100] + 1);
        const QByteArray ips = QByteArray("PATCH\x00\x01\x00\x00\x01", 10) + char(value) + QByteArray("EOF");
        QVERIFY(ApplyPatchToDocument(window_->Document(),
                                     {reinterpret_cast<const std::uint8_t*>(ips.constData()), std::size_t(ips.size())})
                    .ok());
    }
    QVERIFY(ImageNow() != before);
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo ") + name);
    QCOMPARE(window_->mnuRedo()->text(), QStringLiteral("&Redo"));
    window_->mnuUndo()->trigger();
    QCOMPARE(ImageNow(), before);
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo"));
    QCOMPARE(window_->mnuRedo()->text(), QStringLiteral("&Redo ") + name);
}

void TestPaint::undoShowsWhereTheChangeIs()
{
    // A block placed in stage 1, room 2; then the user moves to stage 5, room 1.
    window_->hLevel_Frames()->setValue(2);
    pick(0x77);
    const auto opened = ImageNow();
    Press(window_->picEditor(), Qt::LeftButton, At(5, 5));
    const auto placed = ImageNow();
    QVERIFY(placed != opened);
    window_->mnuStageSelect(4)->trigger();
    window_->hLevel_Frames()->setValue(1);

    window_->mnuUndo()->trigger();
    QCOMPARE(ImageNow(), opened);
    QVERIFY(window_->mnuStageSelect(0)->isChecked());
    QVERIFY(!window_->mnuStageSelect(4)->isChecked());
    QCOMPARE(int(CurrentStage), 0);
    QCOMPARE(window_->hLevel_Frames()->value(), 2);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 02"));
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(2));
    // Another stage is chosen as the Level menu does: the selection goes with it.
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("-1"));

    // In the same stage, only the room moves and the selection stays.
    pick(0x30);
    window_->hLevel_Frames()->setValue(0);
    window_->mnuRedo()->trigger();
    QCOMPARE(ImageNow(), placed);
    QCOMPARE(window_->hLevel_Frames()->value(), 2);
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("48"));

    // A block edit in the tile editor shows its page of the table.
    frmTileEdit* tiles = window_->TileEdit(false);
    tiles->ShowBlock(0xD5);
    tiles->hsTile(0)->setValue((tiles->hsTile(0)->value() + 3) % 256);
    window_->hsTable()->setValue(0);
    window_->mnuUndo()->trigger();
    QCOMPARE(window_->hsTable()->value(), 0xD);
    QCOMPARE(Cell(Grab(window_->picTile()), 1, 2), ExpectedBlock(0xD5));
}

void TestPaint::wheelAndKeys()
{
    const auto wheel = [](QWidget* widget, int notches) {
        QWheelEvent event(QPointF(20, 20), widget->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget, &event);
    };
    window_->hLevel_Frames()->setValue(2);
    QSignalSpy rooms(window_->hLevel_Frames(), &QScrollBar::valueChanged);
    wheel(window_->picEditor(), -1); // towards the user: the next room
    QCOMPARE(window_->hLevel_Frames()->value(), 3);
    QCOMPARE(rooms.count(), 1);
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 03"));
    QCOMPARE(Grab(window_->picEditor()), RoomAsDrawn(3));
    wheel(window_->picEditor(), 1);
    QCOMPARE(window_->hLevel_Frames()->value(), 2);
    wheel(window_->picTile(), -2);
    QCOMPARE(window_->hsTable()->value(), 2);
    QCOMPARE(Cell(Grab(window_->picTile()), 0, 0), ExpectedBlock(32));

    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_PageDown);
    QCOMPARE(window_->hLevel_Frames()->value(), 3);
    QTest::keyClick(window_.get(), Qt::Key_PageUp);
    QTest::keyClick(window_.get(), Qt::Key_PageUp);
    QCOMPARE(window_->hLevel_Frames()->value(), 1);
    QTest::keyClick(window_.get(), Qt::Key_7, Qt::ControlModifier);
    QVERIFY(window_->mnuStageSelect(6)->isChecked());
    QCOMPARE(int(CurrentStage), 6);
    QCOMPARE(window_->hLevel_Frames()->value(), 0);

    // The File items show their keys; a window with no image ignores the stage keys.
    QCOMPARE(window_->mnuOpen()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(window_->mnuSave()->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(window_->mnuSaveAS()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    window_.reset();
    ResetGlobals();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_3, Qt::ControlModifier);
    QVERIFY(!window_->mnuStageSelect(2)->isChecked());
}

// What a map editor's user expects of a selection: its size in the status bar,
// Select None, a click outside that only clears it, Paste in Place.
void TestPaint::selectionHabits_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("panel");  // Panels(3) afterwards, the pointer off the views
    QTest::addColumn<bool>("selected");  // cells still selected
    QTest::addColumn<int>("changes");    // bytes written
    QTest::newRow("the selection's size and place") << "" << QString::fromLatin1("Selection 4 \xD7 2 at X A Y 5")
                                                    << true << 0;
    QTest::newRow("Select None") << "none" << "" << false << 0;
    QTest::newRow("a click outside only clears") << "click outside" << "" << false << 0;
    QTest::newRow("a second click places") << "click twice" << "" << false << 1;
    QTest::newRow("Paste in Place puts the copy back") << "paste in place" << "" << false << 8;
    QTest::newRow("Paste in Place of text is refused") << "paste text in place" << "" << false << 0;
}

void TestPaint::selectionHabits()
{
    QFETCH(QString, then);
    QFETCH(QString, panel);
    QFETCH(bool, selected);
    QFETCH(int, changes);
    pick(0x11);
    window_->hLevel_Frames()->setValue(2);
    Drag(window_->picEditor(), {At(10, 5), At(13, 6)}, Qt::ShiftModifier);
    QCOMPARE(window_->Panel(3)->text(), QString::fromLatin1("Selection 4 \xD7 2 at X A Y 5"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window_->picEditor(), &leave);
    QVERIFY(window_->mnuSelectNone()->isEnabled());
    const auto before = ImageNow();
    if (then == QLatin1String("none")) {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_.get(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    } else if (then.startsWith(QLatin1String("click"))) {
        Press(window_->picEditor(), Qt::LeftButton, At(1, 1));
        if (then == QLatin1String("click twice"))
            Press(window_->picEditor(), Qt::LeftButton, At(1, 1));
    } else if (then == QLatin1String("paste in place")) {
        window_->mnuCopy()->trigger();
        // Elsewhere in the room, then the copy put back where it came from.
        window_->mnuFillSelection()->trigger();
        const auto filled = ImageNow();
        window_->mnuPasteInPlace()->trigger();
        QCOMPARE(ImageNow(), before);
        QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo Paste"));
        window_->mnuUndo()->trigger();
        QCOMPARE(ImageNow(), filled);
        window_->mnuSelectNone()->trigger();
    } else if (then == QLatin1String("paste text in place")) {
        QGuiApplication::clipboard()->setText(QStringLiteral("01 02\n"));
        answerer_.expect(ClickButton(QStringLiteral("OK")));
        window_->mnuPasteInPlace()->trigger();
        QVERIFY(answerer_.seen().last().startsWith(QStringLiteral("Paste in Place|")));
        window_->mnuSelectNone()->trigger();
    }
    QCOMPARE(window_->Panel(3)->text(), panel);
    QCOMPARE(!window_->CellSelection().isEmpty(), selected);
    QCOMPARE(int(written(before).size()), changes);
}

QTEST_MAIN(TestPaint)
#include "test_paint.moc"
