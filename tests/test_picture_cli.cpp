// The command-line forms --export-room and --export-stage, run as a script
// would run them: the program itself, without a display. The pictures are
// checked against a composition written here from the image bytes.

#include "support/FaultInjection.h"
#include "support/ReferenceRenderer.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

class TestPictureCli : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
};

void TestPictureCli::commands_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // part of the one line on stderr; empty on success
    // On success: the stage row, the room (-1: the map) and the scale the picture shows.
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("shifted");

    QTest::newRow("room, default scale") << "--export-room 1 2 game.nes out.png" << 0 << "" << 0 << 2 << 2 << false;
    QTest::newRow("room in hex, scale 1") << "--export-room 3 0x1 --scale 1 game.nes out.png" << 0 << "" << 2 << 1 << 1
                                          << false;
    QTest::newRow("room, --scale=2 at the end") << "--export-room 9 0X00 game.nes out.PNG --scale=2" << 0 << "" << 8 << 0
                                                << 2 << false;
    QTest::newRow("stage map, scale 1") << "--export-stage 2 --scale 1 game.nes out.png" << 0 << "" << 1 << -1 << 1
                                        << false;
    QTest::newRow("stage map, shifted layout") << "--export-stage 9 shifted.nes out.png" << 0 << "" << 8 << -1 << 2
                                               << true;
    QTest::newRow("over an existing picture") << "--export-stage 1 game.nes old.png" << 0 << "" << 0 << -1 << 2 << false;

    QTest::newRow("stage 0") << "--export-stage 0 game.nes out.png" << 2 << "STAGE \"0\" is not a stage" << 0 << 0 << 0
                             << false;
    QTest::newRow("room not a number") << "--export-room 1 0x game.nes out.png" << 2 << "ROOM \"0x\" is not a room"
                                       << 0 << 0 << 0 << false;
    QTest::newRow("room past the list") << "--export-room 1 0xFF game.nes out.png" << 2 << "past the last room of stage 1"
                                        << 0 << 0 << 0 << false;
    QTest::newRow("scale 3") << "--export-stage 1 --scale 3 game.nes out.png" << 2 << "is not 1 or 2" << 0 << 0 << 0
                             << false;
    QTest::newRow("too few arguments") << "--export-room 1 game.nes out.png" << 2 << "4 arguments besides --scale" << 0
                                       << 0 << 0 << false;
    QTest::newRow("not a .png") << "--export-stage 1 game.nes out.nes" << 2 << "must end in .png" << 0 << 0 << 0
                                << false;
    QTest::newRow("output is the image") << "--export-stage 1 game.nes game.png" << 2 << "same file as IMAGE" << 0 << 0
                                         << 0 << false;
    QTest::newRow("output a hard link of the image") << "--export-room 1 0 game.nes hard.png" << 2
                                                     << "same file as IMAGE" << 0 << 0 << 0 << false;
    QTest::newRow("image of a refused length") << "--export-stage 1 short.nes out.png" << 1 << "Invalid ROM Size" << 0
                                               << 0 << 0 << false;
    QTest::newRow("missing image") << "--export-room 1 0 none.nes out.png" << 1 << "cannot read IMAGE" << 0 << 0 << 0
                                   << false;
    QTest::newRow("output in a missing folder") << "--export-stage 1 game.nes nofolder/out.png" << 1
                                                << "cannot write OUT" << 0 << 0 << 0 << false;
    QTest::newRow("read-only output") << "--export-room 1 0 game.nes locked.png" << 1 << "cannot write OUT" << 0 << 0
                                      << 0 << false;
}

void TestPictureCli::commands()
{
    QFETCH(QString, line);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(int, stage);
    QFETCH(int, room);
    QFETCH(int, scale);
    QFETCH(bool, shifted);

    Sandbox box;
    const std::vector<std::uint8_t> image = DemoBytes();
    box.write(QStringLiteral("game.nes"), image);
    box.write(QStringLiteral("shifted.nes"), DemoBytes(DemoLayout::Shifted));
    box.write(QStringLiteral("short.nes"), std::vector<std::uint8_t>(1000, 0));
    box.write(QStringLiteral("old.png"), QByteArray("an old picture"));
    const QString locked = box.write(QStringLiteral("locked.png"), QByteArray("kept"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    // The image under a second name, so that OUT can name it.
    QVERIFY(QFile::link(box.path(QStringLiteral("game.nes")), box.path(QStringLiteral("game.png"))));
    // ...and under a third, another hard link of the same file.
    QString whyNot;
    if (!MakeHardLink(box.path(QStringLiteral("game.nes")), box.path(QStringLiteral("hard.png")), &whyNot) &&
        line.contains(QStringLiteral("hard.png")))
        QSKIP(qPrintable(QStringLiteral("cannot make a hard link here: ") + whyNot));
    const QDir folder(box.path(QString()));
    const auto listing = [&] {
        QStringList entries;
        for (const QFileInfo& entry : folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
            entries << QStringLiteral("%1 %2").arg(entry.fileName()).arg(entry.isSymLink() ? -1 : entry.size());
        return entries;
    };
    const QStringList before = listing();

    const QStringList arguments = line.split(QLatin1Char(' '));
    const ProgramRun run = RunWithoutDisplay(QStringLiteral(QUORVAN_EXECUTABLE), box.path(QString()), arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
    QVERIFY(ReadFileBytes(box.path(QStringLiteral("game.nes"))) == image);
    if (exitCode != 0) {
        // One line naming the program and the problem; nothing written, no file left over.
        QVERIFY2(run.err.startsWith(QStringLiteral("quorvan: ")) && run.err.count(QLatin1Char('\n')) == 1 &&
                     run.err.endsWith(QLatin1Char('\n')) && run.err.contains(message),
                 qPrintable(run.err));
        QCOMPARE(listing(), before);
        return;
    }
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QString out;
    for (const QString& argument : arguments)
        if (argument.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) || argument.endsWith(QLatin1String(".PNG")))
            out = argument;
    const std::vector<std::uint8_t> source = shifted ? DemoBytes(DemoLayout::Shifted) : image;
    const QImage expected = room < 0 ? ExpectedRooms(source, stage, 0, LastListedRoom(source, stage), scale)
                                     : ExpectedRooms(source, stage, room, room, scale);
    QCOMPARE(PixelsDiffering(QImage(box.path(out), "PNG"), expected), qint64{0});
}

QTEST_MAIN(TestPictureCli)
#include "test_picture_cli.moc"
