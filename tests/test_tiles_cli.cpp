// The command-line forms --export-tiles and --import-tiles, run as a script
// would run them: the program itself, without a display. Tiles are checked
// through the reference renderer's tile decoding.

#include "support/ProgramRun.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// The values of a stage's 256 tiles, tile by tile.
std::vector<int> StageValues(const ImageData& image, int stage)
{
    std::vector<int> values;
    for (int t = 0; t < 256; ++t)
        for (const int v : TileValues(image, stage, t))
            values.push_back(v);
    return values;
}

QByteArray Chr(const ImageData& image, int stage)
{
    QByteArray bytes;
    for (int t = 0; t < 256; ++t)
        for (int i = 0; i < 16; ++i)
            bytes.append(static_cast<char>(ByteAt(image, TileStart(image, stage, t) + i)));
    return bytes;
}

// An indexed picture of the stage's tiles in colours of no stage.
QImage Indexed(const ImageData& image, int stage)
{
    QImage picture(128, 128, QImage::Format_Indexed8);
    picture.setColorTable({0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u});
    const std::vector<int> values = StageValues(image, stage);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            picture.setPixel(x, y, static_cast<uint>(values[static_cast<std::size_t>((y / 8 * 16 + x / 8) * 64 +
                                                                                   y % 8 * 8 + x % 8)]));
    return picture;
}

} // namespace

class TestTilesCli : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
};

void TestTilesCli::commands_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // part of stdout on success (empty: nothing), of the one stderr line otherwise
    QTest::addColumn<int>("stage");    // on success: the stage row exported or imported into
    QTest::addColumn<int>("palette");  // an export's palette; an import's source row: 8 for stage9.*, else 2

    QTest::newRow("export png, palette 1") << "--export-tiles 3 --palette 1 game.nes out.png" << 0 << "" << 2 << 1;
    QTest::newRow("export chr, --palette=3 at the end") << "--export-tiles 9 game.nes out.CHR --palette=3" << 0 << "" << 8
                                                        << 3;
    QTest::newRow("import into stage 3 changes the shared set")
        << "--import-tiles 3 game.nes stage9.png out.nes" << 0 << "Tiles 80-FF are shared by stages 1 to 8" << 2 << 8;
    QTest::newRow("import chr into stage 9") << "--import-tiles 9 --palette 2 game.nes stage3.chr out.nes" << 0 << ""
                                             << 8 << 2;
    QTest::newRow("import of the tiles there") << "--import-tiles 9 game.nes stage9.png out.nes" << 0 << "" << 8 << 8;
    QTest::newRow("import of a PNG of the palette's colours") << "--import-tiles 3 --palette 1 game.nes colours.png out.nes"
                                                              << 0 << "" << 2 << 2;

    QTest::newRow("stage 0") << "--export-tiles 0 game.nes out.png" << 2 << "STAGE \"0\" is not a stage" << 0 << 0;
    QTest::newRow("palette 4") << "--export-tiles 1 --palette 4 game.nes out.png" << 2 << "is not 0, 1, 2 or 3" << 0 << 0;
    QTest::newRow("palette given twice") << "--export-tiles 1 --palette 1 --palette=1 game.nes out.png" << 2
                                         << "--palette is given twice" << 0 << 0;
    QTest::newRow("unknown option") << "--import-tiles 1 --scale 2 game.nes stage9.png out.nes" << 2
                                    << "unknown option \"--scale\"" << 0 << 0;
    QTest::newRow("too few arguments") << "--import-tiles 1 game.nes out.nes" << 2 << "4 arguments besides --palette"
                                       << 0 << 0;
    QTest::newRow("OUT neither png nor chr") << "--export-tiles 1 game.nes out.bmp" << 2
                                             << "OUT \"out.bmp\" must end in .png or .chr" << 0 << 0;
    QTest::newRow("TILES neither png nor chr") << "--import-tiles 1 game.nes game.nes out.nes" << 2
                                               << "TILES \"game.nes\" must end in .png or .chr" << 0 << 0;
    QTest::newRow("export over IMAGE") << "--export-tiles 1 game.nes game.png" << 2 << "same file as IMAGE" << 0 << 0;
    QTest::newRow("import over IMAGE") << "--import-tiles 1 game.nes stage9.png game.png" << 2 << "same file as IMAGE"
                                       << 0 << 0;
    QTest::newRow("import over TILES") << "--import-tiles 1 game.nes stage3.chr stage3.chr" << 2
                                       << "same file as TILES" << 0 << 0;
    QTest::newRow("TILES of a colour not in the palette") << "--import-tiles 3 game.nes odd.png out.nes" << 1
                                                          << "x 17, y 40: #A1B2C3 is not one of the palette's colours"
                                                          << 0 << 0;
    QTest::newRow("TILES chr of 4,097 bytes, not read") << "--import-tiles 3 game.nes long.chr out.nes" << 1
                                                        << "it has 4,097 bytes" << 0 << 0;
    QTest::newRow("missing TILES") << "--import-tiles 3 game.nes none.chr out.nes" << 1 << "cannot read TILES" << 0
                                   << 0;
    QTest::newRow("image of a refused length") << "--export-tiles 3 short.nes out.chr" << 1 << "Invalid ROM Size" << 0
                                               << 0;
    QTest::newRow("read-only OUT") << "--export-tiles 3 game.nes locked.png" << 1 << "cannot write OUT" << 0 << 0;
}

void TestTilesCli::commands()
{
    QFETCH(QString, line);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(int, stage);
    QFETCH(int, palette);

    Sandbox box;
    const ImageData image = DemoBytes();
    box.write(QStringLiteral("game.nes"), image);
    box.write(QStringLiteral("short.nes"), ImageData(1000, 0));
    box.write(QStringLiteral("stage3.chr"), Chr(image, 2));
    box.write(QStringLiteral("long.chr"), QByteArray(4097, 0));
    Indexed(image, 8).save(box.path(QStringLiteral("stage9.png")));
    QImage odd(128, 128, QImage::Format_RGB32);
    odd.fill(ColourOfNumber(ByteAt(image, StageRow(image, 2).Palettes)));
    odd.setPixel(17, 40, 0xA1B2C3);
    odd.save(box.path(QStringLiteral("odd.png")));
    ReferenceTileSheet(image, 2, 1, 1).save(box.path(QStringLiteral("colours.png")));
    const QString locked = box.write(QStringLiteral("locked.png"), QByteArray("kept"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::link(box.path(QStringLiteral("game.nes")), box.path(QStringLiteral("game.png"))));
    const QDir folder(box.path(QString()));
    const auto listing = [&] {
        QStringList entries;
        const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        for (const QFileInfo& entry : folder.entryInfoList(filter))
            entries << QStringLiteral("%1 %2").arg(entry.fileName()).arg(entry.isSymLink() ? -1 : entry.size());
        return entries;
    };
    const QStringList before = listing();

    QStringList arguments = line.split(QLatin1Char(' '));
    const ProgramRun run = RunWithoutDisplay(QStringLiteral(QUORVAN_EXECUTABLE), box.path(QString()), arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(ReadFileBytes(box.path(QStringLiteral("game.nes"))) == image);
    if (exitCode != 0) {
        // One line naming the program and the problem; nothing written, no file left over.
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QVERIFY2(run.err.startsWith(QStringLiteral("quorvan: ")) && run.err.count(QLatin1Char('\n')) == 1 &&
                     run.err.contains(said),
                 qPrintable(run.err));
        QCOMPARE(listing(), before);
        return;
    }
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY2(said.isEmpty() ? run.out.isEmpty() : run.out.contains(said) && run.out.count(QLatin1Char('\n')) == 1,
             qPrintable(run.out));
    arguments.removeAll(QStringLiteral("--palette=3"));
    const QString out = box.path(arguments.last());
    if (line.startsWith(QLatin1String("--export-tiles")) && out.endsWith(QLatin1String(".png"))) {
        // Indexed, with the palette's four colours: a PNG reads back with as many as its palette has.
        const QImage picture(out, "PNG");
        QCOMPARE(picture.format(), QImage::Format_Indexed8);
        QCOMPARE(picture.colorCount(), 4);
        for (int v = 0; v < 4; ++v)
            QCOMPARE(picture.color(v) & 0xFFFFFFu,
                     ColourOfNumber(ByteAt(image, StageRow(image, stage).Palettes + 4 * palette + v)));
        QCOMPARE(PixelsDiffering(picture, ReferenceTileSheet(image, stage, palette, 1)), qint64{0});
    } else if (line.startsWith(QLatin1String("--export-tiles"))) {
        const ImageData written = ReadFileBytes(out);
        QVERIFY(QByteArray(reinterpret_cast<const char*>(written.data()), static_cast<qsizetype>(written.size())) ==
                Chr(image, stage));
    } else {
        // The stage shows the source's tiles; no byte outside the tiles it draws changed.
        const ImageData written = ReadFileBytes(out);
        QVERIFY(StageValues(written, stage) == StageValues(image, palette));
        for (std::size_t i = 0; i < image.size(); ++i) {
            if (written[i] == image[i])
                continue;
            bool inTile = false;
            for (int t = 0; t < 256 && !inTile; ++t)
                inTile = static_cast<std::int64_t>(i) - TileStart(image, stage, t) < 16 &&
                         static_cast<std::int64_t>(i) >= TileStart(image, stage, t);
            QVERIFY2(inTile, qPrintable(QString::number(i, 16)));
        }
    }
}

QTEST_MAIN(TestTilesCli)
#include "test_tiles_cli.moc"
