// What the main window shows, drawn its fast way (the compositor straight into
// the back buffers, grid lines written as pixels), against the block-by-block
// way (every block through DrawBlock into a scratch picture, copied into place,
// grid lines drawn with a painter), on randomised images in both layouts: the
// level view, the block table and the selected-block preview, pixel for pixel,
// with the same drawing problems counted. And the status bar and scroll bars
// that a view change repaints.

#include "data/Level.h"
#include "data/modGlobals.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "graphics/clsNesTiles.h"
#include "support/RandomImage.h"
#include "support/TestSupport.h"
#include "support/ViewChecks.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// The grid as it was drawn before: one painter line per grid line, for the
// first `count` lines (lines that lie wholly outside change nothing).
void PainterGrid(QImage& image, QColor colour, int step, int count)
{
    QPainter painter(&image);
    painter.setPen(QPen(colour, 1));
    for (int d = 0; d < count; ++d) {
        const std::int64_t at = std::int64_t{d} * step;
        if (at < 0 || at >= std::max(image.width(), image.height()))
            continue;
        const int p = int(at);
        painter.drawLine(0, p, image.width(), p);
        painter.drawLine(p, 0, p, image.height());
    }
}

// Every 32-bit value, the byte a painter keeps above the colour included.
QString FirstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size() || actual.format() != expected.format())
        return QStringLiteral("size or format differs");
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(actual.constScanLine(y));
        const auto* e = reinterpret_cast<const std::uint32_t*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x)
            if (a[x] != e[x])
                return QStringLiteral("(%1, %2) is %3, expected %4")
                    .arg(x).arg(y).arg(a[x], 8, 16, QLatin1Char('0')).arg(e[x], 8, 16, QLatin1Char('0'));
    }
    return {};
}

// A picture filled block by block: what the views showed before they composed
// straight into their back buffers. Cells whose byte lies outside the image
// cannot occur with the images used here.
QImage BlockByBlock(int columns, int rows, const std::function<int(int, int)>& blockAt)
{
    QImage image(columns * 32, rows * 32, QImage::Format_RGB32);
    PictureBox scratch(QStringLiteral("scratch"), 32, 32);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            DrawBlock(scratch, SourceOf(RomDocument::Program()), blockAt(c, r), 2);
            for (int y = 0; y < 32; ++y)
                std::memcpy(image.scanLine(r * 32 + y) + c * 32 * 4, scratch.backBuffer().constScanLine(y), 32 * 4);
        }
    }
    return image;
}

RenderFaults Since(const RenderFaults& before)
{
    const RenderFaults now = EnsureNesTiles().Faults();
    RenderFaults d;
    d.badColourPixels = now.badColourPixels - before.badColourPixels;
    d.badTiles = now.badTiles - before.badTiles;
    d.badReads = now.badReads - before.badReads;
    return d;
}

} // namespace

class TestViewPixels : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void viewsMatchBlockByBlock_data();
    void viewsMatchBlockByBlock();
    void gridLinesMatchPainter_data();
    void gridLinesMatchPainter();
    void roomTextRepaintsOnlyItsPanel();
    void scrollBarsShowTheirThumb();

private:
    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
};

void TestViewPixels::init()
{
    ResetGlobals();
    sandbox_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestViewPixels::cleanup()
{
    window_.reset();
    sandbox_.reset();
}

void TestViewPixels::viewsMatchBlockByBlock_data()
{
    QTest::addColumn<bool>("shifted");
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("block"); // selected, or -1
    QTest::addColumn<bool>("grids");
    QTest::newRow("plain, stage 1, nothing selected") << false << 21 << 0 << 0 << 0 << -1 << false;
    QTest::newRow("plain, stage 3, room 2, page 5, grids") << false << 22 << 2 << 2 << 5 << 83 << true;
    QTest::newRow("plain, stage 9, last page") << false << 23 << 8 << 1 << 15 << 255 << false;
    QTest::newRow("shifted, stage 1, grids") << true << 24 << 0 << 1 << 3 << 48 << true;
    QTest::newRow("shifted, stage 5, room 2") << true << 25 << 4 << 2 << 9 << 147 << false;
    QTest::newRow("shifted, stage 8, grids, nothing selected") << true << 26 << 7 << 0 << 12 << -1 << true;
}

void TestViewPixels::viewsMatchBlockByBlock()
{
    QFETCH(bool, shifted);
    QFETCH(int, seed);
    QFETCH(int, stage);
    QFETCH(int, room);
    QFETCH(int, page);
    QFETCH(int, block);
    QFETCH(bool, grids);
    const RandomImage image(shifted, std::uint64_t(seed), Tweak::None);
    QVERIFY(window_->OpenFile(sandbox_->write(QStringLiteral("random.nes"), image.bytes)));
    window_->mnuStageSelect(stage)->trigger();
    if (grids) {
        window_->mnuGrid(0)->trigger();
        window_->mnuGrid(1)->trigger();
    }
    window_->hsTable()->setValue(page);
    if (block >= 0) {
        QCOMPARE(block / 16, page);
        Press(window_->picTile(), Qt::LeftButton, QPoint((block % 2) * 32 + 9, (block % 16 / 2) * 32 + 9));
        QCOMPARE(window_->picSelectedTile()->Tag(), QString::number(block));
    }
    QVERIFY(room <= window_->hLevel_Frames()->maximum());
    window_->hLevel_Frames()->setValue(room);

    // One more redraw of each view, counting the problems it meets.
    RenderFaults before = EnsureNesTiles().Faults();
    window_->DrawLevel();
    const RenderFaults levelFaults = Since(before);
    before = EnsureNesTiles().Faults();
    window_->DrawTable();
    const RenderFaults tableFaults = Since(before);
    const QImage level = Grab(window_->picEditor());
    const QImage table = Grab(window_->picTile());
    const QImage preview = Grab(window_->picSelectedTile());

    // The same, block by block; each view also redrew the preview.
    const auto previewOnce = [&] {
        QImage shown(32, 32, QImage::Format_RGB32);
        shown.fill(0u);
        if (block >= 0) {
            PictureBox scratch(QStringLiteral("scratch"), 32, 32);
            DrawBlock(scratch, SourceOf(RomDocument::Program()), block, 2);
            shown = scratch.backBuffer().copy();
        }
        return shown;
    };
    const std::int64_t roomStart = std::int64_t{Stages[std::size_t(stage)].RoomData} + std::int64_t{room} * 192;
    before = EnsureNesTiles().Faults();
    QImage expectedLevel = BlockByBlock(16, 12, [&](int c, int r) {
        return int(RomImage.at(roomStart + r * 16 + c));
    });
    QImage expectedPreview = previewOnce();
    QCOMPARE(levelFaults.badColourPixels, Since(before).badColourPixels);
    QCOMPARE(levelFaults.badTiles, Since(before).badTiles);
    QCOMPARE(levelFaults.badReads, Since(before).badReads);
    before = EnsureNesTiles().Faults();
    QImage expectedTable = BlockByBlock(2, 8, [&](int c, int r) { return page * 16 + r * 2 + c; });
    expectedPreview = previewOnce();
    QCOMPARE(tableFaults.badColourPixels, Since(before).badColourPixels);
    QCOMPARE(tableFaults.badTiles, Since(before).badTiles);
    QCOMPARE(tableFaults.badReads, Since(before).badReads);
    if (grids) {
        PainterGrid(expectedLevel, Qt::white, 32, 16);
        PainterGrid(expectedTable, Qt::white, 32, 16);
    }

    // Compared as shown, colour by colour (the views keep 0 above the colour
    // where they draw blocks, a painter keeps 0xFF).
    const auto same = [](const QImage& a, const QImage& b) {
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (Rgb(a, x, y) != Rgb(b, x, y))
                    return QStringLiteral("(%1, %2)").arg(x).arg(y);
        return QString();
    };
    QCOMPARE(level.size(), expectedLevel.size());
    QCOMPARE(same(level, expectedLevel), QString());
    QCOMPARE(table.size(), expectedTable.size());
    QCOMPARE(same(table, expectedTable), QString());
    QCOMPARE(same(preview, expectedPreview), QString());
}

void TestViewPixels::gridLinesMatchPainter_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("count");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("level view, white") << QSize(512, 384) << 32 << 16 << QColor(Qt::white);
    QTest::newRow("block table, white") << QSize(64, 256) << 32 << 16 << QColor(Qt::white);
    QTest::newRow("palette grid, black") << QSize(512, 128) << 32 << 16 << QColor(Qt::black);
    QTest::newRow("tile editor, odd colour") << QSize(128, 128) << 8 << 16 << QColor(0x12, 0x34, 0x56);
    QTest::newRow("odd size and step") << QSize(37, 5) << 3 << 40 << QColor(Qt::red);
    QTest::newRow("no lines") << QSize(20, 20) << 4 << 0 << QColor(Qt::white);
    QTest::newRow("negative step: only the lines at 0") << QSize(20, 20) << -6 << 8 << QColor(Qt::green);
    QTest::newRow("step far beyond the picture") << QSize(20, 20) << 1 << 2147483647 / 2 << QColor(Qt::white);
    QTest::newRow("huge step overflowing") << QSize(20, 20) << 1073741824 << 5 << QColor(Qt::white);
    QTest::newRow("translucent colour blends") << QSize(40, 40) << 8 << 6 << QColor(255, 0, 0, 128);
    QTest::newRow("translucent, huge step") << QSize(40, 40) << 1073741824 << 5 << QColor(0, 0, 255, 100);
}

void TestViewPixels::gridLinesMatchPainter()
{
    QFETCH(QSize, size);
    QFETCH(int, step);
    QFETCH(int, count);
    QFETCH(QColor, colour);
    // Both start from the same pixels; everything the painter would change must change alike.
    PictureBox picture(QStringLiteral("picGrid"), size.width(), size.height());
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            reinterpret_cast<std::uint32_t*>(picture.backBuffer().scanLine(y))[x] = std::uint32_t(x * 0x010203 + y * 0x030201) & 0xFFFFFFu;
    QImage expected = picture.backBuffer().copy();
    PainterGrid(expected, colour, step, std::min(count, 1000));
    picture.setForeColor(colour);
    picture.GridLines(step, count);
    QCOMPARE(FirstDifference(picture.backBuffer(), expected), QString());
}

void TestViewPixels::roomTextRepaintsOnlyItsPanel()
{
    // A new room text must not lay the status bar out again: that repaints
    // the whole window on every room change. A long file name must not push
    // the room panel aside either.
    const QString longName = QStringLiteral("a-very-long-name-for-an-image-file-that-fills-the-status-bar-%1.nes")
                                 .arg(QString(120, QLatin1Char('x')));
    QVERIFY(window_->OpenFile(sandbox_->demoImage(longName)));
    window_->mnuStageSelect(0)->trigger();
    for (int i = 0; i < 3; ++i) // the opening's own layout, which may take more than one round
        QCoreApplication::processEvents();
    const QRect panel = window_->Panel(2)->geometry();
    QVERIFY(panel.right() < window_->SB1()->width());

    struct LayoutRequests : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            count += event->type() == QEvent::LayoutRequest ? 1 : 0;
            return false;
        }
    } requests;
    window_->SB1()->installEventFilter(&requests);
    window_->installEventFilter(&requests);
    QScrollBar* bar = window_->hLevel_Frames();
    for (int room = 1; room <= bar->maximum(); ++room) {
        bar->setValue(room);
        QCoreApplication::processEvents();
    }
    bar->setSliderDown(true);
    bar->setSliderPosition(0);
    bar->setSliderDown(false);
    QCoreApplication::processEvents();
    QCOMPARE(window_->Panel(2)->text(), QStringLiteral("Room: 00"));
    QCOMPARE(requests.count, 0);
    QCOMPARE(window_->Panel(2)->geometry(), panel);
}

void TestViewPixels::scrollBarsShowTheirThumb()
{
    // However the bars are painted, the thumb is seen to move.
    QVERIFY(window_->OpenFile(sandbox_->demoImage(QStringLiteral("demo.nes"))));
    window_->mnuStageSelect(0)->trigger();
    for (QScrollBar* bar : {window_->hLevel_Frames(), window_->hsTable()}) {
        QVERIFY(bar->maximum() > 0);
        bar->setValue(0);
        const QImage first = Grab(bar);
        bar->setValue(bar->maximum());
        const QImage last = Grab(bar);
        QVERIFY2(first != last, qPrintable(bar->objectName()));
        bar->setValue(0);
        QCOMPARE(Grab(bar), first);
    }
}

QTEST_MAIN(TestViewPixels)
#include "test_view_pixels.moc"
