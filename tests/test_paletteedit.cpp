// The palette editor, driven as a user would: swatches, the colour grid, picks,
// stage changes, the "&Palette" command and the close button.

#include "data/modGlobals.h"
#include "graphics/DocumentSource.h"
#include "graphics/BlockParts.h"
#include "graphics/DrawBlock.h"
#include "graphics/NesColours.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

Q_DECLARE_METATYPE(Qt::MouseButton)

namespace {

// Colour numbers the demo images never put into a palette, distinct from each other.
constexpr std::uint8_t kUnusedColours[] = {0x0E, 0x1E, 0x2E, 0x3E};

// Black, white, black outlines inside the 32 x 32 square at (x, y).
void PaintFrame(QImage& image, int x, int y)
{
    for (int k = 0; k < 3; ++k) {
        const QRgb c = k == 1 ? 0xFFFFFFFFu : 0xFF000000u;
        for (int i = k; i < 32 - k; ++i) {
            image.setPixel(x + i, y + k, c);
            image.setPixel(x + i, y + 31 - k, c);
            image.setPixel(x + k, y + i, c);
            image.setPixel(x + 31 - k, y + i, c);
        }
    }
}

// The grid with the highlight on colour `highlight` (none outside 0..63).
QImage ExpectedGrid(int highlight)
{
    QImage image(512, 128, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int n = 0; n < 64; ++n)
        painter.fillRect((n % 16) * 32, (n / 16) * 32, 32, 32, QColor::fromRgb(kNesColours[std::size_t(n)]));
    painter.setPen(Qt::black);
    for (int d = 0; d < 16; ++d) {
        painter.drawLine(d * 32, 0, d * 32, 127);
        painter.drawLine(0, d * 32, 511, d * 32);
    }
    painter.end();
    if (highlight >= 0 && highlight < 64)
        PaintFrame(image, (highlight % 16) * 32, (highlight / 16) * 32);
    return image;
}

QImage ExpectedSwatch(int value, bool framed)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(0xFF000000u | NesColourOrFault(unsigned(value)));
    if (framed)
        PaintFrame(image, 0, 0);
    return image;
}

// Empty when equal, else the first differing pixel.
QString FirstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size differs");
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (Rgb(actual, x, y) != Rgb(expected, x, y))
                return QStringLiteral("(%1,%2) is %3, expected %4")
                    .arg(x).arg(y).arg(Rgb(actual, x, y), 6, 16, QLatin1Char('0'))
                    .arg(Rgb(expected, x, y), 6, 16, QLatin1Char('0'));
    return {};
}

std::int64_t PaletteOffset(int stage)
{
    return Stages[std::size_t(stage)].Palettes;
}

QPoint CellCentre(int colour)
{
    return {(colour % 16) * 32 + 16, (colour / 16) * 32 + 16};
}

} // namespace

class TestPaletteEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowLayout();
    void swatchShowsByte_data();
    void swatchShowsByte();
    void pickWritesCellIndex_data();
    void pickWritesCellIndex();
    void swatchEditsItsOffset_data();
    void swatchEditsItsOffset();
    void stageSelectionReloads();
    void paletteCommandShowsAndDiscards();
    void hiddenEditorShowsLaterStage_data();
    void hiddenEditorShowsLaterStage();
    void closeButtonClearsMark();
    void noFileOpen();
    void pickRedrawsMainWindow();
    void swatchAfterImageChanges_data();
    void swatchAfterImageChanges();

private:
    // Opens a demo image, chooses `stage` (0..8) and, when `show` is set, shows
    // the editor through "&Palette".
    frmPaletteEditor* openStage(int stage, DemoLayout layout = DemoLayout::Plain, bool show = true);
    void checkShowsStage(frmPaletteEditor* editor, int stage, int selected);
    static void clickSwatch(frmPaletteEditor* editor, int index);
    static void clickGrid(frmPaletteEditor* editor, QPoint at, Qt::MouseButton button = Qt::LeftButton);

    std::unique_ptr<Sandbox> box_;
    std::unique_ptr<frmQuorvan> window_;
};

void TestPaletteEdit::init()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
    box_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestPaletteEdit::cleanup()
{
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
    window_.reset();
    box_.reset();
}

frmPaletteEditor* TestPaletteEdit::openStage(int stage, DemoLayout layout, bool show)
{
    if (!window_->OpenFile(box_->demoImage(QStringLiteral("demo.nes"), layout, 7)))
        return nullptr;
    window_->mnuStageSelect(stage)->trigger();
    if (show)
        window_->mnuPalette()->trigger();
    return window_->PaletteEditor(false);
}

void TestPaletteEdit::clickSwatch(frmPaletteEditor* editor, int index)
{
    QTest::mouseClick(editor->picLoadedPal(index), Qt::LeftButton, {}, QPoint(10, 12));
}

void TestPaletteEdit::clickGrid(frmPaletteEditor* editor, QPoint at, Qt::MouseButton button)
{
    // Sent by hand: QTest reads the point (0, 0) as "the widget's centre".
    QWidget* grid = editor->picPalGrid();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), grid->mapToGlobal(QPointF(at)), button, button, {});
    QApplication::sendEvent(grid, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), grid->mapToGlobal(QPointF(at)), button, {}, {});
    QApplication::sendEvent(grid, &release);
}

// Every swatch shows its byte of `stage` with its tooltip, swatch `selected` is
// the one framed, and the grid highlights its colour.
void TestPaletteEdit::checkShowsStage(frmPaletteEditor* editor, int stage, int selected)
{
    QCOMPARE(int(editor->SelectedPal()), selected);
    for (int i = 0; i < 16; ++i) {
        const int value = RomImage.at(PaletteOffset(stage) + i);
        const QString diff = FirstDifference(Grab(editor->picLoadedPal(i)), ExpectedSwatch(value, i == selected));
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("swatch %1: %2").arg(i).arg(diff)));
        QCOMPARE(editor->picLoadedPal(i)->toolTip(), QString::number(value, 16).toUpper());
    }
    const QString diff = FirstDifference(Grab(editor->picPalGrid()),
                                         ExpectedGrid(RomImage.at(PaletteOffset(stage) + selected)));
    QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("grid: ") + diff));
}

void TestPaletteEdit::windowLayout()
{
    frmPaletteEditor* editor = openStage(0);
    QVERIFY(editor != nullptr && editor->isVisible());
    QCOMPARE(editor->objectName(), QStringLiteral("frmPaletteEditor"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("Palette Editor"));
    QCOMPARE(editor->minimumSize(), QSize(529, 287));
    QCOMPARE(editor->maximumSize(), QSize(529, 287));
    const Qt::WindowFlags flags = editor->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint) && !flags.testFlag(Qt::WindowMaximizeButtonHint));
    // It opens beside the main window where the screen allows (test_toolwindows
    // checks where); here the screen is small, but it stays on it.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(editor->frameGeometry()));

    const int lefts[8] = {56, 104, 152, 200, 288, 336, 384, 432};
    for (int i = 0; i < 16; ++i) {
        auto* swatch = editor->findChild<PictureBox*>(QStringLiteral("picLoadedPal(%1)").arg(i));
        QVERIFY(swatch != nullptr && swatch == editor->picLoadedPal(i));
        QCOMPARE(swatch->geometry(), QRect(lefts[i % 8], i < 8 ? 40 : 88, 32, 32));
    }
    auto* grid = editor->findChild<PictureBox*>(QStringLiteral("picPalGrid"));
    QVERIFY(grid != nullptr);
    QCOMPARE(grid->geometry(), QRect(8, 144, 512, 128));
}

void TestPaletteEdit::swatchShowsByte_data()
{
    QTest::addColumn<int>("swatch");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("0x0F shows F") << 3 << 0x0F << QStringLiteral("F");
    QTest::newRow("0x30 shows 30") << 12 << 0x30 << QStringLiteral("30");
    QTest::newRow("0 shows 0") << 0 << 0x00 << QStringLiteral("0");
    QTest::newRow("0x3F in the last cell") << 15 << 0x3F << QStringLiteral("3F");
    QTest::newRow("0x40 just past the grid") << 9 << 0x40 << QStringLiteral("40");
    QTest::newRow("0xFF out of range") << 1 << 0xFF << QStringLiteral("FF");
}

void TestPaletteEdit::swatchShowsByte()
{
    QFETCH(int, swatch);
    QFETCH(int, value);
    QFETCH(QString, toolTip);
    frmPaletteEditor* editor = openStage(4);
    QVERIFY(editor != nullptr);
    QVERIFY(RomImage.write(PaletteOffset(4) + swatch, std::uint8_t(value)));
    editor->Init();
    checkShowsStage(editor, 4, 0);
    QCOMPARE(editor->picLoadedPal(swatch)->toolTip(), toolTip);

    // Selected: framed, its colour highlighted (no highlight for a byte above 63).
    clickSwatch(editor, swatch);
    checkShowsStage(editor, 4, swatch);

    // A pick moves the highlight; the swatch keeps its frame and refreshes its tooltip.
    clickGrid(editor, CellCentre(0x2D));
    QCOMPARE(int(RomImage.at(PaletteOffset(4) + swatch)), 0x2D);
    checkShowsStage(editor, 4, swatch);
}

void TestPaletteEdit::pickWritesCellIndex_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("expected"); // -1: nothing written
    QTest::newRow("(0,0) is colour 0") << QPoint(0, 0) << Qt::LeftButton << 0;
    QTest::newRow("(31,31) stays in cell 0") << QPoint(31, 31) << Qt::LeftButton << 0;
    QTest::newRow("(32,0) is colour 1") << QPoint(32, 0) << Qt::LeftButton << 1;
    QTest::newRow("(40,70) is 2*16+1") << QPoint(40, 70) << Qt::LeftButton << 33;
    QTest::newRow("(511,0) ends row 0") << QPoint(511, 0) << Qt::LeftButton << 15;
    QTest::newRow("(0,127) bottom-left") << QPoint(0, 127) << Qt::LeftButton << 48;
    QTest::newRow("(480,96) corner of the last cell") << QPoint(480, 96) << Qt::LeftButton << 63;
    QTest::newRow("(511,127) bottom-right") << QPoint(511, 127) << Qt::LeftButton << 63;
    QTest::newRow("right click (40,70)") << QPoint(40, 70) << Qt::RightButton << 33;
    QTest::newRow("right click bottom-right") << QPoint(500, 120) << Qt::RightButton << 63;
    QTest::newRow("middle click (200,40)") << QPoint(200, 40) << Qt::MiddleButton << 22;
    QTest::newRow("x=512 outside") << QPoint(512, 0) << Qt::LeftButton << -1;
    QTest::newRow("y=128 outside") << QPoint(0, 128) << Qt::LeftButton << -1;
    QTest::newRow("left of the grid") << QPoint(-1, 10) << Qt::LeftButton << -1;
    QTest::newRow("far away") << QPoint(40000, -40000) << Qt::LeftButton << -1;
}

void TestPaletteEdit::pickWritesCellIndex()
{
    QFETCH(QPoint, at);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, expected);
    frmPaletteEditor* editor = openStage(2);
    QVERIFY(editor != nullptr);
    // A value no row picks, so that every pick changes the byte.
    const std::int64_t target = PaletteOffset(2) + 6;
    QVERIFY(RomImage.write(target, 0x2F));
    clickSwatch(editor, 6);
    const std::vector<std::uint8_t> before(RomImage.bytes().begin(), RomImage.bytes().end());

    if (expected < 0)
        editor->picPalGrid_MouseDown(1, 0, at.x(), at.y()); // no mouse event lands there
    else
        clickGrid(editor, at, button);

    QCOMPARE(int(RomImage.at(target)), expected < 0 ? 0x2F : expected);
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        changed += RomImage.bytes()[i] != before[i] ? 1 : 0;
    QCOMPARE(changed, expected < 0 ? 0 : 1);
    checkShowsStage(editor, 2, 6);
}

void TestPaletteEdit::swatchEditsItsOffset_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("swatch");
    QTest::addColumn<int>("palettes");
    QTest::newRow("plain stage 1 swatch 0") << int(DemoLayout::Plain) << 0 << 0 << 0x10;
    QTest::newRow("plain stage 3 swatch 5") << int(DemoLayout::Plain) << 2 << 5 << 0x4010;
    QTest::newRow("plain stage 9 swatch 15") << int(DemoLayout::Plain) << 8 << 15 << 0x10010;
    QTest::newRow("shifted stage 1 swatch 5") << int(DemoLayout::Shifted) << 0 << 5 << 0x210;
    QTest::newRow("shifted stage 4 swatch 10") << int(DemoLayout::Shifted) << 3 << 10 << 0x6210;
    QTest::newRow("shifted stage 9 swatch 15") << int(DemoLayout::Shifted) << 8 << 15 << 0x10210;
}

void TestPaletteEdit::swatchEditsItsOffset()
{
    QFETCH(int, layout);
    QFETCH(int, stage);
    QFETCH(int, swatch);
    QFETCH(int, palettes);
    frmPaletteEditor* editor = openStage(stage, DemoLayout(layout));
    QVERIFY(editor != nullptr);
    QCOMPARE(PaletteOffset(stage), std::int64_t{palettes});
    const std::vector<std::uint8_t> before(RomImage.bytes().begin(), RomImage.bytes().end());

    clickSwatch(editor, swatch);
    QVERIFY(!RomImage.modified()); // selecting writes nothing
    clickGrid(editor, CellCentre(kUnusedColours[3]));

    for (std::size_t i = 0; i < before.size(); ++i) {
        const int expected = std::int64_t(i) == palettes + swatch ? kUnusedColours[3] : before[i];
        if (RomImage.bytes()[i] != expected)
            QFAIL(qPrintable(QStringLiteral("byte 0x%1 is %2").arg(i, 0, 16).arg(RomImage.bytes()[i])));
    }
}

void TestPaletteEdit::stageSelectionReloads()
{
    frmPaletteEditor* editor = openStage(0);
    QVERIFY(editor != nullptr);
    const QPointer<frmPaletteEditor> shown = editor;
    clickSwatch(editor, 7);
    clickGrid(editor, CellCentre(0x11));

    window_->mnuStageSelect(3)->trigger();
    QCOMPARE(window_->PaletteEditor(false), shown.data());
    QVERIFY(shown->isVisible() && window_->mnuPalette()->isChecked());
    checkShowsStage(editor, 3, 0);
}

void TestPaletteEdit::paletteCommandShowsAndDiscards()
{
    // Stage selection creates the window without showing it.
    frmPaletteEditor* created = openStage(2, DemoLayout::Plain, false);
    QVERIFY(created != nullptr);
    QVERIFY(!created->isVisible() && !window_->mnuPalette()->isChecked());
    created->picLoadedPal_Click(5);

    // Show: the same window, loaded again, swatch 0 selected.
    window_->mnuPalette()->trigger();
    QCOMPARE(window_->PaletteEditor(false), created);
    QVERIFY(created->isVisible() && window_->mnuPalette()->isChecked());
    checkShowsStage(created, 2, 0);

    // Hide: discarded at once, deleted soon after.
    created->picLoadedPal_Click(5);
    const QPointer<frmPaletteEditor> old = created;
    window_->mnuPalette()->trigger();
    QVERIFY(!window_->mnuPalette()->isChecked());
    QVERIFY(window_->PaletteEditor(false) == nullptr);
    QVERIFY(old.isNull() || !old->isVisible());
    QTRY_VERIFY(old.isNull());

    // Show again: a new window that starts at swatch 0.
    window_->mnuPalette()->trigger();
    frmPaletteEditor* again = window_->PaletteEditor(false);
    QVERIFY(again != nullptr && again->isVisible() && window_->mnuPalette()->isChecked());
    checkShowsStage(again, 2, 0);
}

void TestPaletteEdit::hiddenEditorShowsLaterStage_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("shown from the menu") << true;
    QTest::newRow("shown directly, as after a restore") << false;
}

void TestPaletteEdit::hiddenEditorShowsLaterStage()
{
    // A hidden editor follows every stage change as an open one does, so that
    // when it is shown it shows the stage chosen last (and a pick writes there).
    QFETCH(bool, fromMenu);
    frmPaletteEditor* editor = openStage(2, DemoLayout::Shifted, false);
    QVERIFY(editor != nullptr && !editor->isVisible());
    editor->picLoadedPal_Click(5);
    window_->mnuStageSelect(6)->trigger();
    window_->mnuStageSelect(4)->trigger();
    QCOMPARE(window_->PaletteEditor(false), editor);
    checkShowsStage(editor, 4, 0);
    if (fromMenu)
        window_->mnuPalette()->trigger();
    else
        editor->show();
    QVERIFY(editor->isVisible());
    checkShowsStage(editor, 4, 0);

    // Once shown, a stage change reloads it at once.
    editor->picLoadedPal_Click(3);
    window_->mnuStageSelect(1)->trigger();
    checkShowsStage(editor, 1, 0);
}

void TestPaletteEdit::closeButtonClearsMark()
{
    frmPaletteEditor* editor = openStage(1);
    QVERIFY(editor != nullptr);
    const QPointer<frmPaletteEditor> old = editor;
    QVERIFY(editor->close());
    QVERIFY(!window_->mnuPalette()->isChecked());
    QVERIFY(window_->PaletteEditor(false) == nullptr);
    QTRY_VERIFY(old.isNull());

    // One command shows it again.
    window_->mnuPalette()->trigger();
    QVERIFY(window_->mnuPalette()->isChecked());
    QVERIFY(window_->PaletteEditor(false) != nullptr && window_->PaletteEditor(false)->isVisible());
}

void TestPaletteEdit::noFileOpen()
{
    frmPaletteEditor* editor = window_->PaletteEditor();
    editor->show();
    editor->Init();
    const QImage before = Grab(editor);
    for (int i = 0; i < 16; ++i)
        QVERIFY(editor->picLoadedPal(i)->toolTip().isEmpty());
    editor->picPalGrid_MouseDown(1, 0, 40, 70);
    QVERIFY(RomImage.empty());
    QVERIFY(FirstDifference(Grab(editor), before).isEmpty());
}

void TestPaletteEdit::pickRedrawsMainWindow()
{
    frmPaletteEditor* editor = openStage(3);
    QVERIFY(editor != nullptr);
    QCOMPARE(window_->hLevel_Frames()->value(), 0);

    // Room 0 as the level view should show it, block by block at twice the size.
    const auto expectedRoom = [] {
        QImage room(512, 384, QImage::Format_RGB32);
        PictureBox scratch(QStringLiteral("scratch"), 32, 32);
        QPainter painter(&room);
        for (int cell = 0; cell < 192; ++cell) {
            DrawBlock(scratch, SourceOf(RomDocument::Program()), RomImage.at(Stages[3].RoomData + cell), 2);
            painter.drawImage((cell % 16) * 32, (cell / 16) * 32, scratch.backBuffer());
        }
        return room;
    };
    const QImage levelBefore = window_->picEditor()->backBuffer().copy();
    const QImage tableBefore = window_->picTile()->backBuffer().copy();
    QVERIFY(FirstDifference(levelBefore, expectedRoom()).isEmpty());

    // Every colour of the palette of the block in the top-left cell.
    const int palette = ReadBlockParts(RomImage.bytes(), Stages, 3, RomImage.at(Stages[3].RoomData)).attribute % 4;
    for (int v = 0; v < 4; ++v) {
        clickSwatch(editor, palette * 4 + v);
        clickGrid(editor, CellCentre(kUnusedColours[v]));
        const QString diff = FirstDifference(window_->picEditor()->backBuffer(), expectedRoom());
        QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("colour %1: %2").arg(v).arg(diff)));
    }
    QVERIFY(!FirstDifference(window_->picEditor()->backBuffer(), levelBefore).isEmpty());
    const QImage tableAfter = window_->picTile()->backBuffer().copy();
    QVERIFY(!FirstDifference(tableAfter, tableBefore).isEmpty());

    // Picking the colour a swatch already has changes nothing, and the views still agree with the image.
    const std::vector<std::uint8_t> before(RomImage.bytes().begin(), RomImage.bytes().end());
    clickGrid(editor, CellCentre(kUnusedColours[3]));
    QVERIFY(std::equal(before.begin(), before.end(), RomImage.bytes().begin(), RomImage.bytes().end()));
    QVERIFY(FirstDifference(window_->picEditor()->backBuffer(), expectedRoom()).isEmpty());
    QVERIFY(FirstDifference(window_->picTile()->backBuffer(), tableAfter).isEmpty());
}

void TestPaletteEdit::swatchAfterImageChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("selected"); // the swatch the next pick edits
    QTest::newRow("undo keeps the swatch") << "undo" << 5;
    QTest::newRow("redo keeps the swatch") << "redo" << 5;
    QTest::newRow("choosing a stage selects swatch 0") << "stage" << 0;
    QTest::newRow("opening an image selects swatch 0") << "open" << 0;
}

void TestPaletteEdit::swatchAfterImageChanges()
{
    QFETCH(QString, change);
    QFETCH(int, selected);
    frmPaletteEditor* editor = openStage(2);
    QVERIFY(editor != nullptr);
    clickSwatch(editor, 5);
    clickGrid(editor, CellCentre(33));
    QCOMPARE(int(RomImage.at(PaletteOffset(2) + 5)), 33);

    if (change == QLatin1String("undo")) {
        window_->mnuUndo()->trigger();
    } else if (change == QLatin1String("redo")) {
        window_->mnuUndo()->trigger();
        window_->mnuRedo()->trigger();
    } else if (change == QLatin1String("stage")) {
        window_->mnuStageSelect(2)->trigger();
    } else {
        QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("other.nes"), DemoLayout::Plain, 9)));
    }
    QCOMPARE(window_->PaletteEditor(false), editor);
    checkShowsStage(editor, 2, selected);

    // The next pick edits the swatch shown as selected, and nothing else.
    const std::vector<std::uint8_t> before(RomImage.bytes().begin(), RomImage.bytes().end());
    clickGrid(editor, CellCentre(kUnusedColours[2]));
    for (std::size_t i = 0; i < before.size(); ++i) {
        const int expected = std::int64_t(i) == PaletteOffset(2) + selected ? kUnusedColours[2] : before[i];
        if (RomImage.bytes()[i] != expected)
            QFAIL(qPrintable(QStringLiteral("byte 0x%1 is %2").arg(i, 0, 16).arg(RomImage.bytes()[i])));
    }
    checkShowsStage(editor, 2, selected);
}

QTEST_MAIN(TestPaletteEdit)
#include "test_paletteedit.moc"
