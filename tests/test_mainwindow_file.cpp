// The main window at start-up and its file commands, driven as a user would.

#include "data/Version.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace quorvan;
using namespace quorvan::test;

class TestMainWindowFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captionAndLayout();
    void menuStatesAtStart();
    void openThroughDialog_data();
    void openThroughDialog();
    void openOneLayoutThenTheOther();
    void refusedLengthChangesNothing_data();
    void refusedLengthChangesNothing();
    void cancelChangesNothing();
    void unreadableFileChangesNothing();
    void saveWritesOnlyEditedBytes();
    void saveAsThenSave();
    void failedSaveKeepsFileAndState();
    void saveAsAddsTheExtension_data();
    void saveAsAddsTheExtension();

private:
    void openWithDialog(const QString& path);

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestMainWindowFile::init()
{
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestMainWindowFile::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
}

void TestMainWindowFile::openWithDialog(const QString& path)
{
    answerer_.expect(ChooseFile(path));
    window_->mnuOpen()->trigger();
    QCOMPARE(answerer_.pending(), 0);
}

void TestMainWindowFile::captionAndLayout()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvan V0.4"));
    QCOMPARE(MainCaption(1, 12), QStringLiteral("Quorvan V1.12"));
    // Client area 652 x 449 below the menu bar, controls at their positions.
    const int top = window_->menuBar()->height();
    QCOMPARE(window_->width(), 652);
    QCOMPARE(window_->height() - top, 449);
    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"picEditor", {8, 16, 512, 384}},       {"hLevel_Frames", {8, 400, 512, 13}},
        {"picTile", {568, 48, 64, 256}},        {"hsTable", {568, 304, 64, 13}},
        {"picSelectedTile", {584, 336, 32, 32}}, {"cmdEditTile", {576, 376, 49, 17}},
    };
    for (const auto& c : controls) {
        auto* widget = window_->findChild<QWidget*>(QString::fromLatin1(c.name));
        QVERIFY2(widget != nullptr, c.name);
        const QRect inWindow(widget->mapTo(window_.get(), QPoint(0, 0)) - QPoint(0, top), widget->size());
        QCOMPARE(inWindow, c.rect);
    }
    QStatusBar* bar = window_->findChild<QStatusBar*>(QStringLiteral("SB1"));
    QVERIFY(bar != nullptr);
    QCOMPARE(bar->geometry(), QRect(0, top + 424, 652, 25));
    QVERIFY(window_->findChild<QLabel*>(QStringLiteral("Panels(1)"))->text().isEmpty());
    QVERIFY(window_->findChild<QLabel*>(QStringLiteral("Panels(2)"))->text().isEmpty());
    QCOMPARE(window_->findChild<QPushButton*>(QStringLiteral("cmdEditTile"))->text(), QStringLiteral("Edit Tile"));
    for (auto* bar2 : {window_->hLevel_Frames(), window_->hsTable()}) {
        QCOMPARE(bar2->minimum(), 0);
        QCOMPARE(bar2->maximum(), 0);
    }
    QCOMPARE(window_->picSelectedTile()->Tag(), QString());
}

void TestMainWindowFile::menuStatesAtStart()
{
    // Captions, enabled states and check marks of every item, by object name.
    const struct {
        const char* name;
        const char* caption;
        bool enabled;
    } items[] = {
        {"mnuOpen", "&Open", true},          {"mnuSave", "&Save", false},
        {"mnuSaveAS", "S&ave As", false},     {"mnuExit", "E&xit", true},
        {"mnuPalette", "&Palette", false},   {"mnuTileEditor", "&Tile Editor", false},
        {"mnuGrid(0)", "Editor Grid", false}, {"mnuGrid(1)", "Tile Selector Grid", false},
        {"mnuAbout", "&About", true},        {"mnuTrelvix", "Trelvix", true},
        {"mnuEmal", "Email Author", true},
    };
    for (const auto& item : items) {
        auto* action = window_->findChild<QAction*>(QString::fromLatin1(item.name));
        QVERIFY2(action != nullptr, item.name);
        QCOMPARE(action->text(), QString::fromLatin1(item.caption));
        QCOMPARE(action->isEnabled(), item.enabled);
        QVERIFY(!action->isChecked());
    }
    for (int k = 0; k < 9; ++k) {
        auto* action = window_->findChild<QAction*>(QStringLiteral("mnuStageSelect(%1)").arg(k));
        QVERIFY(action != nullptr);
        QCOMPARE(action->text(), QStringLiteral("Stage %1").arg(k + 1));
        QVERIFY(!action->isChecked());
    }
    const struct {
        const char* name;
        const char* caption;
        bool enabled;
    } menus[] = {{"mnuFIle", "&File", true}, {"mnuEdit", "&Edit", true}, {"mnuLevel", "&Level", false},
                 {"mnuView", "&View", true}, {"mnuHelp", "&Help", true}, {"mnuWeb", "Web", true}};
    for (const auto& m : menus) {
        auto* menu = window_->findChild<QMenu*>(QString::fromLatin1(m.name));
        QVERIFY2(menu != nullptr, m.name);
        QCOMPARE(menu->title(), QString::fromLatin1(m.caption));
        QCOMPARE(menu->menuAction()->isEnabled(), m.enabled);
    }
    // The File menu in order, separators named.
    QList<QAction*> file = window_->menuFile()->actions();
    // (The three patch items, the two picture exports, the tile set out and in
    // and their separators stand between FileFiller2 and Exit, and the recent
    // files, as many as there are.)
    file.removeIf([](const QAction* action) {
        return action->objectName().startsWith(QLatin1String("mnuRecent(")) ||
               action->objectName() == QLatin1String("FileFiller5");
    });
    QCOMPARE(file.size(), 15);
    QCOMPARE(file.last()->objectName(), QStringLiteral("mnuExit"));
    QCOMPARE(file[1]->objectName(), QStringLiteral("FileFiller1"));
    QVERIFY(file[1]->isSeparator());
    QCOMPARE(file[4]->objectName(), QStringLiteral("FileFiller2"));
    QCOMPARE(window_->menuBar()->actions().size(), 5);
}

void TestMainWindowFile::openThroughDialog_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("roomData0");
    QTest::addColumn<int>("tileData1");
    QTest::newRow("0x40090") << int(DemoLayout::Plain) << 0x58 << 0x2A010;
    QTest::newRow("0x30210") << int(DemoLayout::Shifted) << 0x258 << 0x2A210;
}

void TestMainWindowFile::openThroughDialog()
{
    QFETCH(int, layout);
    QFETCH(int, roomData0);
    QFETCH(int, tileData1);
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("demo.nes"), static_cast<DemoLayout>(layout));
    openWithDialog(path);
    QCOMPARE(Stages[0].RoomData, roomData0);
    QCOMPARE(Stages[1].TileData, tileData1);
    QVERIFY(RomImage.bytes().size() == ReadFileBytes(path).size());
    QVERIFY(std::equal(RomImage.bytes().begin(), RomImage.bytes().end(), ReadFileBytes(path).begin()));
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), path);
    QCOMPARE(window_->Panel(1)->text(), RomFileName);
    QVERIFY(window_->menuLevel()->menuAction()->isEnabled());
    QVERIFY(window_->mnuSave()->isEnabled());
    QVERIFY(window_->mnuSaveAS()->isEnabled());
    // Still no stage, nothing else enabled, nothing drawn.
    QVERIFY(!window_->mnuPalette()->isEnabled());
    QVERIFY(!window_->mnuGrid(0)->isEnabled());
    QCOMPARE(CurrentStage, std::int16_t{0});
    QVERIFY(!RomImage.modified());
}

void TestMainWindowFile::openOneLayoutThenTheOther()
{
    Sandbox box;
    const QString shifted = box.demoImage(QStringLiteral("a.nes"), DemoLayout::Shifted);
    const QString plain = box.demoImage(QStringLiteral("b.nes"), DemoLayout::Plain);
    QVERIFY(window_->OpenFile(shifted));
    QVERIFY(window_->OpenFile(shifted));
    QCOMPARE(Stages[0].RoomData, 0x258); // not shifted twice
    QVERIFY(window_->OpenFile(plain));
    QCOMPARE(Stages, BaseStages());
    QVERIFY(window_->OpenFile(shifted));
    QCOMPARE(Stages, *StagesForLength(0x30210));
}

void TestMainWindowFile::refusedLengthChangesNothing_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("0x30211") << 0x30211;
    QTest::newRow("0x4008F") << 0x4008F;
    QTest::newRow("0x40091") << 0x40091;
    QTest::newRow("0x3020F") << 0x3020F;
    QTest::newRow("empty") << 0;
}

void TestMainWindowFile::refusedLengthChangesNothing()
{
    QFETCH(int, length);
    Sandbox box;
    const QString good = box.demoImage(QStringLiteral("good.nes"), DemoLayout::Shifted);
    openWithDialog(good);
    const auto image = std::vector<std::uint8_t>(RomImage.bytes().begin(), RomImage.bytes().end());
    const StageTable stages = Stages;
    const QString bad = box.write(QStringLiteral("bad.nes"), std::vector<std::uint8_t>(static_cast<std::size_t>(length), 1));

    answerer_.expect(ChooseFile(bad));
    QString details;
    answerer_.expect([&details](QWidget* modal) {
        if (auto* message = qobject_cast<QMessageBox*>(modal))
            details = message->informativeText();
        ClickButton(QStringLiteral("OK"))(modal);
    });
    window_->mnuOpen()->trigger();
    QCOMPARE(answerer_.seen().last(), QStringLiteral("Bad File|Invalid ROM Size."));
    // What was wrong: the file, its size and the sizes accepted.
    QCOMPARE(details, QStringLiteral("\"bad.nes\" is %1 bytes (0x%2) long. An image must be 262288 bytes (0x40090) "
                                     "or 197136 bytes (0x30210).")
                          .arg(length)
                          .arg(QString::number(length, 16).toUpper()));
    QVERIFY(std::equal(image.begin(), image.end(), RomImage.bytes().begin()));
    QCOMPARE(Stages, stages);
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), good);
    QCOMPARE(window_->Panel(1)->text(), RomFileName);
}

void TestMainWindowFile::cancelChangesNothing()
{
    Sandbox box;
    // Cancelling before anything was opened.
    answerer_.expect(CancelDialog());
    window_->mnuOpen()->trigger();
    QVERIFY(RomImage.empty());
    QVERIFY(RomFileName.isEmpty());
    QVERIFY(!window_->mnuSave()->isEnabled());

    const QString first = box.demoImage(QStringLiteral("first.nes"));
    openWithDialog(first);
    RomImage.write(0x58, 0x99); // an edit that a re-open would lose
    // Cancelling Open never re-opens the previous file.
    answerer_.expect(CancelDialog());
    window_->mnuOpen()->trigger();
    QCOMPARE(RomImage[0x58], std::uint8_t{0x99});
    QVERIFY(RomImage.modified());
    // Cancelling Save As writes nothing and keeps the path.
    answerer_.expect(CancelDialog());
    window_->mnuSaveAS()->trigger();
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), first);
    QVERIFY(ReadFileBytes(first) == DemoBytes());
}

void TestMainWindowFile::unreadableFileChangesNothing()
{
    Sandbox box;
    const QString good = box.demoImage(QStringLiteral("good.nes"));
    QVERIFY(window_->OpenFile(good));
    const QString missing = box.path(QStringLiteral("missing.nes"));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    QVERIFY(!window_->OpenFile(missing));
    QVERIFY(answerer_.seen().last().startsWith(QStringLiteral("File Error|")));
    QVERIFY(answerer_.seen().last().contains(QStringLiteral("missing.nes")));
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), good);
    QVERIFY(RomImage.bytes().size() == 0x40090);
}

void TestMainWindowFile::saveWritesOnlyEditedBytes()
{
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("edit.nes"));
    QVERIFY(window_->OpenFile(path));
    const auto before = ReadFileBytes(path);
    QVERIFY(RomImage.write(0x23B, static_cast<std::uint8_t>(before[0x23B] ^ 0xFF)));
    QVERIFY(RomImage.write(0x40090 - 1, static_cast<std::uint8_t>(before[0x40090 - 1] + 1)));
    window_->mnuSave()->trigger();
    const auto after = ReadFileBytes(path);
    QCOMPARE(after.size(), before.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i])
            differing.push_back(i);
    QCOMPARE(differing, (std::vector<std::size_t>{0x23B, 0x40090 - 1}));
    QVERIFY(!RomImage.modified());
}

void TestMainWindowFile::saveAsThenSave()
{
    Sandbox box;
    const QString original = box.demoImage(QStringLiteral("original.nes"));
    QVERIFY(window_->OpenFile(original));
    const QString copy = box.path(QStringLiteral("copy.nes"));
    answerer_.expect(ChooseFile(copy));
    window_->mnuSaveAS()->trigger();
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), copy);
    QCOMPARE(window_->Panel(1)->text(), RomFileName);
    QVERIFY(ReadFileBytes(copy) == DemoBytes());

    RomImage.write(0x100, 0x42);
    window_->mnuSave()->trigger();
    QCOMPARE(ReadFileBytes(copy)[0x100], std::uint8_t{0x42});
    QVERIFY(ReadFileBytes(original) == DemoBytes()); // the old path is no longer written
}

void TestMainWindowFile::failedSaveKeepsFileAndState()
{
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("keep.nes"));
    QVERIFY(window_->OpenFile(path));
    const auto edited = static_cast<std::uint8_t>(RomImage[0x58] ^ 0xFF);
    RomImage.write(0x58, edited);
    // Save As onto a folder fails with a message naming it; nothing changes.
    QDir(box.path(QString())).mkdir(QStringLiteral("folder.nes"));
    const QString folder = box.path(QStringLiteral("folder.nes"));
    answerer_.expect(ChooseFile(folder + QStringLiteral("/no/such/file.nes")));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuSaveAS()->trigger();
    QVERIFY(answerer_.seen().last().startsWith(QStringLiteral("File Error|")));
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), path);
    QCOMPARE(window_->Panel(1)->text(), RomFileName);
    QVERIFY(RomImage.modified());
    QVERIFY(ReadFileBytes(path) == DemoBytes());
    // The program goes on working: a later save succeeds.
    window_->mnuSave()->trigger();
    QCOMPARE(ReadFileBytes(path)[0x58], edited);
}

void TestMainWindowFile::saveAsAddsTheExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension: .nes added") << "mylevel" << "mylevel.nes";
    QTest::newRow(".nes typed: kept") << "mylevel.nes" << "mylevel.nes";
    QTest::newRow("another extension: kept") << "mylevel.bin" << "mylevel.bin";
}

void TestMainWindowFile::saveAsAddsTheExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Sandbox box;
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("original.nes"))));
    answerer_.expect(ChooseFile(box.path(typed)));
    window_->mnuSaveAS()->trigger();
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), box.path(saved));
    QVERIFY(ReadFileBytes(box.path(saved)) == DemoBytes());
    if (typed != saved)
        QVERIFY(!QFile::exists(box.path(typed)));

    // The same dialog then opens a typed name as it is, extension or not. A
    // file error (the name taken as "bare.nes") is closed and counted.
    const QString bare = box.demoImage(QStringLiteral("bare"), DemoLayout::Shifted);
    QString error;
    QTimer guard;
    connect(&guard, &QTimer::timeout, [&error] {
        if (auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            error = message->text();
            message->done(QMessageBox::Ok);
        }
    });
    guard.start(20);
    openWithDialog(bare);
    guard.stop();
    QCOMPARE(error, QString());
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), bare);
    QVERIFY(RomImage.bytes().size() == 0x30210);
}

QTEST_MAIN(TestMainWindowFile)
#include "test_mainwindow_file.moc"
