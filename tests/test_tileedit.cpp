// The tile editor window and window pinning, driven through the controls as a
// user would. Expected pixels and bytes are computed here from the image.

#include "data/modGlobals.h"
#include "graphics/NesColours.h"
#include "graphics/clsNesTiles.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RuntimeError.h"
#include "ui/common/SetTopMostWindow.h"
#include "ui/main/frmQuorvan.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <vector>

using namespace quorvan;
using namespace quorvan::test;

Q_DECLARE_METATYPE(quorvan::DemoLayout)

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

std::vector<std::uint8_t> ImageBytes()
{
    return {RomImage.bytes().begin(), RomImage.bytes().end()};
}

std::uint8_t Byte(std::int64_t offset)
{
    if (!RomImage.contains(offset))
        qFatal("test reads outside the image");
    return RomImage.at(offset);
}

const StageInfo& Row(int stage)
{
    return Stages[static_cast<std::size_t>(stage)];
}

// The block as the editor must show it (the tests' reference renderer).
QImage ExpectedBlock(int stage, int block)
{
    return ReferenceEditorBlock(ImageBytes(), stage, block);
}

// Index of the first differing pixel, or an empty string when equal.
QString FirstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2").arg(actual.width()).arg(actual.height());
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (Rgb(actual, x, y) != Rgb(expected, x, y)) {
                return QStringLiteral("(%1, %2): %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(Rgb(actual, x, y), 6, 16, QLatin1Char('0'))
                    .arg(Rgb(expected, x, y), 6, 16, QLatin1Char('0'));
            }
        }
    }
    return {};
}

} // namespace

class TestTileEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controlsAndLayout_data();
    void controlsAndLayout();
    void flagListHoldsExactly64();
    void pinnedAboveMainWindow();
    void setTopMostWindowResult_data();
    void setTopMostWindowResult();
    void setTopMostWindowPassesErrorsOn();
    void setTopMostWindowWithQt();
    void nesColorToRGB_data();
    void nesColorToRGB();

    void refreshShowsBlock_data();
    void refreshShowsBlock();
    void controlWrites_data();
    void controlWrites();
    void attributeExampleBytes();
    void blockChangeWritesNothing();
    void dragWritesAtEveryStep();
    void optionKeepsFlagsOfImage();
    void paletteByteAbove63();
    void nothingWrittenWithoutImage();

    void mainViewsFollowAtOnce();
    void menuAndCloseBox();
    void editTileButton_data();
    void editTileButton();
    void followsPicksWhileHidden();
    void stageChangeShowsSameBlock_data();
    void stageChangeShowsSameBlock();

private:
    void openDemo(DemoLayout layout = DemoLayout::Plain);
    void chooseStage(int stage);
    frmTileEdit* editorOn(int block);
    void checkShowsBlock(frmTileEdit* editor, int stage, int block);

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestTileEdit::init()
{
    ResetGlobals();
    answerer_.reset();
    SetWindowPosForTesting({});
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestTileEdit::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
    sandbox_.reset();
    SetWindowPosForTesting({});
}

void TestTileEdit::openDemo(DemoLayout layout)
{
    QVERIFY(window_->OpenFile(sandbox_->demoImage(QStringLiteral("demo.nes"), layout, 7)));
}

void TestTileEdit::chooseStage(int stage)
{
    window_->mnuStageSelect_Click(stage);
    // What the stage selection does for the editor; repeated so that these tests
    // also run while the main window's views are still being built.
    CurrentStage = static_cast<std::int16_t>(stage);
    window_->mnuTileEditor()->setEnabled(true);
}

frmTileEdit* TestTileEdit::editorOn(int block)
{
    frmTileEdit* editor = window_->TileEdit();
    editor->vsTile()->setValue(block);
    editor->Init();
    editor->show();
    return editor;
}

void TestTileEdit::checkShowsBlock(frmTileEdit* editor, int stage, int block)
{
    const StageInfo& s = Row(stage);
    QCOMPARE(editor->vsTile()->value(), block);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(editor->hsTile(k)->value(), int{Byte(s.BlockTiles + 4 * block + k)});
    const int attribute = Byte(s.BlockAttributes + block);
    QCOMPARE(editor->cboFlags()->currentIndex(), attribute / 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(editor->optPal(i)->isChecked(), i == attribute % 4);
    // Swatch i shows pixel value i's colour, whole.
    for (int i = 0; i < 4; ++i) {
        const QImage swatch = Grab(editor->picPal(i));
        const std::uint32_t expected = NesColourOrFault(Byte(s.Palettes + 4 * (attribute % 4) + i));
        QCOMPARE(swatch.size(), QSize(16, 16));
        for (const QPoint p : {QPoint(0, 0), QPoint(15, 15), QPoint(7, 9)})
            QCOMPARE(Rgb(swatch, p.x(), p.y()), expected);
    }
    const QImage expected = ExpectedBlock(stage, block);
    QCOMPARE(FirstDifference(editor->picTile()->backBuffer(), expected), QString());
    QCOMPARE(FirstDifference(Grab(editor->picTile()), expected), QString());
}

void TestTileEdit::controlsAndLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");

    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("picPal(%1)").arg(i);
        QTest::newRow(qPrintable(name)) << name << QRect(24 + 32 * i, 16, 16, 16) << "quorvan::PictureBox" << QString();
        const QString option = QStringLiteral("optPal(%1)").arg(i);
        QTest::newRow(qPrintable(option)) << option << QRect(24 + 32 * i, 208, 17, 13) << "QRadioButton" << QString();
    }
    QTest::newRow("hsTile(0)") << "hsTile(0)" << QRect(16, 40, 64, 17) << "QScrollBar" << QString();
    QTest::newRow("hsTile(1)") << "hsTile(1)" << QRect(80, 40, 64, 17) << "QScrollBar" << QString();
    QTest::newRow("hsTile(2)") << "hsTile(2)" << QRect(16, 184, 64, 17) << "QScrollBar" << QString();
    QTest::newRow("hsTile(3)") << "hsTile(3)" << QRect(80, 184, 64, 17) << "QScrollBar" << QString();
    QTest::newRow("picTile") << "picTile" << QRect(16, 56, 128, 128) << "quorvan::PictureBox" << QString();
    QTest::newRow("vsTile") << "vsTile" << QRect(144, 56, 17, 128) << "QScrollBar" << QString();
    QTest::newRow("lblFlags") << "lblFlags" << QRect(16, 224, 49, 17) << "QLabel" << "Flags";
    QTest::newRow("cboFlags") << "cboFlags" << QRect(72, 224, 81, -1) << "QComboBox" << QString();
    QTest::newRow("cmdRefresh") << "cmdRefresh" << QRect(40, 256, 81, 25) << "QPushButton" << "Refresh Editor";
}

void TestTileEdit::controlsAndLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, kind);
    QFETCH(QString, text);

    frmTileEdit* editor = window_->TileEdit();
    auto* control = editor->findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QVERIFY(control->inherits(qPrintable(kind)));
    QCOMPARE(control->pos(), geometry.topLeft());
    QCOMPARE(control->width(), geometry.width());
    if (geometry.height() > 0)
        QCOMPARE(control->height(), geometry.height());

    if (auto* bar = qobject_cast<QScrollBar*>(control)) {
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 255);
        QCOMPARE(bar->orientation(), name == QStringLiteral("vsTile") ? Qt::Vertical : Qt::Horizontal);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), text);
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), text);
}

void TestTileEdit::flagListHoldsExactly64()
{
    openDemo();
    chooseStage(0);
    frmTileEdit* editor = window_->TileEdit();
    for (int run = 0; run < 3; ++run)
        editor->Init();
    QComboBox* list = editor->cboFlags();
    QCOMPARE(list->count(), 64);
    QCOMPARE(list->itemText(0), QStringLiteral("0 - ???"));
    QCOMPARE(list->itemText(15), QStringLiteral("F - ???"));
    QCOMPARE(list->itemText(16), QStringLiteral("10 - ???"));
    QCOMPARE(list->itemText(42), QStringLiteral("2A - ???"));
    QCOMPARE(list->itemText(63), QStringLiteral("3F - ???"));
    QVERIFY(!list->isEditable());
    // Rebuilding the list on Init must not count as choosing an entry.
    QVERIFY(!RomImage.modified());
}

void TestTileEdit::pinnedAboveMainWindow()
{
    frmTileEdit* editor = window_->TileEdit();
    editor->show();
    QCOMPARE(editor->windowTitle(), QStringLiteral("Tile Editor"));
    QCOMPARE(editor->size(), QSize(176, 306));
    QCOMPARE(editor->minimumSize(), editor->maximumSize());
    QVERIFY(editor->isWindow());
    QCOMPARE(editor->parentWidget(), window_.get());
    QCOMPARE(editor->windowType(), Qt::Tool);
    QVERIFY(editor->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(editor->isVisible());
}

void TestTileEdit::setTopMostWindowResult_data()
{
    QTest::addColumn<bool>("pin");
    QTest::addColumn<int>("callResult");
    QTest::addColumn<int>("expected");
    QTest::newRow("pin, call succeeds") << true << 1 << 1;
    QTest::newRow("pin, call returns 7") << true << 7 << 7;
    QTest::newRow("pin, call fails") << true << 0 << 0;
    QTest::newRow("release, call succeeds") << false << 1 << 0;
    QTest::newRow("release, call fails") << false << 0 << 0;
}

void TestTileEdit::setTopMostWindowResult()
{
    QFETCH(bool, pin);
    QFETCH(int, callResult);
    QFETCH(int, expected);

    QWidget window;
    QList<QPair<QWidget*, bool>> calls;
    SetWindowPosForTesting([&](QWidget* target, bool topmost) {
        calls.append({target, topmost});
        return callResult;
    });
    QCOMPARE(SetTopMostWindow(&window, pin), expected);
    QCOMPARE(calls, (QList<QPair<QWidget*, bool>>{{&window, pin}}));
}

void TestTileEdit::setTopMostWindowPassesErrorsOn()
{
    SetWindowPosForTesting([](QWidget*, bool) -> int {
        throw RuntimeError(5, QStringLiteral("user32"), QStringLiteral("Invalid window handle"));
    });
    QWidget window;
    for (const bool pin : {true, false}) {
        try {
            SetTopMostWindow(&window, pin);
            QFAIL("the error did not reach the caller");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.Number(), 5);
            QCOMPARE(error.Description(), QStringLiteral("Invalid window handle"));
            QCOMPARE(error.Source(), QStringLiteral("user32+modAPIStuff/SetTopMostWindow"));
        }
    }
}

void TestTileEdit::setTopMostWindowWithQt()
{
    QWidget owner;
    owner.show();
    auto* tool = new QWidget(&owner, Qt::Tool);
    tool->show();
    QVERIFY(SetTopMostWindow(tool, true) != 0);
    QVERIFY(tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(tool->windowType(), Qt::Tool);
    QVERIFY(tool->isVisible());
    QCOMPARE(SetTopMostWindow(tool, false), 0);
    QVERIFY(!tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(tool->isVisible());
    QCOMPARE(SetTopMostWindow(nullptr, true), 0);
}

void TestTileEdit::nesColorToRGB_data()
{
    QTest::addColumn<quint32>("entry");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("red goes to the low byte") << quint32{0xFF0000} << quint32{0x0000FF};
    QTest::newRow("green stays in the middle") << quint32{0x00FF00} << quint32{0x00FF00};
    QTest::newRow("blue goes to the high byte") << quint32{0x0000FF} << quint32{0xFF0000};
    QTest::newRow("mixed colour") << quint32{0x123456} << quint32{0x563412};
    QTest::newRow("bits above the colour ignored") << quint32{0xAB0077FF} << quint32{0xFF7700};
}

void TestTileEdit::nesColorToRGB()
{
    QFETCH(quint32, entry);
    QFETCH(quint32, expected);
    QCOMPARE(quint32{frmTileEdit::NesColorToRGB(entry)}, expected);
}

void TestTileEdit::refreshShowsBlock_data()
{
    QTest::addColumn<DemoLayout>("layout");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("block");
    QTest::newRow("stage row 0 block 0") << DemoLayout::Plain << 0 << 0;
    QTest::newRow("stage row 3 block 0x7F") << DemoLayout::Plain << 3 << 0x7F;
    QTest::newRow("stage row 7 block 0x80") << DemoLayout::Plain << 7 << 0x80;
    QTest::newRow("stage row 8 block 0xFF own tile set") << DemoLayout::Plain << 8 << 0xFF;
    QTest::newRow("shifted layout stage row 2 block 0x10") << DemoLayout::Shifted << 2 << 0x10;
}

void TestTileEdit::refreshShowsBlock()
{
    QFETCH(DemoLayout, layout);
    QFETCH(int, stage);
    QFETCH(int, block);
    openDemo(layout);
    chooseStage(stage);
    frmTileEdit* editor = editorOn(block);
    checkShowsBlock(editor, stage, block);
    QVERIFY(!RomImage.modified());
}

void TestTileEdit::controlWrites_data()
{
    QTest::addColumn<DemoLayout>("layout");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index"); // k, i or the flags value
    QTest::addColumn<int>("value"); // tile number; unused for the others

    QTest::newRow("hsTile(0) of block 0") << DemoLayout::Plain << 0 << 0 << "hsTile" << 0 << 0x21;
    QTest::newRow("hsTile(1) of block 0x33") << DemoLayout::Plain << 4 << 0x33 << "hsTile" << 1 << 0xC4;
    QTest::newRow("hsTile(2) of block 0xFF row 8") << DemoLayout::Plain << 8 << 0xFF << "hsTile" << 2 << 0x9D;
    QTest::newRow("hsTile(3) to 0x80 on block 0x10") << DemoLayout::Plain << 3 << 0x10 << "hsTile" << 3 << 0x80;
    QTest::newRow("hsTile(3) shifted layout") << DemoLayout::Shifted << 6 << 0x42 << "hsTile" << 3 << 0x05;
    QTest::newRow("optPal(0) block 7") << DemoLayout::Plain << 0 << 7 << "optPal" << 0 << 0;
    QTest::newRow("optPal(3) block 0xFE") << DemoLayout::Plain << 4 << 0xFE << "optPal" << 3 << 0;
    QTest::newRow("optPal(2) shifted layout") << DemoLayout::Shifted << 2 << 0x21 << "optPal" << 2 << 0;
    QTest::newRow("cboFlags 0x2A block 9") << DemoLayout::Plain << 2 << 9 << "cboFlags" << 0x2A << 0;
    QTest::newRow("cboFlags 0 block 0xC8") << DemoLayout::Plain << 0 << 0xC8 << "cboFlags" << 0 << 0;
    QTest::newRow("cboFlags 0x3F shifted layout") << DemoLayout::Shifted << 8 << 0x77 << "cboFlags" << 0x3F << 0;
}

void TestTileEdit::controlWrites()
{
    QFETCH(DemoLayout, layout);
    QFETCH(int, stage);
    QFETCH(int, block);
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(int, value);

    openDemo(layout);
    chooseStage(stage);
    frmTileEdit* editor = editorOn(block);
    const StageInfo& s = Row(stage);

    std::vector<std::uint8_t> expected = ImageBytes();
    std::int64_t offset = 0;
    std::uint8_t byte = 0;
    const int attribute = Byte(s.BlockAttributes + block);
    if (control == QStringLiteral("hsTile")) {
        offset = s.BlockTiles + 4 * block + index;
        byte = static_cast<std::uint8_t>(value);
    } else if (control == QStringLiteral("optPal")) {
        offset = s.BlockAttributes + block;
        byte = static_cast<std::uint8_t>((attribute / 4) * 4 + index);
    } else {
        offset = s.BlockAttributes + block;
        byte = static_cast<std::uint8_t>(index * 4 + attribute % 4);
    }
    QVERIFY2(Byte(offset) != byte, "the row must change the byte");
    expected[static_cast<std::size_t>(offset)] = byte;

    if (control == QStringLiteral("hsTile"))
        editor->hsTile(index)->setValue(value);
    else if (control == QStringLiteral("optPal"))
        QTest::mouseClick(editor->optPal(index), Qt::LeftButton);
    else
        editor->cboFlags()->setCurrentIndex(index);

    QCOMPARE(Byte(offset), byte);
    QVERIFY(ImageBytes() == expected); // no other byte changed
    QVERIFY(RomImage.modified());
    // Redrawn from the edited image, controls included.
    checkShowsBlock(editor, stage, block);
}

void TestTileEdit::attributeExampleBytes()
{
    openDemo();
    chooseStage(0);
    const std::int64_t offset = Row(0).BlockAttributes + 5;
    QVERIFY(RomImage.write(offset, 0x0E));
    frmTileEdit* editor = editorOn(4);
    editor->vsTile()->setValue(5);
    QCOMPARE(editor->cboFlags()->currentIndex(), 3);
    QVERIFY(editor->optPal(2)->isChecked());

    QTest::mouseClick(editor->optPal(0), Qt::LeftButton);
    QCOMPARE(int{Byte(offset)}, 0x0C);
    QCOMPARE(editor->cboFlags()->currentIndex(), 3);

    editor->cboFlags()->setCurrentIndex(editor->cboFlags()->count() - 1);
    QCOMPARE(int{Byte(offset)}, 0xFC);
    QVERIFY(editor->optPal(0)->isChecked());
    QCOMPARE(editor->cboFlags()->currentText(), QStringLiteral("3F - ???"));
}

void TestTileEdit::blockChangeWritesNothing()
{
    openDemo();
    chooseStage(2);
    int writes = 0;
    const int observer = RomImage.addWriteObserver([&writes](std::int64_t, std::uint8_t, std::uint8_t) { ++writes; });
    const std::vector<std::uint8_t> before = ImageBytes();

    frmTileEdit* editor = editorOn(4);
    editor->vsTile()->setValue(5);
    checkShowsBlock(editor, 2, 5);
    // Every block, by value and by dragging the thumb, then Init on each.
    for (int b = 0; b < 256; ++b)
        editor->vsTile()->setValue(b);
    editor->vsTile()->setSliderDown(true);
    for (int b = 255; b >= 0; b -= 3)
        editor->vsTile()->setSliderPosition(b);
    editor->vsTile()->setSliderDown(false);
    for (int b = 0; b < 256; b += 17) {
        editor->vsTile()->setValue(b);
        editor->Init();
    }
    RomImage.removeObserver(observer);

    QCOMPARE(writes, 0);
    QVERIFY(ImageBytes() == before);
    QVERIFY(!RomImage.modified());
}

void TestTileEdit::dragWritesAtEveryStep()
{
    openDemo();
    chooseStage(1);
    frmTileEdit* editor = editorOn(0x20);
    const std::int64_t offset = Row(1).BlockTiles + 4 * 0x20 + 2;
    QScrollBar* bar = editor->hsTile(2);
    bar->setSliderDown(true);
    for (const int tile : {3, 4, 5, 0x81, 0xFF}) {
        bar->setSliderPosition(tile);
        QCOMPARE(int{Byte(offset)}, tile);
        QCOMPARE(FirstDifference(editor->picTile()->backBuffer(), ExpectedBlock(1, 0x20)), QString());
    }
    bar->setSliderDown(false);
    QCOMPARE(int{Byte(offset)}, 0xFF);

    // Dragging the block chooser shows each block on the way.
    editor->vsTile()->setSliderDown(true);
    for (const int block : {0x21, 0x22, 0x40}) {
        editor->vsTile()->setSliderPosition(block);
        QCOMPARE(editor->hsTile(0)->value(), int{Byte(Row(1).BlockTiles + 4 * block)});
    }
    editor->vsTile()->setSliderDown(false);
}

void TestTileEdit::optionKeepsFlagsOfImage()
{
    // The window shows block 3 of one stage; the stage changes behind it, as
    // the main window's stage selection does without redrawing the editor.
    openDemo();
    chooseStage(0);
    frmTileEdit* editor = editorOn(3);
    const int shownFlags = editor->cboFlags()->currentIndex();
    chooseStage(4);
    const std::int64_t offset = Row(4).BlockAttributes + 3;
    QVERIFY(RomImage.write(offset, static_cast<std::uint8_t>(((shownFlags + 9) % 64) * 4 + 1)));
    const int imageFlags = Byte(offset) / 4;
    QVERIFY(imageFlags != shownFlags);

    // An option other than the one shown and the one in the image.
    int target = 0;
    while (editor->optPal(target)->isChecked() || target == 1)
        ++target;
    QTest::mouseClick(editor->optPal(target), Qt::LeftButton);
    // The block keeps the flags it has in the image; only the palette changes.
    QCOMPARE(int{Byte(offset)}, imageFlags * 4 + target);
    QCOMPARE(editor->cboFlags()->currentIndex(), imageFlags);
}

void TestTileEdit::paletteByteAbove63()
{
    openDemo();
    chooseStage(0);
    const int attribute = Byte(Row(0).BlockAttributes + 9);
    const std::int64_t palette = Row(0).Palettes + 4 * (attribute % 4);
    QVERIFY(RomImage.write(palette + 1, 0x40));
    QVERIFY(RomImage.write(palette + 3, 0xFF));
    const std::vector<std::uint8_t> before = ImageBytes();

    frmTileEdit* editor = editorOn(9);
    checkShowsBlock(editor, 0, 9); // swatches 1 and 3 and their pixels in the fault colour

    // One refresh counts, for the notice, every tile pixel of value 1 or 3 and
    // both bad swatches, whether or not the tiles use those values.
    int badTilePixels = 0;
    for (int k = 0; k < 4; ++k) {
        const int tile = Byte(Row(0).BlockTiles + 4 * 9 + k);
        const std::int64_t base = Row(0).TileData + 16 * tile; // row 0: every tile from its own set
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 8; ++c) {
                const int value = TilePixel(before, base, c, r);
                badTilePixels += value == 1 || value == 3 ? 1 : 0;
            }
        }
    }
    const std::uint64_t faultsBefore = EnsureNesTiles().Faults().badColourPixels;
    editor->Init();
    QCOMPARE(EnsureNesTiles().Faults().badColourPixels - faultsBefore, std::uint64_t(badTilePixels + 2));
    QCOMPARE(Rgb(Grab(editor->picPal(1)), 8, 8), kFaultColour);
    QCOMPARE(Rgb(Grab(editor->picPal(3)), 8, 8), kFaultColour);
    QVERIFY(Rgb(Grab(editor->picPal(0)), 8, 8) != kFaultColour);
    QVERIFY(ImageBytes() == before);

    // The controls still work.
    editor->hsTile(0)->setValue((editor->hsTile(0)->value() + 1) % 256);
    checkShowsBlock(editor, 0, 9);
}

void TestTileEdit::nothingWrittenWithoutImage()
{
    frmTileEdit* editor = window_->TileEdit();
    editor->show();
    editor->vsTile()->setValue(12);
    editor->hsTile(1)->setValue(40);
    QTest::mouseClick(editor->optPal(3), Qt::LeftButton);
    editor->cboFlags()->setCurrentIndex(7);
    editor->Init();
    QVERIFY(RomImage.empty());
    QVERIFY(!RomImage.modified());
    QCOMPARE(editor->cboFlags()->count(), 64);
}

void TestTileEdit::mainViewsFollowAtOnce()
{
    openDemo();
    chooseStage(0);
    const QImage levelBefore = Grab(window_->picEditor());
    const QImage tableBefore = Grab(window_->picTile());

    // The block in the room's top-left cell, edited here, shows there at once,
    // as in every other view of the image.
    frmTileEdit* editor = editorOn(Byte(Row(0).RoomData));
    editor->hsTile(0)->setValue((editor->hsTile(0)->value() + 0x41) % 256);
    QVERIFY(RomImage.modified());
    const QImage levelAfter = Grab(window_->picEditor());
    QVERIFY(levelAfter.copy(0, 0, 32, 32) != levelBefore.copy(0, 0, 32, 32));
    // Block 1 sits at the top right of the table's page 0.
    editor->vsTile()->setValue(1);
    editor->hsTile(1)->setValue((editor->hsTile(1)->value() + 0x11) % 256);
    const QImage tableAfter = Grab(window_->picTile());
    QVERIFY(tableAfter.copy(32, 0, 32, 32) != tableBefore.copy(32, 0, 32, 32));

    // Refresh Editor still redraws both, and finds nothing left to change.
    QTest::mouseClick(editor->cmdRefresh(), Qt::LeftButton);
    QCOMPARE(Grab(window_->picEditor()), levelAfter);
    QCOMPARE(Grab(window_->picTile()), tableAfter);
}

void TestTileEdit::menuAndCloseBox()
{
    openDemo();
    chooseStage(0);
    QAction* item = window_->mnuTileEditor();
    QVERIFY(window_->TileEdit(false) == nullptr);

    item->trigger(); // created, shown on block 0, marked open
    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(editor != nullptr && editor->isVisible() && item->isChecked());
    checkShowsBlock(editor, 0, 0);

    editor->vsTile()->setValue(40);
    item->trigger(); // hidden, not destroyed, keeps its controls
    QVERIFY(!editor->isVisible() && !item->isChecked());
    QCOMPARE(window_->TileEdit(false), editor);
    QCOMPARE(editor->vsTile()->value(), 40);

    item->trigger(); // shown again on block 0
    QVERIFY(editor->isVisible() && item->isChecked());
    checkShowsBlock(editor, 0, 0);

    // The close box only hides and leaves the mark alone; the next choice of the
    // item then "closes" it, and the one after shows it.
    QVERIFY(!editor->close());
    QVERIFY(!editor->isVisible() && item->isChecked());
    QCOMPARE(window_->TileEdit(false), editor);
    item->trigger();
    QVERIFY(!editor->isVisible() && !item->isChecked());
    item->trigger();
    QVERIFY(editor->isVisible() && item->isChecked());
    QVERIFY(!RomImage.modified());
}

void TestTileEdit::editTileButton_data()
{
    QTest::addColumn<bool>("withImage");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("expectedBlock"); // -1: the editor stays closed
    QTest::newRow("block 37 selected") << true << "37" << 37;
    QTest::newRow("block 255 selected") << true << "255" << 255;
    QTest::newRow("nothing selected") << true << "-1" << -1;
    QTest::newRow("before the first stage") << true << "" << -1;
    QTest::newRow("beyond the last block") << true << "256" << -1;
    QTest::newRow("no image open") << false << "37" << -1;
}

void TestTileEdit::editTileButton()
{
    QFETCH(bool, withImage);
    QFETCH(QString, tag);
    QFETCH(int, expectedBlock);

    if (withImage) {
        openDemo();
        chooseStage(5);
    }
    window_->picSelectedTile()->setTag(tag);
    QTest::mouseClick(window_->cmdEditTile(), Qt::LeftButton);

    frmTileEdit* editor = window_->TileEdit(false);
    QVERIFY(!window_->mnuTileEditor()->isChecked());
    if (expectedBlock < 0) {
        QVERIFY(editor == nullptr || !editor->isVisible());
        return;
    }
    QVERIFY(editor != nullptr);
    QVERIFY(editor->isVisible());
    checkShowsBlock(editor, 5, expectedBlock);

    // The menu item then still reads "not open": choosing it opens on block 0.
    window_->mnuTileEditor()->trigger();
    QVERIFY(editor->isVisible());
    QVERIFY(window_->mnuTileEditor()->isChecked());
    QCOMPARE(editor->vsTile()->value(), 0);
}

void TestTileEdit::followsPicksWhileHidden()
{
    openDemo();
    chooseStage(6);
    // A pick creates the window without showing it, sets the block and runs Init.
    for (const int block : {0x35, 0x90, 0x35}) {
        frmTileEdit* editor = window_->TileEdit();
        editor->vsTile()->setValue(block);
        editor->Init();
        QVERIFY(!editor->isVisible());
        checkShowsBlock(editor, 6, block);
    }
    QVERIFY(!RomImage.modified());

    // A change of the block's bytes made elsewhere shows at once, hidden or not.
    frmTileEdit* editor = window_->TileEdit();
    editor->vsTile()->setValue(0);
    const int shown = editor->hsTile(0)->value();
    QVERIFY(RomImage.write(Row(6).BlockTiles, static_cast<std::uint8_t>(shown ^ 0x55)));
    QCOMPARE(editor->hsTile(0)->value(), shown ^ 0x55);
    window_->mnuTileEditor()->trigger();
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->hsTile(0)->value(), shown ^ 0x55);
}

void TestTileEdit::stageChangeShowsSameBlock_data()
{
    QTest::addColumn<DemoLayout>("layout");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("block");
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown, stage 1 to 3, block 7") << DemoLayout::Plain << 0 << 2 << 7 << true;
    QTest::newRow("hidden, stage 4 to 2, block 0x90") << DemoLayout::Plain << 3 << 1 << 0x90 << false;
    QTest::newRow("shifted, stage 2 to 9, block 255") << DemoLayout::Shifted << 1 << 8 << 255 << true;
}

void TestTileEdit::stageChangeShowsSameBlock()
{
    QFETCH(DemoLayout, layout);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, block);
    QFETCH(bool, shown);
    openDemo(layout);
    window_->mnuStageSelect(from)->trigger();
    frmTileEdit* editor = editorOn(block);
    if (!shown)
        editor->hide();
    const std::int64_t tile = Row(to).BlockTiles + 4 * block + 1;
    QVERIFY2(Byte(Row(from).BlockTiles + 4 * block + 1) != Byte(tile), "the stages must differ for this test");

    window_->mnuStageSelect(to)->trigger();
    QCOMPARE(editor->isVisible(), shown);
    checkShowsBlock(editor, to, block);
    QVERIFY(!RomImage.modified());

    // One step of the scroll bar moves on from the new stage's tile number,
    // the one the window shows, and writes nothing else.
    const auto before = ImageBytes();
    editor->hsTile(1)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const auto after = ImageBytes();
    for (std::size_t i = 0; i < after.size(); ++i) {
        const int expected = std::int64_t(i) == tile ? (before[i] + 1) % 256 : before[i];
        if (after[i] != expected)
            QFAIL(qPrintable(QStringLiteral("byte 0x%1 is %2").arg(i, 0, 16).arg(after[i])));
    }
}

QTEST_MAIN(TestTileEdit)
#include "test_tileedit.moc"
