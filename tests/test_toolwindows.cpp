// Where the tool windows open and reopen, and how they come back after the main
// window was minimised. Positions are kept in an INI file of the test's own
// sandbox, never in the user's settings.

#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/ToolWindows.h"
#include "ui/common/frmAbout.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"
#include "ui/tilesheet/frmTileSheet.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <memory>
#include <vector>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// The editor a row is about, opened as its menu item opens it.
QWidget* OpenEditor(frmQuorvan& window, const QString& which)
{
    if (which == QLatin1String("palette")) {
        window.mnuPalette()->trigger();
        return window.PaletteEditor(false);
    }
    if (which == QLatin1String("sheet")) {
        window.mnuTileSheet()->trigger();
        return window.TileSheet(false);
    }
    window.mnuTileEditor()->trigger();
    return window.TileEdit(false);
}

// Closes it as its menu item does: the palette editor is discarded, the tile
// editor and the tile sheet hidden.
void CloseEditor(frmQuorvan& window, const QString& which)
{
    (which == QLatin1String("palette") ? window.mnuPalette()
     : which == QLatin1String("sheet") ? window.mnuTileSheet()
                                       : window.mnuTileEditor())
        ->trigger();
}

QRect Available(const QWidget& window)
{
    return window.screen()->availableGeometry();
}

} // namespace

class TestToolWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void placeBeside_data();
    void placeBeside();
    void editorsOpenBesideTheMainWindow();
    void positionKeptBetweenOpensAndRuns_data();
    void positionKeptBetweenOpensAndRuns();
    void positionOffEveryScreenIgnored();
    void nothingKeptWithoutSettings();
    void restoredWindowsComeBackNormal_data();
    void restoredWindowsComeBackNormal();

private:
    void newWindow(); // the main window of a new run, on a demo image with a stage chosen

    std::unique_ptr<Sandbox> sandbox_;
    std::unique_ptr<frmQuorvan> window_;
    QString settingsPath_;
};

void TestToolWindows::init()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
    sandbox_ = std::make_unique<Sandbox>();
    settingsPath_ = sandbox_->path(QStringLiteral("settings.ini"));
    KeepToolWindowPositions([path = settingsPath_] { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
    newWindow();
}

void TestToolWindows::cleanup()
{
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
    window_.reset();
    KeepToolWindowPositions({});
    sandbox_.reset();
}

void TestToolWindows::newWindow()
{
    window_.reset();
    ResetGlobals();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(window_->OpenFile(sandbox_->demoImage(QStringLiteral("demo.nes"))));
    window_->mnuStageSelect(1)->trigger();
}

void TestToolWindows::placeBeside_data()
{
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("tool");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QList<QRect>>("others");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1920, 1080);
    const QRect main(630, 290, 660, 500); // right edge 1289, bottom 789
    QTest::newRow("room on the right: beside it, tops level") << main << QSize(180, 330) << screen << QList<QRect>{}
                                                                << QPoint(1298, 290);
    QTest::newRow("no room right: to the left")
        << QRect(1250, 290, 660, 500) << QSize(180, 330) << screen << QList<QRect>{} << QPoint(1062, 290);
    QTest::newRow("no room on either side: below")
        << QRect(100, 0, 1000, 500) << QSize(530, 300) << QRect(0, 0, 1100, 1000) << QList<QRect>{}
        << QPoint(100, 508);
    QTest::newRow("another tool window on the right: stacked under it")
        << main << QSize(530, 300) << screen << QList<QRect>{QRect(1298, 290, 180, 330)} << QPoint(1298, 628);
    QTest::newRow("nothing fits: the least covered, above")
        << QRect(74, 64, 652, 495) << QSize(530, 300) << QRect(0, 0, 800, 600) << QList<QRect>{} << QPoint(74, 0);
    QTest::newRow("second screen, not at the origin")
        << QRect(2000, 100, 660, 500) << QSize(180, 330) << QRect(1920, 0, 1280, 1024) << QList<QRect>{}
        << QPoint(2668, 100);
    QTest::newRow("larger than the screen: its top-left corner")
        << QRect(100, 100, 200, 200) << QSize(900, 700) << QRect(0, 0, 800, 600) << QList<QRect>{}
        << QPoint(0, 0);
}

void TestToolWindows::placeBeside()
{
    QFETCH(QRect, owner);
    QFETCH(QSize, tool);
    QFETCH(QRect, available);
    QFETCH(QList<QRect>, others);
    QFETCH(QPoint, expected);
    const std::vector<QRect> list(others.begin(), others.end());
    QCOMPARE(PlaceBeside(owner, tool, available, list), expected);
}

void TestToolWindows::editorsOpenBesideTheMainWindow()
{
    // The test runs at half scale: the screen is twice as large as the windows
    // need, as on a desktop with room beside the main window.
    const QRect main = window_->frameGeometry();
    QWidget* tiles = OpenEditor(*window_, QStringLiteral("tile"));
    QVERIFY(tiles != nullptr && tiles->isVisible());
    const QRect tileFrame = tiles->frameGeometry();
    QVERIFY(Available(*window_).contains(tileFrame));
    QVERIFY2(!tileFrame.intersects(main), "the tile editor covers the main window");
    QCOMPARE(tileFrame.left(), main.right() + 1 + kToolWindowGap);
    QCOMPARE(tileFrame.top(), main.top());

    QWidget* palette = OpenEditor(*window_, QStringLiteral("palette"));
    QVERIFY(palette != nullptr && palette->isVisible());
    const QRect paletteFrame = palette->frameGeometry();
    QVERIFY(Available(*window_).contains(paletteFrame));
    QVERIFY2(!paletteFrame.intersects(main), "the palette editor covers the main window");
    QVERIFY2(!paletteFrame.intersects(tileFrame), "the editors cover each other");
}

void TestToolWindows::positionKeptBetweenOpensAndRuns_data()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("palette editor, discarded when closed") << QStringLiteral("palette");
    QTest::newRow("tile editor, hidden when closed") << QStringLiteral("tile");
    QTest::newRow("tile sheet, hidden when closed") << QStringLiteral("sheet");
}

void TestToolWindows::positionKeptBetweenOpensAndRuns()
{
    QFETCH(QString, which);
    QWidget* editor = OpenEditor(*window_, which);
    QVERIFY(editor != nullptr);
    // Where the user drags it: over the main window's top-left corner, which no placement picks.
    const QPoint left = window_->frameGeometry().topLeft() + QPoint(12, 20);
    editor->move(left);
    CloseEditor(*window_, which);
    QTRY_VERIFY(which != QLatin1String("palette") || window_->PaletteEditor(false) == nullptr);

    editor = OpenEditor(*window_, which);
    QVERIFY(editor != nullptr && editor->isVisible());
    QCOMPARE(editor->pos(), left);
    CloseEditor(*window_, which);

    // The next run opens it there too.
    newWindow();
    editor = OpenEditor(*window_, which);
    QVERIFY(editor != nullptr && editor->isVisible());
    QCOMPARE(editor->pos(), left);
    QCOMPARE(QSettings(settingsPath_, QSettings::IniFormat).value(QStringLiteral("ToolWindows/") + editor->objectName()).toPoint(),
             left);
}

void TestToolWindows::positionOffEveryScreenIgnored()
{
    // Left by a screen that is gone: opened beside the main window instead.
    QSettings(settingsPath_, QSettings::IniFormat).setValue(QStringLiteral("ToolWindows/frmTileEdit"), QPoint(-30000, 40));
    QWidget* tiles = OpenEditor(*window_, QStringLiteral("tile"));
    QVERIFY(tiles != nullptr);
    QVERIFY(Available(*window_).contains(tiles->frameGeometry()));
    QVERIFY(!tiles->frameGeometry().intersects(window_->frameGeometry()));
}

void TestToolWindows::nothingKeptWithoutSettings()
{
    KeepToolWindowPositions({});
    QWidget* palette = OpenEditor(*window_, QStringLiteral("palette"));
    QVERIFY(palette != nullptr);
    const QPoint beside = palette->pos();
    palette->move(window_->pos() + QPoint(12, 20));
    CloseEditor(*window_, QStringLiteral("palette"));
    QTRY_VERIFY(window_->PaletteEditor(false) == nullptr);
    palette = OpenEditor(*window_, QStringLiteral("palette"));
    QCOMPARE(palette->pos(), beside);
    QVERIFY(!QFile::exists(settingsPath_));
}

void TestToolWindows::restoredWindowsComeBackNormal_data()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("palette editor, shown again on restore") << QStringLiteral("palette");
    QTest::newRow("tile editor, shown again on restore") << QStringLiteral("tile");
    QTest::newRow("tile sheet, shown again on restore") << QStringLiteral("sheet");
    QTest::newRow("about box, opened again after the restore") << QStringLiteral("about");
}

void TestToolWindows::restoredWindowsComeBackNormal()
{
    QFETCH(QString, which);
    QWidget* tool = nullptr;
    if (which == QLatin1String("about")) {
        window_->mnuAbout()->trigger();
        tool = window_->About(false);
    } else {
        tool = OpenEditor(*window_, which);
    }
    QVERIFY(tool != nullptr && tool->isVisible());

    // A window manager minimises the owned windows with their owner, and Qt
    // keeps that state while the program hides them.
    window_->showMinimized();
    tool->setWindowState(tool->windowState() | Qt::WindowMinimized);
    QVERIFY(!tool->isVisible());
    window_->showNormal();
    if (which == QLatin1String("about")) {
        QVERIFY(!tool->isVisible()); // the about box stays away until asked for
        window_->mnuAbout()->trigger();
    }
    QVERIFY(tool->isVisible());
    QVERIFY2(!tool->windowState().testFlag(Qt::WindowMinimized), "shown minimised: it would take the main window down");
    QVERIFY(!window_->isMinimized());
}

int main(int argc, char* argv[])
{
    // Half scale: the offscreen screen then offers room beside the main window.
    qputenv("QT_SCALE_FACTOR", "0.5");
    QApplication app(argc, argv);
    TestToolWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_toolwindows.moc"
