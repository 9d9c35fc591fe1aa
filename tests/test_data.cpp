// The data model: stage offsets by layout, loading and saving, the write function
// and the demo images.

#include "demo/DemoImage.h"
#include "data/RomFile.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

#include <set>
#include <tuple>

using namespace quorvan;
using namespace quorvan::test;

class TestData : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetGlobals(); }

    void baseTableRows();
    void offsetsInEffect_data();
    void offsetsInEffect();
    void loadByLength_data();
    void loadByLength();
    void loadUnreadable();
    void saveWritesExactlyTheImage();
    void saveFailureKeepsOldFile();
    void writeFunction();
    void demoImageContent_data();
    void demoImageContent();
};

void TestData::baseTableRows()
{
    InitStages();
    // Rows 1..8 follow the bank rule; TileData does not.
    for (int row = 1; row <= 8; ++row) {
        const StageInfo& s = Stages[static_cast<std::size_t>(row)];
        const std::int32_t bank = row * 0x2000;
        QCOMPARE(s.RoomData, bank + 0x58);
        QCOMPARE(s.BlockTiles, bank + 0x16D8);
        QCOMPARE(s.BlockAttributes, bank + 0x1AD8);
        QCOMPARE(s.AttributesEnd, bank + 0x1BD8);
        QCOMPARE(s.AuxOffset, s.BlockTiles + 0x33C);
        QCOMPARE(s.Palettes, bank + 0x10);
        QCOMPARE(s.PalettesEnd, bank + 0x20);
        QCOMPARE(s.RoomList, bank + 0x30);
        QCOMPARE(s.Spare, (std::array<std::int32_t, 4>{}));
    }
    QCOMPARE(Stages[7].TileData, 0x2D010);
    QCOMPARE(Stages[8].TileData, 0x2E010);
    QCOMPARE(Stages[0].TileData, 0x29010);
    QCOMPARE(Stages[9].RoomData, 0x0DD8);
    QCOMPARE(Stages[9].TileData, 0x28010);
    QCOMPARE(Stages[9].BlockTiles, Stages[0].BlockTiles);
    QCOMPARE(Stages[10], StageInfo{});
}

void TestData::offsetsInEffect_data()
{
    QTest::addColumn<qulonglong>("length");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("roomData");
    QTest::addColumn<int>("tileData");
    QTest::addColumn<int>("attributesEnd");
    QTest::newRow("plain row 0") << qulonglong(0x40090) << 0 << 0x58 << 0x29010 << 0x1BD8;
    QTest::newRow("plain row 1") << qulonglong(0x40090) << 1 << 0x2058 << 0x2A010 << 0x3BD8;
    QTest::newRow("shifted row 0") << qulonglong(0x30210) << 0 << 0x258 << 0x29210 << 0x1BD8;
    QTest::newRow("shifted row 1") << qulonglong(0x30210) << 1 << 0x2258 << 0x2A210 << 0x3BD8;
    QTest::newRow("shifted row 10") << qulonglong(0x30210) << 10 << 0x200 << 0x200 << 0;
}

void TestData::offsetsInEffect()
{
    QFETCH(qulonglong, length);
    QFETCH(int, row);
    QFETCH(int, roomData);
    QFETCH(int, tileData);
    QFETCH(int, attributesEnd);
    const auto table = StagesForLength(length);
    QVERIFY(table.has_value());
    const StageInfo& s = (*table)[static_cast<std::size_t>(row)];
    QCOMPARE(s.RoomData, roomData);
    QCOMPARE(s.TileData, tileData);
    // Fields that no operation reads keep their base values in both layouts.
    QCOMPARE(s.AttributesEnd, attributesEnd);
    QCOMPARE(s.Spare, (std::array<std::int32_t, 4>{}));
}

void TestData::loadByLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0x40090") << 0x40090 << true;
    QTest::newRow("0x30210") << 0x30210 << true;
    QTest::newRow("0x40091") << 0x40091 << false;
    QTest::newRow("0x4008F") << 0x4008F << false;
    QTest::newRow("0x30211") << 0x30211 << false;
    QTest::newRow("0x3020F") << 0x3020F << false;
    QTest::newRow("empty") << 0 << false;
    QTest::newRow("much larger") << 0x100000 << false;
}

void TestData::loadByLength()
{
    QFETCH(int, length);
    QFETCH(bool, accepted);
    Sandbox box;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const LoadResult result = LoadRomFile(box.write(QStringLiteral("image.nes"), bytes));
    QCOMPARE(result.ok(), accepted);
    if (accepted) {
        QVERIFY(result.bytes == bytes);
        QCOMPARE(result.stages, *StagesForLength(bytes.size()));
    } else {
        QCOMPARE(result.status, LoadResult::Status::BadSize);
    }
}

void TestData::loadUnreadable()
{
    Sandbox box;
    const LoadResult missing = LoadRomFile(box.path(QStringLiteral("missing.nes")));
    QCOMPARE(missing.status, LoadResult::Status::ReadFailed);
    QVERIFY(!missing.error.isEmpty());
    const LoadResult folder = LoadRomFile(box.path(QString()));
    QCOMPARE(folder.status, LoadResult::Status::ReadFailed);
    QVERIFY(!folder.error.isEmpty());
}

void TestData::saveWritesExactlyTheImage()
{
    Sandbox box;
    // Writing over a longer file leaves exactly the image's bytes.
    const QString path = box.write(QStringLiteral("long.nes"), std::vector<std::uint8_t>(0x50000, 0xAA));
    const auto image = DemoBytes(DemoLayout::Shifted, 3);
    QVERIFY(!SaveRomFile(path, image).has_value());
    QVERIFY(ReadFileBytes(path) == image);
}

void TestData::saveFailureKeepsOldFile()
{
    Sandbox box;
    const auto old = DemoBytes(DemoLayout::Plain, 4);
    const QString path = box.write(QStringLiteral("keep.nes"), old);
    // A folder as target, and a target in a folder that does not exist.
    QVERIFY(SaveRomFile(box.path(QString()), old).has_value());
    QVERIFY(SaveRomFile(box.path(QStringLiteral("no/such/folder/x.nes")), old).has_value());
    QVERIFY(ReadFileBytes(path) == old);
}

void TestData::writeFunction()
{
    RomImage.replace(std::vector<std::uint8_t>(16, 0));
    std::vector<std::tuple<std::int64_t, int, int>> writes;
    int modifiedChanges = 0;
    RomImage.addWriteObserver([&](std::int64_t o, std::uint8_t b, std::uint8_t a) { writes.emplace_back(o, b, a); });
    RomImage.addModifiedObserver([&](bool) { ++modifiedChanges; });

    QVERIFY(!RomImage.write(-1, 1));
    QVERIFY(!RomImage.write(16, 1));
    QVERIFY(!RomImage.modified());
    QVERIFY(RomImage.write(3, 0)); // the value already there: no edit
    QVERIFY(!RomImage.modified());
    QVERIFY(writes.empty());
    QVERIFY(RomImage.write(15, 0x7F));
    QVERIFY(RomImage.modified());
    QCOMPARE(RomImage[15], std::uint8_t{0x7F});
    QCOMPARE(writes.size(), std::size_t{1});
    QCOMPARE(std::get<0>(writes[0]), std::int64_t{15});
    QCOMPARE(RomImage.at(16), std::uint8_t{0}); // outside reads as 0
    RomImage.markSaved();
    QVERIFY(!RomImage.modified());
    QCOMPARE(modifiedChanges, 2);
}

void TestData::demoImageContent_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("plain") << int(DemoLayout::Plain);
    QTest::newRow("shifted") << int(DemoLayout::Shifted);
}

void TestData::demoImageContent()
{
    QFETCH(int, layout);
    DemoOptions options;
    options.layout = static_cast<DemoLayout>(layout);
    options.seed = 11;
    const auto image = GenerateDemoImage(options);
    QVERIFY(image == GenerateDemoImage(options)); // deterministic
    const auto stages = StagesForLength(image.size());
    QVERIFY(stages.has_value());
    for (int row = 0; row < 9; ++row) {
        const StageInfo& s = (*stages)[static_cast<std::size_t>(row)];
        std::set<std::array<std::uint8_t, 5>> blocks;
        for (int b = 0; b < 256; ++b) {
            std::array<std::uint8_t, 5> key{};
            for (int k = 0; k < 4; ++k)
                key[static_cast<std::size_t>(k)] = image[static_cast<std::size_t>(s.BlockTiles + 4 * b + k)];
            key[4] = image[static_cast<std::size_t>(s.BlockAttributes + b)];
            blocks.insert(key);
        }
        QCOMPARE(blocks.size(), std::size_t{256});
        std::set<std::uint8_t> colours;
        for (int i = 0; i < 16; ++i) {
            const std::uint8_t c = image[static_cast<std::size_t>(s.Palettes + i)];
            QVERIFY(c < 64);
            colours.insert(c);
        }
        QCOMPARE(colours.size(), std::size_t{16});
        int maxRoom = -1;
        for (std::int32_t i = s.RoomList; i < s.RoomData; ++i)
            if (image[static_cast<std::size_t>(i)] != 255)
                maxRoom = std::max<int>(maxRoom, image[static_cast<std::size_t>(i)]);
        QCOMPARE(maxRoom, DemoMaxRoom(options.seed, row));
        QVERIFY(maxRoom >= 2);
        std::set<std::uint8_t> used(image.begin() + s.RoomData, image.begin() + s.RoomData + kRoomBytes);
        QVERIFY(used.size() > 50);
    }
}

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
