// Applying patches: hand-made IPS patches read by the program, the lengths a
// result may have, and a patch applied to a document as one undo step.

#include "data/BpsPatch.h"
#include "data/EditHistory.h"
#include "data/IpsPatch.h"
#include "data/PatchApply.h"
#include "data/RomDocument.h"
#include "data/FileWriter.h"
#include "support/PatchDecoders.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Status = PatchResult::Status;
constexpr std::size_t kPlain = 0x40090;
constexpr std::size_t kShifted = 0x30210;

// An IPS file put together from raw pieces.
Bytes Ips(std::initializer_list<Bytes> records, const Bytes& afterEof = {})
{
    Bytes patch{'P', 'A', 'T', 'C', 'H'};
    for (const Bytes& r : records)
        patch.insert(patch.end(), r.begin(), r.end());
    patch.insert(patch.end(), {'E', 'O', 'F'});
    patch.insert(patch.end(), afterEof.begin(), afterEof.end());
    return patch;
}

Bytes Record(std::size_t offset, const Bytes& data)
{
    Bytes r{static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 8),
            static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(data.size() >> 8),
            static_cast<std::uint8_t>(data.size())};
    r.insert(r.end(), data.begin(), data.end());
    return r;
}

Bytes Run(std::size_t offset, std::size_t length, std::uint8_t value)
{
    return {static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset),
            0, 0, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), value};
}

Bytes Counting(std::size_t length)
{
    Bytes b(length);
    for (std::size_t i = 0; i < length; ++i)
        b[i] = static_cast<std::uint8_t>(i);
    return b;
}

Bytes With(Bytes b, std::size_t offset, const Bytes& data)
{
    std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
    return b;
}

} // namespace

class TestPatchApply : public QObject {
    Q_OBJECT
private slots:
    void ipsPatches_data();
    void ipsPatches();
    void ipsTruncatedAtEveryLength_data();
    void ipsTruncatedAtEveryLength();
    void resultLengths_data();
    void resultLengths();
    void documentAppliesOneUndoStep();
    void documentRefusalChangesNothing_data();
    void documentRefusalChangesNothing();
    void readPatchFile_data();
    void readPatchFile();
};

void TestPatchApply::ipsPatches_data()
{
    QTest::addColumn<Bytes>("image");
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<Status>("status");
    QTest::addColumn<Bytes>("result");

    const Bytes img = Counting(16);
    QTest::newRow("a record") << img << Ips({Record(3, {0xAA, 0xBB})}) << Status::Ok << With(img, 3, {0xAA, 0xBB});
    QTest::newRow("a run") << img << Ips({Run(2, 4, 0x77)}) << Status::Ok << With(img, 2, Bytes(4, 0x77));
    QTest::newRow("later records win") << img << Ips({Record(0, {1, 2, 3}), Record(1, {9})}) << Status::Ok
                                       << With(img, 0, {1, 9, 3});
    QTest::newRow("a record ending at the last byte") << img << Ips({Record(14, {5, 6})}) << Status::Ok
                                                      << With(img, 14, {5, 6});
    QTest::newRow("a run of length 0 writes nothing") << img << Ips({Run(4, 0, 1)}) << Status::Ok << img;
    QTest::newRow("no records") << img << Ips({}) << Status::Ok << img;
    const Bytes seven = With(img, 0, {7});
    QTest::newRow("cut to a shorter length") << img << Ips({Record(0, {7})}, {0, 0, 10}) << Status::Ok
                                             << Bytes(seven.begin(), seven.begin() + 10);
    QTest::newRow("cut to the same length") << img << Ips({}, {0, 0, 16}) << Status::Ok << img;
    QTest::newRow("a record one byte past the end") << img << Ips({Record(15, {5, 6})}) << Status::OutsideImage << Bytes{};
    QTest::newRow("a run past the end") << img << Ips({Run(10, 7, 1)}) << Status::OutsideImage << Bytes{};
    QTest::newRow("a record far past the end") << img << Ips({Record(0xFFFFFF, {1})}) << Status::OutsideImage << Bytes{};
    QTest::newRow("a length after EOF that lengthens") << img << Ips({}, {0, 0, 17}) << Status::BadLength << Bytes{};
    QTest::newRow("two bytes after EOF") << img << Ips({}, {0, 0}) << Status::Malformed << Bytes{};
    QTest::newRow("four bytes after EOF") << img << Ips({}, {0, 0, 8, 0}) << Status::Malformed << Bytes{};
    QTest::newRow("not an IPS file") << img << Bytes{'P', 'A', 'T', 'C'} << Status::NotAPatch << Bytes{};

    // Offsets spelling "EOF" end the records: what follows is left over.
    Bytes big(0x454F50, 0);
    QTest::newRow("a record just before the EOF offset") << big << Ips({Record(0x454F45, {1, 2})}) << Status::Ok
                                                         << With(big, 0x454F45, {1, 2});
    QTest::newRow("a record at the EOF offset is the end marker") << big << Ips({Record(0x454F46, {1})})
                                                                  << Status::Malformed << Bytes{};
    // A file of a few KiB may not make the reader write for hours.
    std::vector<Bytes> runs(300, Run(0, 0xFFFF, 1));
    Bytes many{'P', 'A', 'T', 'C', 'H'};
    for (const Bytes& r : runs)
        many.insert(many.end(), r.begin(), r.end());
    many.insert(many.end(), {'E', 'O', 'F'});
    QTest::newRow("runs writing more than 16 MiB") << Bytes(kPlain, 0) << many << Status::TooLarge << Bytes{};
}

void TestPatchApply::ipsPatches()
{
    QFETCH(Bytes, image);
    QFETCH(Bytes, patch);
    QFETCH(Status, status);
    QFETCH(Bytes, result);
    const PatchResult applied = ApplyIpsPatch(image, patch);
    QCOMPARE(int(applied.status), int(status));
    QCOMPARE(applied.message.isEmpty(), applied.ok());
    QVERIFY(!applied.message.contains(QLatin1Char('\n')));
    QVERIFY(applied.bytes == result);
    if (status == Status::Ok) {
        const DecodedPatch decoded = DecodeIps(image, patch);
        QVERIFY(decoded.error.isEmpty() && decoded.image == result);
    }
}

void TestPatchApply::ipsTruncatedAtEveryLength_data()
{
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<int>("soundPrefix"); // a shorter length that is itself a sound patch, or -1
    const Bytes records = Ips({Record(1, {1, 2, 3}), Run(8, 5, 9), Record(0, {4})});
    QTest::newRow("without a length after EOF") << records << -1;
    Bytes cut = records;
    cut.insert(cut.end(), {0, 0, 12});
    QTest::newRow("with a length after EOF") << cut << int(records.size());
}

void TestPatchApply::ipsTruncatedAtEveryLength()
{
    QFETCH(Bytes, patch);
    QFETCH(int, soundPrefix);
    const Bytes image = Counting(16);
    QVERIFY(ApplyIpsPatch(image, patch).ok());
    for (std::size_t length = 0; length < patch.size(); ++length) {
        const PatchResult applied = ApplyIpsPatch(image, Bytes(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(length)));
        if (static_cast<int>(length) == soundPrefix)
            continue;
        QVERIFY2(!applied.ok() && applied.bytes.empty() && !applied.message.isEmpty(),
                 qPrintable(QString::number(length)));
    }
}

void TestPatchApply::resultLengths_data()
{
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("length");
    const Bytes demo = DemoBytes();
    const Bytes shifted = DemoBytes(DemoLayout::Shifted);
    QTest::newRow("IPS cut to the shifted length") << Ips({}, {0x03, 0x02, 0x10}) << Status::Ok << int(kShifted);
    QTest::newRow("IPS cut one byte longer") << Ips({}, {0x03, 0x02, 0x11}) << Status::BadLength << 0;
    QTest::newRow("BPS to the other layout") << BuildBpsPatch(demo, shifted) << Status::Ok << int(kShifted);
    QTest::newRow("BPS to 4 KiB") << BuildBpsPatch(demo, Bytes(demo.begin(), demo.begin() + 4096)) << Status::BadLength << 0;
    QTest::newRow("BPS one byte longer") << BuildBpsPatch(demo, Bytes(kPlain + 1, 1)) << Status::BadLength << 0;
    QTest::newRow("neither format") << Bytes{'U', 'P', 'S', '1'} << Status::NotAPatch << 0;
    QTest::newRow("empty file") << Bytes{} << Status::NotAPatch << 0;
}

void TestPatchApply::resultLengths()
{
    QFETCH(Bytes, patch);
    QFETCH(Status, status);
    QFETCH(int, length);
    const PatchResult applied = ApplyPatch(DemoBytes(), patch);
    QCOMPARE(int(applied.status), int(status));
    QCOMPARE(int(applied.bytes.size()), length);
}

namespace {

// A document holding a demo image opened from a sandbox.
struct OpenDocument {
    OpenDocument(DemoLayout layout = DemoLayout::Plain)
    {
        const QString path = box.demoImage(QStringLiteral("game.nes"), layout);
        opened = document.Open(path).ok();
    }
    Bytes bytes() const { return {document.image().bytes().begin(), document.image().bytes().end()}; }
    Sandbox box;
    RomDocument document;
    bool opened = false;
};

} // namespace

void TestPatchApply::documentAppliesOneUndoStep()
{
    OpenDocument d;
    QVERIFY(d.opened);
    const Bytes original = d.bytes();
    Bytes edited = original;
    for (std::size_t i = 0x100; i < 0x100 + 5000; i += 3)
        edited[i] ^= 0x3C;
    QSignalSpy modified(&d.document, &RomDocument::modifiedChanged);
    std::size_t changed = 0;
    const PatchResult applied = ApplyPatchToDocument(d.document, BuildBpsPatch(original, edited), &changed);
    QVERIFY2(applied.ok(), qPrintable(applied.message));
    QCOMPARE(changed, std::size_t{1667});
    QVERIFY(d.bytes() == edited);
    QCOMPARE(d.document.history().undoCount(), std::size_t{1});
    QVERIFY(d.document.isModified());
    QCOMPARE(modified.count(), 1);
    QVERIFY(d.document.history().Undo());
    QVERIFY(d.bytes() == original);
    QVERIFY(!d.document.isModified());
    QVERIFY(d.document.history().Redo());
    QVERIFY(d.bytes() == edited);

    // The same IPS again finds nothing to change: no second step.
    const auto ips = BuildIpsPatch(original, edited);
    QVERIFY(ips.has_value());
    QVERIFY(ApplyPatchToDocument(d.document, *ips, &changed).ok());
    QCOMPARE(changed, std::size_t{0});
    QCOMPARE(d.document.history().undoCount(), std::size_t{1});
}

void TestPatchApply::documentRefusalChangesNothing_data()
{
    QTest::addColumn<Bytes>("patch");
    QTest::addColumn<Status>("status");
    const Bytes demo = DemoBytes();
    Bytes other = DemoBytes(DemoLayout::Plain, 2);
    QTest::newRow("BPS of another image") << BuildBpsPatch(other, demo) << Status::WrongSource;
    Bytes damaged = BuildBpsPatch(demo, other);
    damaged[damaged.size() / 2] ^= 1;
    QTest::newRow("damaged BPS") << damaged << Status::ChecksumFailed;
    QTest::newRow("BPS changing the length") << BuildBpsPatch(demo, DemoBytes(DemoLayout::Shifted)) << Status::BadLength;
    QTest::newRow("IPS cutting the length") << Ips({Record(0, {1})}, {0x03, 0x02, 0x10}) << Status::BadLength;
    QTest::newRow("IPS record past the end") << Ips({Record(0, {1}), Record(kPlain - 1, {1, 2})}) << Status::OutsideImage;
    Bytes unended = Ips({Record(0, {1})});
    unended.pop_back();
    QTest::newRow("IPS without its end") << unended << Status::Malformed;
}

void TestPatchApply::documentRefusalChangesNothing()
{
    QFETCH(Bytes, patch);
    QFETCH(Status, status);
    OpenDocument d;
    QVERIFY(d.opened);
    const Bytes original = d.bytes();
    QSignalSpy bytes(&d.document, &RomDocument::bytesChanged);
    const PatchResult applied = ApplyPatchToDocument(d.document, patch);
    QCOMPARE(int(applied.status), int(status));
    QVERIFY(!applied.message.isEmpty());
    QVERIFY(d.bytes() == original);
    QCOMPARE(bytes.count(), 0);
    QVERIFY(!d.document.history().canUndo());
    QVERIFY(!d.document.isModified());
}

void TestPatchApply::readPatchFile_data()
{
    QTest::addColumn<QString>("name");    // in the sandbox, or an absolute path
    QTest::addColumn<qint64>("length");   // of the file written there; -1: none
    QTest::addColumn<QString>("refusal"); // part of the reason; empty: read
    QTest::newRow("a patch") << "a.ips" << qint64{8} << "";
    QTest::newRow("the largest allowed") << "max.bps" << qint64(kMaxPatchFileLength) << "";
    QTest::newRow("one byte more") << "large.bps" << qint64(kMaxPatchFileLength + 1) << "larger than";
    QTest::newRow("missing") << "missing.ips" << qint64{-1} << "No such file";
    QTest::newRow("a folder") << "" << qint64{-1} << "not a regular file";
    // Refused by what they are, not after reading 16 MiB of them, and never waited on.
    QTest::newRow("/dev/zero") << "/dev/zero" << qint64{-1} << "a device, not a regular file";
    QTest::newRow("/dev/urandom") << "/dev/urandom" << qint64{-1} << "a device, not a regular file";
    QTest::newRow("/dev/ptmx") << "/dev/ptmx" << qint64{-1} << "a device, not a regular file";
}

void TestPatchApply::readPatchFile()
{
    QFETCH(QString, name);
    QFETCH(qint64, length);
    QFETCH(QString, refusal);
    Sandbox box;
    const QString path = name.startsWith(QLatin1Char('/')) ? name : box.path(name);
    if (name.startsWith(QLatin1Char('/')) && !QFileInfo::exists(path))
        QSKIP("this system has no such device");
    const Bytes bytes = length >= 0 ? Counting(std::size_t(length)) : Bytes{};
    if (length >= 0)
        box.write(name, bytes);
    const PatchFile read = ReadPatchFile(path); // a named pipe: test_file_safety and test_file_safety_cli
    if (refusal.isEmpty()) {
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(read.bytes == bytes);
        return;
    }
    QVERIFY(!read.ok() && read.bytes.empty());
    // The Qt-only layer cannot tell a device from other things: it says only that it is not a regular file.
    const QString expected = FileLayerIsQtOnly() && refusal.contains(QStringLiteral("not a regular"))
                                 ? QStringLiteral("not a regular file")
                                 : refusal;
    QVERIFY2(read.error.contains(expected), qPrintable(read.error));
}

QTEST_MAIN(TestPatchApply)
#include "test_patch_apply.moc"
