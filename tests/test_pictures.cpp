// Room pictures and stage maps: composed pixels against a composition written
// here from the tile format, through PNG and back, from the library and from
// the File menu (the scale of Preferences, unsaved edits, the dialog's
// questions and refusals).

#include "data/Stages.h"
#include "data/modGlobals.h"
#include "graphics/StagePicture.h"
#include "support/FaultInjection.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"
#include "support/WindowFixture.h"
#include "ui/main/frmQuorvan.h"
#include "ui/prefs/Preferences.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Tweak { None, BadPalette, ShortList, NoList };

Bytes Tweaked(Bytes image, int stage, Tweak tweak)
{
    const StageInfo info = (*StagesForLength(image.size()))[static_cast<std::size_t>(stage)];
    switch (tweak) {
    case Tweak::None:
        break;
    case Tweak::BadPalette:
        // Colour numbers above 63 in every palette: the fault colour shows.
        for (int i = 1; i < 16; i += 3)
            image[static_cast<std::size_t>(info.Palettes + i)] = static_cast<std::uint8_t>(0x40 + i * 11);
        break;
    case Tweak::ShortList:
        std::fill(image.begin() + info.RoomList, image.begin() + info.RoomData, std::uint8_t{255});
        image[static_cast<std::size_t>(info.RoomList + 5)] = 3;
        image[static_cast<std::size_t>(info.RoomList + 6)] = 1;
        break;
    case Tweak::NoList:
        std::fill(image.begin() + info.RoomList, image.begin() + info.RoomData, std::uint8_t{255});
        break;
    }
    return image;
}

QImage Decoded(const QByteArray& png)
{
    return QImage::fromData(png, "PNG");
}

} // namespace

class TestPictures : public QObject, private WindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void composedAsTheBytesSay_data();
    void composedAsTheBytesSay();
    void menuItems();
    void menuExports_data();
    void menuExports();
    void menuExportRefusals_data();
    void menuExportRefusals();

private:
    void openAt(int stage, int room, const Bytes& bytes);
};

void TestPictures::init()
{
    SetUpWindow();
}

void TestPictures::cleanup()
{
    TearDownWindow();
}

void TestPictures::composedAsTheBytesSay_data()
{
    QTest::addColumn<bool>("shifted");
    QTest::addColumn<int>("stage"); // row
    QTest::addColumn<int>("room");  // -1: the stage map
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("tweak");
    QTest::newRow("room 0 of stage 1, scale 2") << false << 0 << 0 << 2 << int(Tweak::None);
    QTest::newRow("room 2 of stage 5, scale 1") << false << 4 << 2 << 1 << int(Tweak::None);
    QTest::newRow("room 1 of stage 9, shifted layout") << true << 8 << 1 << 2 << int(Tweak::None);
    QTest::newRow("room with bad palette bytes") << false << 2 << 1 << 2 << int(Tweak::BadPalette);
    QTest::newRow("stage map of stage 1, scale 2") << false << 0 << -1 << 2 << int(Tweak::None);
    QTest::newRow("stage map of stage 9, scale 1, shifted") << true << 8 << -1 << 1 << int(Tweak::None);
    QTest::newRow("stage map with bad palette bytes") << false << 3 << -1 << 1 << int(Tweak::BadPalette);
    QTest::newRow("stage map up to room 3 of the list") << false << 6 << -1 << 2 << int(Tweak::ShortList);
    QTest::newRow("stage map of an empty list: room 0") << false << 7 << -1 << 2 << int(Tweak::NoList);
}

void TestPictures::composedAsTheBytesSay()
{
    QFETCH(bool, shifted);
    QFETCH(int, stage);
    QFETCH(int, room);
    QFETCH(int, scale);
    QFETCH(int, tweak);
    const Bytes image = Tweaked(DemoBytes(shifted ? DemoLayout::Shifted : DemoLayout::Plain), stage,
                                static_cast<Tweak>(tweak));
    const StageTable stages = *StagesForLength(image.size());
    const StageSource source{image, stages, stage};

    const int last = LastListedRoom(image, stage);
    QCOMPARE(StageMapLastRoom(source), last);
    if (static_cast<Tweak>(tweak) == Tweak::ShortList)
        QCOMPARE(last, 3);
    RenderFaults faults;
    const QImage picture = room < 0 ? StageMapPicture(source, last, scale, faults)
                                    : RoomPicture(source, room, scale, faults);
    QCOMPARE(picture.format(), QImage::Format_Indexed8);
    const QImage expected = room < 0 ? ExpectedRooms(image, stage, 0, last, scale)
                                     : ExpectedRooms(image, stage, room, room, scale);
    QCOMPARE(PixelsDiffering(picture, expected), qint64{0});
    QCOMPARE(faults.badColourPixels > 0, static_cast<Tweak>(tweak) == Tweak::BadPalette);

    // The PNG holds every pixel.
    const auto png = EncodePng(picture);
    QVERIFY(png.has_value());
    QCOMPARE(PixelsDiffering(Decoded(*png), expected), qint64{0});
}

void TestPictures::openAt(int stage, int room, const Bytes& bytes)
{
    QVERIFY(window_->OpenFile(box_->write(QStringLiteral("game.nes"), bytes)));
    window_->mnuStageSelect(stage)->trigger();
    window_->hLevel_Frames()->setValue(room);
    QCOMPARE(window_->hLevel_Frames()->value(), room);
}

void TestPictures::menuItems()
{
    // In the File menu, usable once a stage shows a room.
    QCOMPARE(window_->mnuExportRoomImage()->objectName(), QStringLiteral("mnuExportRoomImage"));
    QCOMPARE(window_->mnuExportRoomImage()->text(), QStringLiteral("Export Room &Image..."));
    QCOMPARE(window_->mnuExportStageMap()->objectName(), QStringLiteral("mnuExportStageMap"));
    QCOMPARE(window_->mnuExportStageMap()->text(), QStringLiteral("Export Stage &Map..."));
    QVERIFY(window_->menuFile()->actions().contains(window_->mnuExportRoomImage()));
    QVERIFY(window_->menuFile()->actions().contains(window_->mnuExportStageMap()));
    QVERIFY(!window_->mnuExportRoomImage()->isEnabled());
    QVERIFY(window_->OpenFile(box_->demoImage(QStringLiteral("game.nes"))));
    QVERIFY(!window_->mnuExportStageMap()->isEnabled());
    window_->mnuStageSelect(0)->trigger();
    QVERIFY(window_->mnuExportRoomImage()->isEnabled());
    QVERIFY(window_->mnuExportStageMap()->isEnabled());
}

void TestPictures::menuExports_data()
{
    QTest::addColumn<bool>("wholeStage");
    QTest::addColumn<int>("scale"); // kept in Preferences; 0: never set
    QTest::addColumn<bool>("edited");
    QTest::newRow("room at the default scale") << false << 0 << false;
    QTest::newRow("room at scale 1") << false << 1 << false;
    QTest::newRow("room with unsaved edits") << false << 2 << true;
    QTest::newRow("stage map at scale 1") << true << 1 << false;
    QTest::newRow("stage map with unsaved edits") << true << 2 << true;
}

void TestPictures::menuExports()
{
    QFETCH(bool, wholeStage);
    QFETCH(int, scale);
    QFETCH(bool, edited);
    if (scale != 0) {
        Preferences preferences = Preferences::Load();
        preferences.exportScale = scale;
        preferences.Save();
    }
    const int stage = 2;
    const int room = 1;
    const Bytes opened = DemoBytes();
    openAt(stage, room, opened);
    if (edited) {
        // A cell of the room shown, changed and not saved: the picture shows it.
        const StageInfo info = (*StagesForLength(opened.size()))[stage];
        QVERIFY(RomImage.write(info.RoomData + room * 192 + 17, static_cast<std::uint8_t>(opened[info.RoomData + room * 192 + 17] + 5)));
    }
    const Bytes now(RomImage.bytes().begin(), RomImage.bytes().end());

    const QString out = box_->path(QStringLiteral("picture.png"));
    answerer_.expect(ChooseFile(out));
    (wholeStage ? window_->mnuExportStageMap() : window_->mnuExportRoomImage())->trigger();
    QCOMPARE(answerer_.pending(), 0);
    const int used = scale == 0 ? 2 : scale;
    const QImage expected = wholeStage ? ExpectedRooms(now, stage, 0, LastListedRoom(now, stage), used)
                                       : ExpectedRooms(now, stage, room, room, used);
    QCOMPARE(PixelsDiffering(QImage(out, "PNG"), expected), qint64{0});
    if (edited)
        QVERIFY(PixelsDiffering(QImage(out, "PNG"), wholeStage ? ExpectedRooms(opened, stage, 0, LastListedRoom(now, stage), used)
                                                                : ExpectedRooms(opened, stage, room, room, used)) > 0);
    // The image on disk is left alone.
    QVERIFY(ReadFileBytes(box_->path(QStringLiteral("game.nes"))) == opened);
}

void TestPictures::menuExportRefusals_data()
{
    QTest::addColumn<QString>("target");   // file name in the sandbox
    QTest::addColumn<int>("answer");       // to the replace question; 0: none asked
    QTest::addColumn<QString>("message");  // part of the message shown; empty: none
    QTest::addColumn<bool>("written");
    QTest::newRow("over the open image") << "game.nes" << 0 << "It is the open image" << false;
    QTest::newRow("over the clean original") << "clean.nes" << 0 << "It is the clean original" << false;
    // "link-X.png" is made as a hard link of X.nes: that file under another name.
    QTest::newRow("over a hard link of the open image") << "link-game.png" << 0 << "It is the open image" << false;
    QTest::newRow("over a hard link of the clean original") << "link-clean.png" << 0 << "It is the clean original"
                                                            << false;
    QTest::newRow("existing picture, replace declined") << "old.png" << int(QMessageBox::No) << "" << false;
    QTest::newRow("existing picture, replaced") << "old.png" << int(QMessageBox::Yes) << "" << true;
    QTest::newRow("a read-only picture, replace agreed") << "locked.png" << int(QMessageBox::Yes)
                                                         << "Could not write the picture" << false;
}

void TestPictures::menuExportRefusals()
{
    QFETCH(QString, target);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(bool, written);
    const Bytes image = DemoBytes();
    box_->write(QStringLiteral("clean.nes"), image);
    box_->write(QStringLiteral("old.png"), QByteArray("not a picture"));
    const QString locked = box_->write(QStringLiteral("locked.png"), QByteArray("kept"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    Preferences preferences = Preferences::Load();
    preferences.cleanOriginal = box_->path(QStringLiteral("clean.nes"));
    preferences.Save();
    openAt(0, 0, image);
    const bool link = target.startsWith(QStringLiteral("link-"));
    QString whyNot;
    if (link && !MakeHardLink(box_->path(target.mid(5).replace(QStringLiteral(".png"), QStringLiteral(".nes"))),
                              box_->path(target), &whyNot))
        QSKIP(qPrintable(QStringLiteral("cannot make a hard link here: ") + whyNot));
    const Bytes before = ReadFileBytes(box_->path(target));

    answerer_.expect(ChooseFile(box_->path(target)));
    if (answer != 0)
        answerer_.expect(PressStandard(answer));
    if (answer == QMessageBox::No)
        answerer_.expect(CancelDialog()); // the chooser again, given up
    if (!message.isEmpty())
        answerer_.expect(PressStandard(QMessageBox::Ok));
    window_->mnuExportRoomImage()->trigger();
    QTRY_COMPARE(answerer_.pending(), 0);
    if (!message.isEmpty())
        QVERIFY2(answerer_.seen().join(QLatin1Char('\n')).contains(message), qPrintable(answerer_.seen().join('\n')));
    const QString path = box_->path(target);
    // A written file is named in the status bar with its size.
    QCOMPARE(QRegularExpression(QStringLiteral("^Wrote old\\.png \\(\\d+ (bytes|KB)\\)$"))
                 .match(window_->StatusNote()->text())
                 .hasMatch(),
             written);
    if (written) {
        QCOMPARE(PixelsDiffering(QImage(path, "PNG"), ExpectedRooms(image, 0, 0, 0, 2)), qint64{0});
    } else if (QFileInfo(path).isFile()) {
        QVERIFY(ReadFileBytes(path) == before);
    }
    QVERIFY(ReadFileBytes(box_->path(QStringLiteral("game.nes"))) == image);
    QVERIFY(ReadFileBytes(box_->path(QStringLiteral("clean.nes"))) == image);
    // Nothing else appeared.
    QCOMPARE(QDir(box_->path(QString())).entryList(QDir::Files | QDir::Hidden).size(), qsizetype{link ? 5 : 4});
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
