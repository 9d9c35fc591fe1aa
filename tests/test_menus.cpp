// The owner-drawn menus: item registry and identifiers, conversion of
// drop-downs as they open, the colour scheme, measuring, and the pixels of
// real menus opened offscreen.

#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/ODMenuDraw.h"
#include "ui/common/modODMenus.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

constexpr std::uint32_t kYellow = 0xFFFF00;

std::uint32_t RgbOf(const QColor& colour)
{
    return colour.rgb() & 0xFFFFFFu;
}

// Bits per pixel, width and height as a BMP file's header gives them.
struct BmpInfo {
    int width = 0;
    int height = 0;
    int bits = 0;
};

BmpInfo ReadBmpInfo(int resource)
{
    QFile file(QStringLiteral(":/quorvan/bitmaps/%1.bmp").arg(resource));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(30);
    if (head.size() < 30 || !head.startsWith("BM"))
        return {};
    const auto le32 = [&head](int at) {
        return static_cast<int>(static_cast<std::uint8_t>(head[at]) | static_cast<std::uint8_t>(head[at + 1]) << 8 |
                                static_cast<std::uint8_t>(head[at + 2]) << 16 |
                                static_cast<std::uint8_t>(head[at + 3]) << 24);
    };
    return {le32(18), le32(22), static_cast<std::uint8_t>(head[28]) | static_cast<std::uint8_t>(head[29]) << 8};
}

} // namespace

class TestMenus : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void barIdentifiersAndKeys();
    void dropDownCaptionsRegisteredOnOpening();
    void reopeningReplacesCaptions();
    void pipeCaptionStartsColumn();
    void tablesIgnoreCaseAndRefuseDuplicates_data();
    void tablesIgnoreCaseAndRefuseDuplicates();
    void iconsRegisteredBySetupMenus_data();
    void iconsRegisteredBySetupMenus();
    void maximisedWindowConvertsEveryBarItem();
    void removalRestoresStylesAndReleasesLast();
    void exitRemovesTheMenus();

    void schemeColours_data();
    void schemeColours();
    void roundingAndBarLimit_data();
    void roundingAndBarLimit();
    void menuFontCellHeight();
    void measuredSizes_data();
    void measuredSizes();
    void captionsEndClearOfTheBorder_data();
    void captionsEndClearOfTheBorder();
    void bitmapsHaveTheirSizesAndMasks_data();
    void bitmapsHaveTheirSizesAndMasks();

    void selectedItemHighlight_data();
    void selectedItemHighlight();
    void checkedStageShowsCrossedBox();
    void disabledItemHasNoHighlight();
    void separatorIsEtched();
    void openBarItemIsFramed();
    void hotBarItemIsRaised();
    void barFillsAfterLastItem();
    void nullRecordDrawsNothing();

private:
    // Pops a drop-down of the main window up and waits until it is shown.
    void openMenu(QMenu* menu);
    QAction* barAction(int position) const { return window_->menuBar()->actions().at(position); }
    std::int64_t handle() const { return WindowHandle(window_.get()); }

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestMenus::init()
{
    ResetGlobals();
    answerer_.reset();
    PrevTopItem() = {};
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestMenus::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    for (QMenu* menu : window_->findChildren<QMenu*>())
        menu->hide();
    window_.reset();
}

void TestMenus::openMenu(QMenu* menu)
{
    menu->popup(window_->mapToGlobal(QPoint(40, 40)));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
}

void TestMenus::barIdentifiersAndKeys()
{
    QVERIFY(ODMenusInstalled(window_.get()));
    QCOMPARE(window_->menuBar()->actions().size(), 5);
    QCOMPARE(LastTopItemID(), 670);
    const QStringList captions = {"&File", "&Edit", "&Level", "&View", "&Help"};
    for (int p = 0; p < 5; ++p) {
        QCOMPARE(ItemID(barAction(p)), 666 + p);
        QCOMPARE(ItemData(barAction(p)), std::int64_t{2});
        QVERIFY(ItemType(barAction(p)) & kMftOwnerDraw);
        const QString key = ItemKey(handle(), 666 + p);
        QCOMPARE(key, QStringLiteral("%1-%2M").arg(handle()).arg(666 + p));
        QCOMPARE(MenuCaptions()->Item(key).value_or(QString()), captions.at(p));
    }
    QCOMPARE(ItemKey(1312, 667), QStringLiteral("1312-667M"));
    // The captions of the bar are all there is before a drop-down opens.
    QCOMPARE(MenuCaptions()->Count(), 5);
    // The program's own captions and names are left as they were.
    QCOMPARE(window_->mnuOpen()->text(), QStringLiteral("&Open"));
    QCOMPARE(window_->menuFile()->menuAction()->objectName(), QStringLiteral("mnuFIle"));
    QVERIFY(!window_->menuLevel()->menuAction()->isEnabled());
}

void TestMenus::dropDownCaptionsRegisteredOnOpening()
{
    QMenu* file = window_->menuFile();
    QCOMPARE(ItemID(window_->mnuOpen()), 0);
    openMenu(file);
    const QList<QAction*> items = file->actions();
    QVERIFY(items.size() >= 6);
    const int count = MenuCaptions()->Count();
    int registered = 0;
    for (QAction* item : items) {
        QVERIFY2(ItemID(item) >= kFirstPopupItemID, qPrintable(item->objectName()));
        QVERIFY(ItemType(item) & kMftOwnerDraw);
        QVERIFY(ItemData(item) != kTopLevelMarker);
        const auto caption = MenuCaptions()->Item(ItemKey(handle(), ItemID(item)));
        if (item->isSeparator()) {
            // Separators are converted like any item but leave the registry alone.
            QVERIFY(ItemType(item) & kMftSeparator);
            QVERIFY(!caption.has_value());
        } else {
            // An item with a shortcut carries it behind a TAB (Open, Save, Save As).
            const QString shortcut = item->shortcut().toString(QKeySequence::NativeText);
            QCOMPARE(caption.value_or(QString()),
                     shortcut.isEmpty() ? item->text() : item->text() + QLatin1Char('\t') + shortcut);
            ++registered;
        }
    }
    QVERIFY(registered >= 4);
    QCOMPARE(count, 5 + registered);

    // A nested drop-down is converted when it opens, under the same window.
    openMenu(window_->menuWeb());
    QCOMPARE(MenuCaptions()->Item(ItemKey(handle(), ItemID(window_->mnuEmal()))).value_or(QString()),
             QStringLiteral("Email Author"));
}

void TestMenus::reopeningReplacesCaptions()
{
    QMainWindow form;
    QMenu* tools = form.menuBar()->addMenu(QStringLiteral("&Tools"));
    QAction* first = tools->addAction(QStringLiteral("&First"));
    QAction* second = tools->addAction(QStringLiteral("Second"));
    second->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    InstallODMenus(&form);
    const std::int64_t h = WindowHandle(&form);
    const int before = MenuCaptions()->Count();

    emit tools->aboutToShow();
    const int firstId = ItemID(first);
    QCOMPARE(MenuCaptions()->Count(), before + 2);
    // The shortcut follows the caption behind a TAB.
    QCOMPARE(MenuCaptions()->Item(ItemKey(h, ItemID(second))).value_or(QString()),
             QStringLiteral("Second\t") + second->shortcut().toString(QKeySequence::NativeText));

    emit tools->aboutToShow();
    QCOMPARE(MenuCaptions()->Count(), before + 2);
    QCOMPARE(ItemID(first), firstId);

    first->setText(QStringLiteral("&Changed"));
    emit tools->aboutToShow();
    QCOMPARE(MenuCaptions()->Count(), before + 2);
    QCOMPARE(MenuCaptions()->Item(ItemKey(h, firstId)).value_or(QString()), QStringLiteral("&Changed"));
    RemoveODMenus(&form);
}

void TestMenus::pipeCaptionStartsColumn()
{
    QMainWindow form;
    QMenu* menu = form.menuBar()->addMenu(QStringLiteral("&Extras"));
    QAction* plain = menu->addAction(QStringLiteral("Plain"));
    QAction* tools = menu->addAction(QStringLiteral("|Tools"));
    InstallODMenus(&form);

    ConvertPopup(menu, 1312);
    QCOMPARE(MenuCaptions()->Item(ItemKey(1312, ItemID(tools))).value_or(QString()), QStringLiteral("Tools"));
    QVERIFY(ItemType(tools) & kMftMenuBreak);
    QVERIFY(!(ItemType(plain) & kMftMenuBreak));
    QCOMPARE(tools->text(), QStringLiteral("|Tools"));
    RemoveODMenus(&form);
}

void TestMenus::tablesIgnoreCaseAndRefuseDuplicates_data()
{
    QTest::addColumn<QString>("lookup");
    QTest::addColumn<bool>("found");
    QTest::newRow("same case") << "12-667M" << true;
    QTest::newRow("lower case m") << "12-667m" << true;
    QTest::newRow("other item") << "12-668M" << false;
}

void TestMenus::tablesIgnoreCaseAndRefuseDuplicates()
{
    QFETCH(QString, lookup);
    QFETCH(bool, found);
    CaptionTable table;
    QVERIFY(table.Add(QStringLiteral("12-667M"), QStringLiteral("&Edit")));
    QCOMPARE(table.Item(lookup).has_value(), found);
    QCOMPARE(table.Exists(lookup), found);
    // Adding a key that exists in any case fails and keeps the first value.
    QCOMPARE(table.Add(lookup, QStringLiteral("other")), !found);
    QCOMPARE(table.Item(QStringLiteral("12-667M")).value_or(QString()), QStringLiteral("&Edit"));
    QVERIFY(table.Remove(lookup.toUpper()));
    QVERIFY(!table.Remove(lookup));
}

void TestMenus::iconsRegisteredBySetupMenus_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("mask");
    QTest::newRow("open") << "&Open" << 101 << 102;
    QTest::newRow("save") << "&Save" << 103 << 104;
    QTest::newRow("save as, other case") << "s&AVE aS" << 105 << 106;
    QTest::newRow("exit") << "E&xit" << 107 << 108;
    QTest::newRow("stage 1") << "Stage 1" << 996 << 997;
    QTest::newRow("stage 9") << "Stage 9" << 996 << 997;
    QTest::newRow("editor grid") << "Editor Grid" << 996 << 997;
    QTest::newRow("tile selector grid") << "Tile Selector Grid" << 996 << 997;
    QTest::newRow("about has none") << "&About" << 0 << 0;
}

void TestMenus::iconsRegisteredBySetupMenus()
{
    QFETCH(QString, caption);
    QFETCH(int, image);
    QFETCH(int, mask);
    QCOMPARE(MenuIcons()->Count(), 15);
    const auto pair = MenuIcons()->Item(caption);
    QCOMPARE(pair.has_value(), image != 0);
    if (pair) {
        QCOMPARE(int((*pair)[0]), image);
        QCOMPARE(int((*pair)[1]), mask);
    }
    // A second registration of a caption is refused and the first pair stays.
    QVERIFY(!MenuIcons()->Add(QStringLiteral("&open"), MenuIconPair{1, 2}));
    QCOMPARE(int((*MenuIcons()->Item(QStringLiteral("&Open")))[0]), 101);
}

void TestMenus::maximisedWindowConvertsEveryBarItem()
{
    QMainWindow form;
    form.menuBar()->setNativeMenuBar(false);
    form.menuBar()->addMenu(QStringLiteral("&One"));
    form.menuBar()->addMenu(QStringLiteral("&Two"));
    form.menuBar()->addMenu(QStringLiteral("T&hree"));
    form.showMaximized();
    InstallODMenus(&form);
    QCOMPARE(LastTopItemID(), 665 + 3);
    for (int p = 0; p < 3; ++p)
        QCOMPARE(ItemID(form.menuBar()->actions().at(p)), 666 + p);
    RemoveODMenus(&form);
    // The main window's bar is still installed; its identifiers are unchanged.
    QCOMPARE(ItemID(barAction(4)), 670);
}

void TestMenus::removalRestoresStylesAndReleasesLast()
{
    QMainWindow other;
    QMenu* menu = other.menuBar()->addMenu(QStringLiteral("&Other"));
    InstallODMenus(&other);
    InstallODMenus(&other); // a second installation only converts again
    QVERIFY(other.menuBar()->style() != QApplication::style());
    QVERIFY(menu->style() == other.menuBar()->style());

    RemoveODMenus(&other);
    QVERIFY(!ODMenusInstalled(&other));
    QCOMPARE(other.menuBar()->style(), QApplication::style());
    QCOMPARE(menu->style(), QApplication::style());
    // The main window still has the module: the registries stay.
    QVERIFY(MenuCaptions() != nullptr);
    QVERIFY(MenuIcons() != nullptr);
    RemoveODMenus(&other); // removing twice changes nothing

    RemoveODMenus(window_.get());
    QVERIFY(MenuCaptions() == nullptr);
    QVERIFY(MenuIcons() == nullptr);
    QCOMPARE(window_->menuBar()->style(), QApplication::style());
    // Opening a drop-down afterwards converts nothing.
    openMenu(window_->menuFile());
    QCOMPARE(ItemID(window_->mnuOpen()), 0);
}

void TestMenus::exitRemovesTheMenus()
{
    answerer_.expect(PressStandard(QMessageBox::Yes));
    window_->mnuExit()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(!ODMenusInstalled(window_.get()));
    QVERIFY(MenuCaptions() == nullptr);
}

void TestMenus::schemeColours_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<uint>("rgb");
    QTest::newRow("Selected") << "Selected" << 0xFFFF00u;
    QTest::newRow("selected") << "selected" << 0xFFFF00u;
    QTest::newRow("SELECTED") << "SELECTED" << 0xFFFF00u;
    QTest::newRow("SelectedText") << "SelectedText" << 0x000000u;
    QTest::newRow("GeneralText") << "GeneralText" << 0x000000u;
    QTest::newRow("BorderColor") << "BorderColor" << 0x555576u;
    QTest::newRow("menutext") << "menutext" << 0x000000u;
    QTest::newRow("unknown key") << "no such key" << 0x000000u;
    QTest::newRow("empty key") << "" << 0x000000u;
}

void TestMenus::schemeColours()
{
    QFETCH(QString, key);
    QFETCH(uint, rgb);
    QCOMPARE(RgbOf(SchemeColor(key)), rgb);
}

void TestMenus::roundingAndBarLimit_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("2.5 to 2") << 2.5 << 2;
    QTest::newRow("3.5 to 4") << 3.5 << 4;
    QTest::newRow("9.5 to 10") << 9.5 << 10;
    QTest::newRow("3 stays") << 3.0 << 3;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("14.67 to 15") << 11.0 * 96 / 72 << 15;
}

void TestMenus::roundingAndBarLimit()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
    QCOMPARE(BarRightLimit(800, 1), 796);
}

void TestMenus::menuFontCellHeight()
{
    // The font is one cell of (menu font pixels x dpi / 72) or just under it.
    const QFont menu = QApplication::font("QMenu");
    for (const int dpi : {72, 96, 144}) {
        const double pixels = menu.pixelSize() > 0 ? menu.pixelSize() : menu.pointSizeF() * dpi / 72.0;
        const int cell = RoundHalfEven(pixels * dpi / 72.0);
        const QFont font = CreateMenuFont(dpi);
        QVERIFY2(QFontMetrics(font).height() <= cell, qPrintable(QString::number(dpi)));
        QCOMPARE(font.family(), menu.family());
        QCOMPARE(font.weight(), menu.weight());
        QCOMPARE(font.italic(), menu.italic());
        QVERIFY(font.pixelSize() > 0);
    }
    QVERIFY(CreateMenuFont(144).pixelSize() > CreateMenuFont(96).pixelSize());
}

void TestMenus::measuredSizes_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("iconHeight");
    QTest::addColumn<bool>("iconColumn");
    QTest::newRow("&Open, 16-pixel icon") << "mnuOpen" << "&Open" << 16 << true;
    QTest::newRow("Stage 1, 12-pixel box") << "mnuStageSelect(0)" << "Stage 1" << 12 << true;
    QTest::newRow("&About, no icon") << "mnuAbout" << "&About" << 0 << true;
    QTest::newRow("separator") << "FileFiller1" << "" << 0 << true;
    QTest::newRow("&File on the bar") << "mnuFIle" << "&File" << 0 << false;
}

void TestMenus::measuredSizes()
{
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(int, iconHeight);
    QFETCH(bool, iconColumn);
    for (QMenu* menu : {window_->menuFile(), window_->menuLevel(), window_->menuHelp()})
        ConvertPopup(menu, handle());
    QAction* action = nullptr;
    for (QAction* candidate : window_->findChildren<QAction*>())
        if (candidate->objectName() == item && (candidate->isSeparator() || !candidate->text().isEmpty()))
            action = candidate;
    QVERIFY(action != nullptr);

    const QFont font = CreateMenuFont(*window_);
    const QFontMetrics metrics(font);
    // An item's shortcut is measured with its caption ("Ctrl+O &Open").
    if (!action->shortcut().isEmpty())
        text = action->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(' ') + text;
    const int cx = metrics.horizontalAdvance(text); // "&" counts
    const int cy = metrics.height();
    const QSize expected((iconColumn ? 20 : 0) + cx + 6, std::max(cy, iconHeight) + 6);
    QCOMPARE(MeasureMenuItem(handle(), ItemID(action), ItemData(action)), expected);
    QCOMPARE(MenuTextExtent(font, QString()), QSize(0, cy));

    // Qt lays the items out at the measured height (and the bar item at its width).
    if (iconColumn) {
        QMenu* menu = qobject_cast<QMenu*>(action->associatedObjects().first());
        QVERIFY(menu != nullptr);
        openMenu(menu);
        QCOMPARE(menu->actionGeometry(action).height(), expected.height());
        QVERIFY(menu->actionGeometry(action).width() >= expected.width());
    } else {
        QCOMPARE(window_->menuBar()->actionGeometry(action).size(), expected);
    }
}

void TestMenus::captionsEndClearOfTheBorder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::newRow("File: Export IPS Patch...") << "mnuFIle";
    QTest::newRow("Edit: shortcuts") << "mnuEdit";
    QTest::newRow("Level: Stage 1") << "mnuLevel";
    QTest::newRow("View: Tile Selector Grid") << "mnuView";
    QTest::newRow("Help: the Web submenu") << "mnuHelp";
    QTest::newRow("Web: Email Author") << "mnuWeb";
}

void TestMenus::captionsEndClearOfTheBorder()
{
    QFETCH(QString, menu);
    auto* dropDown = window_->findChild<QMenu*>(menu);
    QVERIFY(dropDown != nullptr);
    openMenu(dropDown);
    dropDown->setActiveAction(nullptr);
    const QImage shot = Grab(dropDown);
    const std::uint32_t background = RgbOf(SchemeColor(QStringLiteral("menubg")));
    const QFont font = CreateMenuFont(*window_);
    for (QAction* action : dropDown->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QRect r = dropDown->actionGeometry(action);
        // The row holds the caption at 26 in the drawing font and the margin after it.
        const QString caption = action->text().section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(r.width() >= kCaptionLeft + QFontMetrics(font).horizontalAdvance(caption) + kShortcutRightMargin,
                 qPrintable(caption));
        // No text pixel within the margin on the right (the submenu arrow aside).
        const int limit = r.right() - (action->menu() != nullptr ? 10 : 0);
        int ink = -1;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left() + kCaptionLeft; x <= limit; ++x)
                if (Rgb(shot, x, y) != background)
                    ink = std::max(ink, x);
        QVERIFY2(ink >= 0, qPrintable(caption + QStringLiteral(": no text drawn")));
        QVERIFY2(r.right() - ink >= kMeasureMargin,
                 qPrintable(QStringLiteral("%1: text ends %2 pixels from the border").arg(caption).arg(r.right() - ink)));
    }
}

void TestMenus::bitmapsHaveTheirSizesAndMasks_data()
{
    QTest::addColumn<int>("image");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("maskAllBlack");
    QTest::newRow("101 open folder") << 101 << 16 << 24 << false;
    QTest::newRow("103 floppy disk") << 103 << 16 << 24 << false;
    QTest::newRow("105 blank page") << 105 << 16 << 24 << false;
    QTest::newRow("107 red cross") << 107 << 14 << 8 << true;
    QTest::newRow("996 empty box") << 996 << 12 << 24 << true;
    QTest::newRow("998 crossed box") << 998 << 12 << 24 << true;
}

void TestMenus::bitmapsHaveTheirSizesAndMasks()
{
    QFETCH(int, image);
    QFETCH(int, size);
    QFETCH(int, bits);
    QFETCH(bool, maskAllBlack);
    const BmpInfo imageInfo = ReadBmpInfo(image);
    const BmpInfo maskInfo = ReadBmpInfo(image + 1);
    QCOMPARE(imageInfo.width, size);
    QCOMPARE(imageInfo.height, size);
    QCOMPARE(imageInfo.bits, bits);
    QCOMPARE(maskInfo.width, size);
    QCOMPARE(maskInfo.height, size);
    QCOMPARE(maskInfo.bits, 1);

    const QImage picture = LoadMenuBitmap(image);
    const QImage mask = LoadMenuBitmap(image + 1);
    int black = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const std::uint32_t m = Rgb(mask, x, y);
            QVERIFY(m == 0 || m == 0xFFFFFF);
            black += m == 0 ? 1 : 0;
            // Outside the picture the image is white.
            if (m != 0)
                QCOMPARE(Rgb(picture, x, y), 0xFFFFFFu);
        }
    QCOMPARE(black == size * size, maskAllBlack);
    QVERIFY(black > 0);
    QVERIFY(LoadMenuBitmap(12345).isNull());
}

void TestMenus::selectedItemHighlight_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("highlightFrom");
    QTest::newRow("&Open with icon from 20") << "mnuOpen" << 20;
    QTest::newRow("E&xit with icon from 20") << "mnuExit" << 20;
    QTest::newRow("&About without icon from 0") << "mnuAbout" << 0;
}

void TestMenus::selectedItemHighlight()
{
    QFETCH(QString, item);
    QFETCH(int, highlightFrom);
    QAction* action = window_->findChild<QAction*>(item);
    QMenu* menu = qobject_cast<QMenu*>(action->associatedObjects().first());
    openMenu(menu);
    menu->setActiveAction(action);
    const QImage shot = Grab(menu);
    const QRect r = menu->actionGeometry(action);
    const int y = r.top() + 1; // above the text and the icon
    const std::uint32_t background = RgbOf(SchemeColor(QStringLiteral("menubg")));
    QCOMPARE(Rgb(shot, r.left() + highlightFrom, y), kYellow);
    QCOMPARE(Rgb(shot, r.right(), y), kYellow);
    if (highlightFrom == 20) {
        // The icon column is raised: light on the left, shadow on the right.
        QCOMPARE(Rgb(shot, r.left(), r.center().y()), RgbOf(MenuEdgeLight()));
        QCOMPARE(Rgb(shot, r.left() + 19, r.center().y()), RgbOf(MenuEdgeShadow()));
        QCOMPARE(Rgb(shot, r.left() + 19, r.top()), RgbOf(MenuEdgeShadow()));
        QVERIFY(Rgb(shot, r.left() + 1, y) != kYellow);
    } else {
        QCOMPARE(Rgb(shot, r.left(), y), kYellow);
    }
    // The row above is not highlighted.
    const QRect above = menu->actionGeometry(menu->actions().first());
    if (above != r)
        QCOMPARE(Rgb(shot, above.left() + 22, above.top() + 1), background);
}

void TestMenus::checkedStageShowsCrossedBox()
{
    window_->mnuStageSelect(2)->setChecked(true);
    QMenu* level = window_->menuLevel();
    openMenu(level);
    const QImage shot = Grab(level);
    const QImage crossed = LoadMenuBitmap(998);
    const QImage empty = LoadMenuBitmap(996);
    QCOMPARE(crossed.size(), QSize(12, 12));
    for (int k : {1, 2}) {
        const QRect r = level->actionGeometry(window_->mnuStageSelect(k));
        const int top = r.top() + RoundHalfEven((r.height() - 12) / 2.0);
        const QImage& expected = k == 2 ? crossed : empty;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                QCOMPARE(Rgb(shot, r.left() + 2 + x, top + y), Rgb(expected, x, y));
    }
}

void TestMenus::disabledItemHasNoHighlight()
{
    QMenu* file = window_->menuFile();
    openMenu(file);
    QAction* save = window_->mnuSave();
    QVERIFY(!save->isEnabled());
    file->setActiveAction(save);
    QCOMPARE(file->activeAction(), save);
    const QImage shot = Grab(file);
    const QRect r = file->actionGeometry(save);
    const std::uint32_t background = RgbOf(SchemeColor(QStringLiteral("menubg")));
    int embossed = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            QVERIFY2(Rgb(shot, x, y) != kYellow, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            embossed += Rgb(shot, x, y) == RgbOf(MenuEdgeShadow()) ? 1 : 0;
        }
    // No raised icon column, and the icon and caption are embossed.
    QCOMPARE(Rgb(shot, r.left(), r.top() + 1), background);
    QVERIFY(embossed > 10);
}

void TestMenus::separatorIsEtched()
{
    QMenu* file = window_->menuFile();
    openMenu(file);
    const QImage shot = Grab(file);
    QAction* separator = file->actions().at(1);
    QVERIFY(separator->isSeparator());
    const QRect r = file->actionGeometry(separator);
    QCOMPARE(r.height(), QFontMetrics(CreateMenuFont(*window_)).height() + 6);
    const int t = RoundHalfEven((r.height() - 2) / 2.0);
    const std::uint32_t background = RgbOf(SchemeColor(QStringLiteral("menubg")));
    for (const int x : {5, r.width() / 2, r.width() - 6}) {
        QCOMPARE(Rgb(shot, r.left() + x, r.top() + t - 1), background);
        QCOMPARE(Rgb(shot, r.left() + x, r.top() + t), RgbOf(MenuEdgeShadow()));
        QCOMPARE(Rgb(shot, r.left() + x, r.top() + t + 1), RgbOf(MenuEdgeLight()));
        QCOMPARE(Rgb(shot, r.left() + x, r.top() + t + 2), background);
    }
    QCOMPARE(Rgb(shot, r.left() + 4, r.top() + t), background);
    QCOMPARE(Rgb(shot, r.left() + r.width() - 5, r.top() + t), background);
}

void TestMenus::openBarItemIsFramed()
{
    QMenuBar* bar = window_->menuBar();
    QAction* file = barAction(0);
    bar->setActiveAction(file);
    QVERIFY(QTest::qWaitForWindowExposed(window_->menuFile()));
    const QImage shot = Grab(bar);
    const QRect r = bar->actionGeometry(file);
    const std::uint32_t border = RgbOf(SchemeColor(QStringLiteral("BorderColor")));
    QCOMPARE(Rgb(shot, r.left(), r.top()), border);
    QCOMPARE(Rgb(shot, r.right(), r.bottom()), border);
    QCOMPARE(Rgb(shot, r.left(), r.center().y()), border);
    QCOMPARE(Rgb(shot, r.left() + 1, r.top() + 1), kYellow);
    QCOMPARE(Rgb(shot, r.right() - 1, r.bottom() - 1), kYellow);
    // Its neighbour is plain.
    const QRect next = bar->actionGeometry(barAction(1));
    QCOMPARE(Rgb(shot, next.left() + 1, next.top() + 1), RgbOf(SchemeColor(QStringLiteral("menubg"))));
}

void TestMenus::hotBarItemIsRaised()
{
    QMenuBar* bar = window_->menuBar();
    const QRect r = bar->actionGeometry(barAction(1));
    // The mouse comes over "&Edit" without a button pressed.
    QMouseEvent move(QEvent::MouseMove, QPointF(r.center()), bar->mapToGlobal(QPointF(r.center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QTRY_COMPARE(bar->activeAction(), barAction(1));
    QVERIFY(!window_->menuEdit()->isVisible());
    const QImage shot = Grab(bar);
    QCOMPARE(Rgb(shot, r.left(), r.center().y()), RgbOf(MenuEdgeLight()));
    QCOMPARE(Rgb(shot, r.right(), r.center().y()), RgbOf(MenuEdgeShadow()));
    QCOMPARE(Rgb(shot, r.center().x(), r.bottom()), RgbOf(MenuEdgeShadow()));
    QVERIFY(Rgb(shot, r.left() + 1, r.top() + 1) != kYellow);
}

void TestMenus::barFillsAfterLastItem()
{
    // Draw bar items on a red surface as the bar would, and see what is filled.
    const int width = window_->width();
    QImage surface(width + 20, 60, QImage::Format_RGB32);
    surface.fill(Qt::red);
    const std::uint32_t background = RgbOf(SchemeColor(QStringLiteral("menubg")));
    const std::uint32_t red = 0xFF0000;
    const int limit = BarRightLimit(width);
    {
        QPainter painter(&surface);
        MenuDrawRecord record;
        record.hwndItem = window_->menuBar();
        record.hDC = &painter;
        record.itemData = kTopLevelMarker;
        // 666 on the first line, 667 wrapped onto the second: the first line is
        // filled from 666's right edge.
        record.itemID = 666;
        record.left = 0, record.top = 0, record.right = 40, record.bottom = 20;
        DrawMenuItem(handle(), &record);
        record.itemID = 667;
        record.left = 0, record.top = 20, record.right = 40, record.bottom = 40;
        DrawMenuItem(handle(), &record);
        // The last item fills its own line to the limit.
        record.itemID = 670;
        record.left = 100, record.top = 40, record.right = 140, record.bottom = 60;
        DrawMenuItem(handle(), &record);
    }
    QCOMPARE(Rgb(surface, 50, 10), background);
    QCOMPARE(Rgb(surface, limit - 1, 10), background);
    QCOMPARE(Rgb(surface, limit, 10), red);
    QCOMPARE(Rgb(surface, 50, 30), red); // 667 is not the last item
    QCOMPARE(Rgb(surface, 150, 50), background);
    QCOMPARE(Rgb(surface, limit, 50), red);
    QCOMPARE(Rgb(surface, 99, 50), red);
    QCOMPARE(PrevTopItem().itemID, 670);
    QCOMPARE(PrevTopItem().right, 140);

    // The first bar item never fills the line above.
    QImage again(width, 40, QImage::Format_RGB32);
    again.fill(Qt::red);
    {
        QPainter painter(&again);
        MenuDrawRecord record;
        record.hwndItem = window_->menuBar();
        record.hDC = &painter;
        record.itemData = kTopLevelMarker;
        PrevTopItem() = {0, 0, 40, 20, 665};
        record.itemID = 666;
        record.left = 0, record.top = 20, record.right = 40, record.bottom = 40;
        DrawMenuItem(handle(), &record);
    }
    QCOMPARE(Rgb(again, 50, 10), red);
}

void TestMenus::nullRecordDrawsNothing()
{
    const TopItemRecord before = PrevTopItem();
    DrawMenuItem(handle(), nullptr);
    MenuDrawRecord noSurface;
    noSurface.itemData = kTopLevelMarker;
    noSurface.itemID = 667;
    DrawMenuItem(handle(), &noSurface);
    QCOMPARE(PrevTopItem().itemID, before.itemID);
    // A record for an item nobody registered draws an empty row.
    QImage surface(60, 20, QImage::Format_RGB32);
    surface.fill(Qt::red);
    {
        QPainter painter(&surface);
        MenuDrawRecord record;
        record.hDC = &painter;
        record.itemID = 99999;
        record.right = 60, record.bottom = 20;
        DrawMenuItem(handle(), &record);
    }
    for (int x = 0; x < 60; x += 7)
        QCOMPARE(Rgb(surface, x, 10), RgbOf(SchemeColor(QStringLiteral("menubg"))));
}

QTEST_MAIN(TestMenus)
#include "test_menus.moc"
