// The main window's views of a level: the numbers under the pointer in status
// panel 3, the highlighted uses of the selected block, Find Next Use, the
// marks of changed cells, and the numbers beside the tile editor's controls.
// Offsets and uses are worked out in the test from the stage table written
// out and a scan of the image bytes.

#include "data/Level.h"
#include "data/RomDocument.h"
#include "data/modGlobals.h"
#include "graphics/RoomMarks.h"
#include "support/InsightChecks.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
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

void Leave(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

QPoint CellCentre(int x, int y)
{
    return {x * 32 + 13, y * 32 + 17};
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

private:
    void open(std::vector<std::uint8_t> bytes, int row);
    void pick(int block);
    std::uint32_t At(int x, int y) { return Rgb(window_->picEditor()->backBuffer(), x, y); }

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    std::vector<std::uint8_t> image_;
};

void TestInsight::init()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
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

void TestInsight::pick(int block)
{
    window_->hsTable()->setValue(block / 16);
    Press(window_->picTile(), Qt::LeftButton, {(block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5});
    QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
}

void TestInsight::menuItems()
{
    // In the View and Edit menus, disabled until a stage is chosen.
    const QList<std::pair<QAction*, QMenu*>> items = {{window_->mnuStageOverview(), window_->menuView()},
                                                      {window_->mnuHighlightUses(), window_->menuView()},
                                                      {window_->mnuShowChanges(), window_->menuView()},
                                                      {window_->mnuFindNextUse(), window_->menuEdit()}};
    for (const auto& [item, menu] : items) {
        QVERIFY(menu->actions().contains(item));
        QVERIFY(!item->isEnabled());
    }
    QCOMPARE(window_->mnuFindNextUse()->shortcut(), QKeySequence(Qt::Key_F3));
    QVERIFY(window_->mnuHighlightUses()->isCheckable() && window_->mnuShowChanges()->isCheckable());
    QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("Panels(3)")), window_->Panel(3));
    QVERIFY(window_->Panel(3)->minimumWidth() > 0 && window_->Panel(3)->minimumWidth() == window_->Panel(3)->maximumWidth());
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

    Move(window_->picEditor(), CellCentre(cell.x(), cell.y()));
    const std::int64_t offset = stage.cell(room, cell.y(), cell.x());
    QCOMPARE(window_->Panel(3)->text(),
             ExpectedCellText(room, cell.y(), cell.x(), image_[std::size_t(offset)], offset));
    Leave(window_->picEditor());
    QCOMPARE(window_->Panel(3)->text(), QString());

    window_->hsTable()->setValue(block / 16);
    Move(window_->picTile(), {(block % 2) * 32 + 20, (block % 16 / 2) * 32 + 3});
    const int uses = int(CellsHolding(image_, stage, block).size());
    QCOMPARE(window_->Panel(3)->text(), ExpectedBlockText(image_, stage, block, uses));
    // Off the cells (the table's picture is wider than its grid): nothing.
    Move(window_->picTile(), {70, 3});
    QCOMPARE(window_->Panel(3)->text(), QString());
}

void TestInsight::hoverFollowsEdits()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const int block = (image_[std::size_t(stage.cell(0, 2, 2))] + 1) % 256;
    pick(block);
    const int usesBefore = int(CellsHolding(image_, stage, block).size());
    Move(window_->picEditor(), CellCentre(2, 2));
    Press(window_->picEditor(), Qt::LeftButton, CellCentre(2, 2)); // placed under the pointer
    QCoreApplication::processEvents();
    QCOMPARE(window_->Panel(3)->text(), ExpectedCellText(0, 2, 2, block, stage.cell(0, 2, 2)));
    Move(window_->picTile(), {(block % 2) * 32 + 5, (block % 16 / 2) * 32 + 5});
    QVERIFY(window_->Panel(3)->text().endsWith(QStringLiteral("used %1").arg(usesBefore + 1)));
    // Another room under a resting pointer, and the panel follows it.
    Move(window_->picEditor(), CellCentre(2, 2));
    window_->hLevel_Frames()->setValue(1);
    QCOMPARE(window_->Panel(3)->text(),
             ExpectedCellText(1, 2, 2, image_[std::size_t(stage.cell(1, 2, 2))], stage.cell(1, 2, 2)));
}

void TestInsight::highlightUses()
{
    std::vector<std::uint8_t> bytes = DemoBytes();
    const WrittenOutStage stage(DemoLayout::Plain, 1);
    const std::vector<CellPosition> cells = {{0, 0, 0}, {0, 5, 7}, {0, 11, 15}, {2, 1, 1}};
    PlantBlock(bytes, stage, 0x47, 0x48, cells);
    open(bytes, 1);
    pick(0x47);
    window_->mnuHighlightUses()->trigger();
    QVERIFY(window_->mnuHighlightUses()->isChecked());
    const QImage shown = Grab(window_->picEditor());
    QCOMPARE(shown, window_->picEditor()->backBuffer().convertToFormat(shown.format()));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool use = (x == 0 && y == 0) || (x == 7 && y == 5) || (x == 15 && y == 11);
            const int b = image_[std::size_t(stage.cell(0, y, x))];
            if (use) {
                QCOMPARE(Rgb(shown, x * 32 + 1, y * 32 + 16), kUseMarkColour);
                QCOMPARE(Rgb(shown, x * 32 + 2, y * 32 + 16), kMarkEdgeColour);
                QCOMPARE(Cell(shown, x, y).copy(8, 8, 16, 16), ExpectedBlock(b).copy(8, 8, 16, 16));
            } else {
                QCOMPARE(Cell(shown, x, y), ExpectedBlock(b));
            }
        }
    // Another selection moves the outlines; switched off, the plain room.
    pick(0x48);
    QCOMPARE(Cell(Grab(window_->picEditor()), 7, 5), ExpectedBlock(0x47));
    window_->mnuHighlightUses()->trigger();
    for (const CellPosition& cell : CellsHolding(image_, stage, 0x48))
        if (cell.room == 0)
            QCOMPARE(Cell(Grab(window_->picEditor()), cell.column, cell.row), ExpectedBlock(0x48));
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
    // Room, then row, then column order, from the current room, wrapping around.
    const std::vector<CellPosition> order = {{2, 4, 2}, {2, 4, 9}, {7, 0, 0}, {0, 11, 15}, {2, 4, 2}};
    for (const CellPosition& cell : order) {
        window_->mnuFindNextUse()->trigger();
        QCOMPARE(window_->hLevel_Frames()->value(), cell.room);
        QCOMPARE(window_->Panel(2)->text(), RoomText(cell.room));
        const QImage shown = Grab(window_->picEditor());
        QCOMPARE(Rgb(shown, cell.column * 32, cell.row * 32 + 16), kFoundMarkColour);
        QCOMPARE(Rgb(shown, cell.column * 32 + 2, cell.row * 32 + 16), kMarkEdgeColour);
        const std::int64_t offset = stage.cell(cell.room, cell.row, cell.column);
        QCOMPARE(window_->Panel(3)->text(), ExpectedCellText(cell.room, cell.row, cell.column, 0x47, offset));
    }
    // Moved elsewhere by the user: the search starts at that room's first cell.
    window_->hLevel_Frames()->setValue(3);
    window_->mnuFindNextUse()->trigger();
    QCOMPARE(window_->hLevel_Frames()->value(), 7);

    pick(0x49);
    window_->mnuFindNextUse()->trigger();
    QCOMPARE(window_->Panel(3)->text(), QStringLiteral("Not used in this stage"));
    QCOMPARE(window_->hLevel_Frames()->value(), 7);
    QCOMPARE(Cell(Grab(window_->picEditor()), 0, 0), ExpectedBlock(0x47)); // the old outline went
    QCOMPARE(ImageNow(), image_); // nothing here writes
}

void TestInsight::changeMarksAndUndo()
{
    open(DemoBytes(), 0);
    const WrittenOutStage stage(DemoLayout::Plain, 0);
    const int original = image_[std::size_t(stage.cell(0, 3, 2))];
    const int other = (original + 1) % 256;
    window_->mnuShowChanges()->trigger();
    pick(other);
    Press(window_->picEditor(), Qt::LeftButton, CellCentre(2, 3));
    QCoreApplication::processEvents();
    const auto marked = [&](int x, int y) {
        return Rgb(window_->picEditor()->backBuffer(), x * 32 + 31, y * 32) == kChangeMarkColour;
    };
    QVERIFY(marked(2, 3));
    QCOMPARE(Cell(Grab(window_->picEditor()), 2, 3).copy(0, 12, 32, 20), ExpectedBlock(other).copy(0, 12, 32, 20));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(marked(x, y), x == 2 && y == 3);

    // Undoing back removes the mark, and so does putting the block back by hand.
    window_->mnuUndo()->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(Cell(Grab(window_->picEditor()), 2, 3), ExpectedBlock(original));
    window_->mnuRedo()->trigger();
    QCoreApplication::processEvents();
    QVERIFY(marked(2, 3));
    pick(original);
    Press(window_->picEditor(), Qt::LeftButton, CellCentre(2, 3));
    QCoreApplication::processEvents();
    QCOMPARE(Cell(Grab(window_->picEditor()), 2, 3), ExpectedBlock(original));
    // A change in another room is marked when that room is shown.
    window_->hLevel_Frames()->setValue(1);
    Press(window_->picEditor(), Qt::LeftButton, CellCentre(0, 0));
    window_->hLevel_Frames()->setValue(0);
    window_->hLevel_Frames()->setValue(1);
    QCOMPARE(marked(0, 0), image_[std::size_t(stage.cell(1, 0, 0))] != original);
    window_->mnuShowChanges()->trigger();
    QVERIFY(!marked(0, 0));
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
    for (int i = 0; i < 4; ++i)
        controls << editor->picPal(i) << editor->hsTile(i) << editor->optPal(i);
    QList<QLabel*> labels = {editor->lblBlockValue()};
    for (int k = 0; k < 4; ++k)
        labels << editor->lblTileValue(k);
    for (QLabel* label : labels) {
        QVERIFY(editor->rect().contains(label->geometry()));
        QVERIFY(label->fontMetrics().horizontalAdvance(QStringLiteral("FF")) <= label->width());
        for (QWidget* control : controls)
            QVERIFY2(!label->geometry().intersects(control->geometry()),
                     qPrintable(label->objectName() + QStringLiteral(" over ") + control->objectName()));
    }
}

QTEST_MAIN(TestInsight)
#include "test_insight.moc"
