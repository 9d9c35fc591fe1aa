// BPS patches: what the program writes, read back by a decoder of our own, and
// hand-made patches, sound and broken, applied by the program's reader.

#include "data/BpsPatch.h"
#include "support/PatchDecoders.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Status = PatchResult::Status;
constexpr std::size_t kMax = 0x40090;
enum Kind { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

Bytes Noise(std::size_t length, quint32 seed)
{
    QRandomGenerator random(seed);
    Bytes bytes(length);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random.bounded(256));
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

Q_DECLARE_METATYPE(Status)

class TestBps : public QObject {
    Q_OBJECT
private slots:
    void writtenPatchDecodes_data();
    void writtenPatchDecodes();
    void crcIsTheCommonOne();
    void handMadePatches_data();
    void handMadePatches();
    void truncatedAtEveryLength();
};

void TestBps::writtenPatchDecodes_data()
{
    QTest::addColumn<Bytes>("source");
    QTest::addColumn<Bytes>("target");
    QTest::addColumn<QList<int>>("kindsUsed"); // action kinds the patch must use
    QTest::addColumn<int>("maxSize");          // the patch is at most this long

    const Bytes demo = DemoBytes();
    const Bytes noise = Noise(4096, 3);
    Bytes scattered = demo;
    QRandomGenerator random(9);
    for (int e = 0; e < 200; ++e)
        scattered[random.bounded(static_cast<quint32>(demo.size()))] ^= 0x5A;
    Bytes run = noise;
    std::fill(run.begin() + 1000, run.begin() + 3000, std::uint8_t{0xEE});
    Bytes runAfterSameByte = noise;
    std::fill(runAfterSameByte.begin() + 100, runAfterSameByte.begin() + 200, runAfterSameByte[99]);
    const Bytes moved = Concat({Bytes(noise.begin() + 512, noise.end()), Bytes(noise.begin(), noise.begin() + 512)});

    QTest::newRow("no change") << demo << demo << QList<int>{SourceRead} << 26;
    QTest::newRow("first byte") << demo << [&] { Bytes b = demo; b[0] ^= 1; return b; }()
                                << QList<int>{SourceRead, TargetRead} << 40;
    QTest::newRow("last byte") << demo << [&] { Bytes b = demo; b.back() ^= 1; return b; }()
                               << QList<int>{SourceRead, TargetRead} << 40;
    QTest::newRow("scattered edits of the demo image") << demo << scattered << QList<int>{SourceRead, TargetRead} << 2000;
    QTest::newRow("a run is copied on at distance 1") << noise << run << QList<int>{SourceRead, TargetRead, TargetCopy} << 60;
    QTest::newRow("a run after its own value") << noise << runAfterSameByte << QList<int>{SourceRead, TargetCopy} << 60;
    QTest::newRow("data moved is copied from the source") << noise << moved << QList<int>{SourceCopy} << 60;
    QTest::newRow("plain layout to shifted") << demo << DemoBytes(DemoLayout::Shifted) << QList<int>{} << 0x30210;
    QTest::newRow("shifted layout to plain") << DemoBytes(DemoLayout::Shifted) << demo << QList<int>{} << 0x40090;
    QTest::newRow("empty source") << Bytes{} << noise << QList<int>{TargetRead} << 4200;
    QTest::newRow("empty target") << noise << Bytes{} << QList<int>{} << 26;
    QTest::newRow("unrelated noise") << noise << Noise(4096, 4) << QList<int>{TargetRead} << 4200;
}

void TestBps::writtenPatchDecodes()
{
    QFETCH(Bytes, source);
    QFETCH(Bytes, target);
    QFETCH(QList<int>, kindsUsed);
    QFETCH(int, maxSize);
    const Bytes patch = BuildBpsPatch(source, target);
    const DecodedPatch decoded = DecodeBps(source, patch);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QVERIFY(decoded.image == target);
    for (const int kind : kindsUsed)
        QVERIFY2(decoded.actions[static_cast<std::size_t>(kind)] > 0, qPrintable(QString::number(kind)));
    QVERIFY2(patch.size() <= static_cast<std::size_t>(maxSize), qPrintable(QString::number(patch.size())));
    // The program's own reader agrees.
    const PatchResult applied = ApplyBpsPatch(source, patch, kMax);
    QVERIFY2(applied.ok(), qPrintable(applied.message));
    QVERIFY(applied.bytes == target);
}

void TestBps::crcIsTheCommonOne()
{
    const Bytes text{'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    QCOMPARE(Crc32(text), 0xCBF43926u); // the published check value
    const Bytes demo = DemoBytes();
    QCOMPARE(Crc32(demo), TestCrc32(demo));
}

void TestBps::handMadePatches_data()
{
    QTest::addColumn<Bytes>("source");
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<Status>("status");
    QTest::addColumn<Bytes>("result"); // when Ok

    const Bytes src{10, 11, 12, 13, 14, 15, 16, 17};
    const std::uint32_t crc = TestCrc32(src);
    // Every kind: 10 11 | A B | 15 16 17 (source copy forward) | 13 14 (backward) | 14 14 14 (a run)
    const Bytes all{10, 11, 'A', 'B', 15, 16, 17, 13, 14, 14, 14, 14};
    const auto allKinds = [&](BpsWriter w) {
        return w.Action(SourceRead, 2).Action(TargetRead, 2).Data({'A', 'B'}).Action(SourceCopy, 3).Move(5)
            .Action(SourceCopy, 2).Move(-5).Action(TargetCopy, 3).Move(8);
    };
    const Bytes good = allKinds(BpsWriter(8, 12)).Finish(crc, TestCrc32(all));
    QTest::newRow("all four kinds") << src << good << Status::Ok << all;
    QTest::newRow("metadata skipped") << src << allKinds(BpsWriter(8, 12, {'<', 'x', '>'})).Finish(crc, TestCrc32(all))
                                      << Status::Ok << all;
    const Bytes shorter{10, 11, 12};
    QTest::newRow("a shorter target") << src << BpsWriter(8, 3).Action(SourceRead, 3).Finish(crc, TestCrc32(shorter))
                                      << Status::Ok << shorter;

    Bytes flipped = good;
    flipped[6] ^= 1;
    QTest::newRow("patch checksum fails") << src << flipped << Status::ChecksumFailed << Bytes{};
    QTest::newRow("target checksum fails") << src << allKinds(BpsWriter(8, 12)).Finish(crc, TestCrc32(all) ^ 1)
                                           << Status::ChecksumFailed << Bytes{};
    QTest::newRow("source checksum differs") << src << allKinds(BpsWriter(8, 12)).Finish(crc ^ 1, TestCrc32(all))
                                             << Status::WrongSource << Bytes{};
    QTest::newRow("source length differs") << Bytes(src.begin(), src.end() - 1) << good << Status::WrongSource << Bytes{};
    QTest::newRow("not a BPS file") << src << Bytes{'B', 'P', 'S', '2', 0x80, 0x80, 0x80} << Status::NotAPatch << Bytes{};
    QTest::newRow("target longer than accepted") << src << BpsWriter(8, kMax + 1).Finish(crc, 0)
                                                 << Status::BadLength << Bytes{};
    QTest::newRow("target of 2^56 bytes") << src << BpsWriter(8, std::uint64_t{1} << 56).Finish(crc, 0)
                                          << Status::BadLength << Bytes{};
    QTest::newRow("number of nine bytes") << src << BpsWriter(8, 1).Data(Bytes(8, 0)).Data({0x80}).Finish(crc, 0)
                                          << Status::Malformed << Bytes{};
    {
        Bytes p = BpsWriter(8, 1).Finish(crc, 0);
        p[6] = 0x85; // metadata length 5 with nothing after it (CRC recomputed below)
        p.resize(p.size() - 4);
        const std::uint32_t own = TestCrc32(p);
        for (int s = 0; s < 32; s += 8)
            p.push_back(static_cast<std::uint8_t>(own >> s));
        QTest::newRow("metadata runs into the checksums") << src << p << Status::Malformed << Bytes{};
    }
    QTest::newRow("source read past the source") << src << BpsWriter(8, 9).Action(SourceRead, 9).Finish(crc, 0)
                                                 << Status::OutsideImage << Bytes{};
    QTest::newRow("action past the target") << src << BpsWriter(8, 4).Action(SourceRead, 5).Finish(crc, 0)
                                            << Status::OutsideImage << Bytes{};
    QTest::newRow("huge action length") << src << BpsWriter(8, 4).Action(TargetRead, std::uint64_t{1} << 50).Finish(crc, 0)
                                        << Status::OutsideImage << Bytes{};
    QTest::newRow("target read data cut") << src << BpsWriter(8, 4).Action(TargetRead, 4).Data({1, 2}).Finish(crc, 0)
                                          << Status::Malformed << Bytes{};
    QTest::newRow("source copy before the start") << src << BpsWriter(8, 2).Action(SourceCopy, 2).Move(-1).Finish(crc, 0)
                                                  << Status::OutsideImage << Bytes{};
    QTest::newRow("source copy past the end") << src << BpsWriter(8, 2).Action(SourceCopy, 2).Move(7).Finish(crc, 0)
                                              << Status::OutsideImage << Bytes{};
    QTest::newRow("target copy of bytes not yet written")
        << src << BpsWriter(8, 4).Action(SourceRead, 1).Action(TargetCopy, 3).Move(1).Finish(crc, 0)
        << Status::OutsideImage << Bytes{};
    QTest::newRow("target copy as the first action") << src << BpsWriter(8, 2).Action(TargetCopy, 2).Move(0).Finish(crc, 0)
                                                     << Status::OutsideImage << Bytes{};
    QTest::newRow("target copy before the start")
        << src << BpsWriter(8, 4).Action(SourceRead, 2).Action(TargetCopy, 2).Move(-1).Finish(crc, 0)
        << Status::OutsideImage << Bytes{};
    QTest::newRow("copy offset cut off") << src << BpsWriter(8, 4).Action(SourceRead, 2).Action(TargetCopy, 2).Finish(crc, 0)
                                         << Status::Malformed << Bytes{};
    QTest::newRow("target not filled") << src << BpsWriter(8, 4).Action(SourceRead, 3).Finish(crc, 0)
                                       << Status::Malformed << Bytes{};
}

void TestBps::handMadePatches()
{
    QFETCH(Bytes, source);
    QFETCH(Bytes, patch);
    QFETCH(Status, status);
    QFETCH(Bytes, result);
    const PatchResult applied = ApplyBpsPatch(source, patch, kMax);
    QCOMPARE(applied.status, status);
    QCOMPARE(applied.ok(), applied.message.isEmpty());
    QVERIFY(!applied.message.contains(QLatin1Char('\n')));
    QVERIFY(applied.bytes == result);
    // The tests' own decoder agrees on which patches are sound.
    QCOMPARE(DecodeBps(source, patch).error.isEmpty(), status == Status::Ok);
}

void TestBps::truncatedAtEveryLength()
{
    const Bytes source = Noise(64, 5);
    Bytes target = source;
    std::fill(target.begin() + 10, target.begin() + 30, std::uint8_t{7});
    target[50] ^= 0xFF;
    const Bytes patch = BuildBpsPatch(source, target);
    QVERIFY(ApplyBpsPatch(source, patch, kMax).ok());
    for (std::size_t length = 0; length < patch.size(); ++length) {
        const Bytes cut(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(length));
        const PatchResult applied = ApplyBpsPatch(source, cut, kMax);
        QVERIFY2(!applied.ok() && applied.bytes.empty(), qPrintable(QString::number(length)));
        QVERIFY(!applied.message.isEmpty());
    }
}

QTEST_MAIN(TestBps)
#include "test_bps.moc"
