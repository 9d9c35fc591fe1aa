// IPS patches of the changes to an image, read back by a decoder of our own.

#include "data/EditHistory.h"
#include "data/IpsPatch.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/clsDialog.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <QRandomGenerator>
#include <QTest>

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Range = std::pair<int, int>; // offset, length
using Ranges = std::vector<Range>;

// A plain IPS reader, written from the file format alone: header, records
// (offset, length, data; length 0 means a run of one value), "EOF" where an
// offset would start. Returns the records, or an error text.
struct Decoded {
    QString error;
    Ranges records;
};

Decoded ApplyIps(const Bytes& patch, Bytes& image)
{
    Decoded result;
    auto fail = [&result](const QString& text) {
        result.error = text;
        return result;
    };
    if (patch.size() < 8 || Bytes(patch.begin(), patch.begin() + 5) != Bytes{'P', 'A', 'T', 'C', 'H'})
        return fail(QStringLiteral("no header"));
    std::size_t pos = 5;
    for (;;) {
        if (pos + 3 > patch.size())
            return fail(QStringLiteral("cut off before EOF"));
        if (patch[pos] == 'E' && patch[pos + 1] == 'O' && patch[pos + 2] == 'F') {
            if (pos + 3 != patch.size())
                return fail(QStringLiteral("bytes after EOF"));
            return result;
        }
        const std::size_t offset = (std::size_t{patch[pos]} << 16) | (std::size_t{patch[pos + 1]} << 8) | patch[pos + 2];
        pos += 3;
        if (pos + 2 > patch.size())
            return fail(QStringLiteral("cut off in a length"));
        std::size_t length = (std::size_t{patch[pos]} << 8) | patch[pos + 1];
        pos += 2;
        if (length == 0) {
            if (pos + 3 > patch.size())
                return fail(QStringLiteral("cut off in a run"));
            length = (std::size_t{patch[pos]} << 8) | patch[pos + 1];
            if (offset + length > image.size())
                return fail(QStringLiteral("run past the image"));
            std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(offset), length, patch[pos + 2]);
            pos += 3;
        } else {
            if (pos + length > patch.size())
                return fail(QStringLiteral("cut off in data"));
            if (offset + length > image.size())
                return fail(QStringLiteral("record past the image"));
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(pos), length,
                        image.begin() + static_cast<std::ptrdiff_t>(offset));
            pos += length;
        }
        result.records.emplace_back(static_cast<int>(offset), static_cast<int>(length));
    }
}

Bytes NoiseImage(std::size_t length, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<quint32> words((length + 3) / 4);
    random.fillRange(words.data(), static_cast<qsizetype>(words.size()));
    Bytes bytes(length);
    std::memcpy(bytes.data(), words.data(), length);
    return bytes;
}

Bytes Edited(const Bytes& original, const Ranges& edits)
{
    Bytes modified = original;
    for (const auto& [offset, length] : edits)
        for (int i = offset; i < offset + length; ++i)
            modified[static_cast<std::size_t>(i)] ^= 0xA5;
    return modified;
}

// The smallest patch size when no record needs splitting: every differing run
// costs a header, except that a gap shorter than a header is cheaper to fill.
std::size_t SmallestPatchSize(const Bytes& a, const Bytes& b)
{
    std::size_t size = 8;
    std::optional<std::size_t> lastEnd;
    for (std::size_t i = 0; i < a.size();) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < a.size() && a[end] != b[end])
            ++end;
        size += (end - i) + (lastEnd ? std::min<std::size_t>(i - *lastEnd, 5) : 5);
        lastEnd = end;
        i = end;
    }
    return size;
}

} // namespace

class TestIps : public QObject {
    Q_OBJECT
private slots:
    void patchReproducesImage_data();
    void patchReproducesImage();
    void randomEditsOfDemoImage();
    void refusesUnfitImages();

    // "Export IPS Patch..." in the main window.
    void exportAgainstTheOpenedImage();
    void exportWithoutChanges();
    void exportRefusesTheOpenImage();
    void exportCancelledLeavesTheDialogAsItWas();
};

void TestIps::patchReproducesImage_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<Ranges>("edits");
    QTest::addColumn<Ranges>("records");

    const int demo = 0x40090;
    const int eof = 0x454F46;
    const int big = 0x460000;
    QTest::newRow("no change") << demo << Ranges{} << Ranges{};
    QTest::newRow("first byte") << demo << Ranges{{0, 1}} << Ranges{{0, 1}};
    QTest::newRow("last byte") << demo << Ranges{{demo - 1, 1}} << Ranges{{demo - 1, 1}};
    QTest::newRow("gap of 4 merged") << demo << Ranges{{100, 1}, {105, 1}} << Ranges{{100, 6}};
    QTest::newRow("gap of 1 merged") << demo << Ranges{{100, 3}, {104, 2}} << Ranges{{100, 6}};
    QTest::newRow("gap of 5 apart") << demo << Ranges{{100, 1}, {106, 1}} << Ranges{{100, 1}, {106, 1}};
    QTest::newRow("three runs, two merged") << demo << Ranges{{10, 2}, {14, 1}, {200, 4}}
                                            << Ranges{{10, 5}, {200, 4}};
    QTest::newRow("run of 65535 is one record") << demo << Ranges{{0x1000, 65535}} << Ranges{{0x1000, 65535}};
    QTest::newRow("run of 65536 is two records") << demo << Ranges{{0x1000, 65536}}
                                                 << Ranges{{0x1000, 65535}, {0x1000 + 65535, 1}};
    QTest::newRow("whole image differs") << demo << Ranges{{0, demo}}
                                         << Ranges{{0, 65535}, {65535, 65535}, {131070, 65535}, {196605, 65535},
                                                   {262140, demo - 262140}};
    QTest::newRow("run at the end marker offset starts a byte early") << big << Ranges{{eof, 3}}
                                                                      << Ranges{{eof - 1, 4}};
    QTest::newRow("run just before the end marker offset") << big << Ranges{{eof - 6, 6}} << Ranges{{eof - 6, 6}};
    QTest::newRow("run just after the end marker offset") << big << Ranges{{eof + 1, 2}} << Ranges{{eof + 1, 2}};
    QTest::newRow("long run split short of the end marker")
        << big << Ranges{{eof - 65535, 70000}} << Ranges{{eof - 65535, 65534}, {eof - 1, 70000 - 65534}};
    QTest::newRow("merged runs crossing the end marker") << big << Ranges{{eof - 2, 1}, {eof, 1}}
                                                         << Ranges{{eof - 2, 3}};
}

void TestIps::patchReproducesImage()
{
    QFETCH(int, length);
    QFETCH(Ranges, edits);
    QFETCH(Ranges, records);
    const Bytes original = NoiseImage(static_cast<std::size_t>(length), 7);
    const Bytes modified = Edited(original, edits);

    const auto patch = BuildIpsPatch(original, modified);
    QVERIFY(patch.has_value());
    Bytes applied = original;
    const Decoded decoded = ApplyIps(*patch, applied);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QVERIFY(applied == modified);
    QCOMPARE(decoded.records, records);
    for (const auto& [offset, size] : decoded.records) {
        QVERIFY(size >= 1 && size <= 65535);
        QVERIFY(offset != 0x454F46);
    }
}

void TestIps::randomEditsOfDemoImage()
{
    // Scattered edits of a demo image, as a session of edits would leave it:
    // the patch rebuilds the image and is as small as records allow.
    const Bytes original = DemoBytes();
    QRandomGenerator random(42);
    for (int round = 0; round < 40; ++round) {
        Bytes modified = original;
        const int edits = random.bounded(1, 60);
        for (int e = 0; e < edits; ++e) {
            const auto offset = random.bounded(static_cast<int>(original.size()));
            const int length = std::min<int>(random.bounded(1, 12), static_cast<int>(original.size()) - offset);
            for (int i = 0; i < length; ++i)
                modified[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(random.bounded(256));
        }
        const auto patch = BuildIpsPatch(original, modified);
        QVERIFY(patch.has_value());
        Bytes applied = original;
        const Decoded decoded = ApplyIps(*patch, applied);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        QVERIFY2(applied == modified, qPrintable(QStringLiteral("round %1").arg(round)));
        QCOMPARE(patch->size(), SmallestPatchSize(original, modified));
    }
}

void TestIps::refusesUnfitImages()
{
    const Bytes a(100, 1);
    const Bytes b(101, 1);
    QVERIFY(!BuildIpsPatch(a, b).has_value());
    QVERIFY(!BuildIpsPatch(b, a).has_value());
    // Offsets are three bytes: an image of 16 MiB still fits, one byte more does not.
    Bytes large(0x1000000, 0);
    Bytes largeEdited = large;
    largeEdited.back() = 1;
    const auto patch = BuildIpsPatch(large, largeEdited);
    QVERIFY(patch.has_value());
    Bytes applied = large;
    QVERIFY(ApplyIps(*patch, applied).error.isEmpty());
    QVERIFY(applied == largeEdited);
    large.push_back(0);
    largeEdited.push_back(0);
    QVERIFY(!BuildIpsPatch(large, largeEdited).has_value());
}

namespace {

struct Window {
    Window()
    {
        ResetGlobals();
        ModalAnswerer::instance().reset();
        window = std::make_unique<frmQuorvan>();
        window->show();
    }
    ~Window() { window.reset(); }
    std::unique_ptr<frmQuorvan> window;
};

Bytes ImageBytes()
{
    return {RomImage.bytes().begin(), RomImage.bytes().end()};
}

} // namespace

void TestIps::exportAgainstTheOpenedImage()
{
    Window w;
    ModalAnswerer& answerer = ModalAnswerer::instance();
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("game.nes"));
    const Bytes opened = ReadFileBytes(image);
    QVERIFY(w.window->OpenFile(image));
    QVERIFY(w.window->mnuExportIPS()->isEnabled());

    // Scattered edits, one saved in between, and one run longer than a record.
    RomImage.write(0x58, static_cast<std::uint8_t>(opened[0x58] ^ 0xFF));
    w.window->mnuSave()->trigger();
    RomImage.write(0x40090 - 1, static_cast<std::uint8_t>(opened[0x40090 - 1] ^ 0xFF));
    {
        EditStep step(w.window->History());
        for (std::int64_t i = 0x1000; i < 0x1000 + 70000; ++i)
            RomImage.write(i, static_cast<std::uint8_t>(opened[static_cast<std::size_t>(i)] ^ 0x5A));
    }
    const QString patchPath = box.path(QStringLiteral("game.ips"));
    answerer.expect(ChooseFile(patchPath));
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);

    Bytes applied = opened;
    const Decoded decoded = ApplyIps(ReadFileBytes(patchPath), applied);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QVERIFY(applied == ImageBytes());
    QCOMPARE(int(decoded.records.size()), 4); // 0x58, two for the long run, the last byte
    // Exporting changes neither the image nor its saved state.
    QVERIFY(RomImage.modified());
    QVERIFY(ReadFileBytes(image) != ImageBytes());
}

void TestIps::exportWithoutChanges()
{
    Window w;
    ModalAnswerer& answerer = ModalAnswerer::instance();
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("game.nes"));
    QVERIFY(w.window->OpenFile(image));
    // An edit undone leaves nothing to export.
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] + 1));
    w.window->mnuUndo()->trigger();
    answerer.expect(ClickButton(QStringLiteral("OK")));
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.seen().last(),
             QStringLiteral("Export IPS Patch|The image has not changed since it was opened: there is nothing to export."));
    QCOMPARE(QDir(box.path(QString())).entryList(QDir::Files), QStringList{QStringLiteral("game.nes")});
}

void TestIps::exportRefusesTheOpenImage()
{
    Window w;
    ModalAnswerer& answerer = ModalAnswerer::instance();
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("game.nes"));
    QVERIFY(w.window->OpenFile(image));
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] + 1));
    answerer.expect(ChooseFile(image));
    answerer.expect(ClickButton(QStringLiteral("OK")));
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(answerer.seen().last().startsWith(QStringLiteral("File Error|Could not write the patch to")));
    QVERIFY(ReadFileBytes(image) == DemoBytes());
    // A folder that cannot be written into is reported the same way.
    const QString locked = box.path(QStringLiteral("locked"));
    QVERIFY(QDir(box.path(QString())).mkdir(QStringLiteral("locked")));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(locked).isWritable()) // running with rights that ignore permissions
        return;
    answerer.expect(ChooseFile(locked + QStringLiteral("/game.ips")));
    answerer.expect(ClickButton(QStringLiteral("OK")));
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(answerer.seen().last().startsWith(QStringLiteral("File Error|Could not write the patch to")));
}

void TestIps::exportCancelledLeavesTheDialogAsItWas()
{
    Window w;
    ModalAnswerer& answerer = ModalAnswerer::instance();
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("game.nes"));
    answerer.expect(ChooseFile(image));
    w.window->mnuOpen()->trigger();
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] + 1));
    const QString fileName = w.window->Dialog().FileName();
    const QString filter = w.window->Dialog().Filter();
    answerer.expect(CancelDialog());
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(QDir(box.path(QString())).entryList(QDir::Files), QStringList{QStringLiteral("game.nes")});
    // A successful export does not leave the patch as the next Save As proposal either.
    answerer.expect(ChooseFile(box.path(QStringLiteral("x.ips"))));
    w.window->mnuExportIPS()->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(QFileInfo::exists(box.path(QStringLiteral("x.ips"))));
    QCOMPARE(w.window->Dialog().FileName(), fileName);
    QCOMPARE(w.window->Dialog().Filter(), filter);
}

QTEST_MAIN(TestIps)
#include "test_ips.moc"
