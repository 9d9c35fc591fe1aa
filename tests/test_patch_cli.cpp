// The command-line forms --create-patch and --apply-patch, run as a script
// would run them: the program itself, without a display.

#include "data/BpsPatch.h"
#include "data/IpsPatch.h"
#include "support/FaultInjection.h"
#include "support/PatchDecoders.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTest>

using namespace quorvan;
using namespace quorvan::test;

namespace {

Bytes Edited(Bytes bytes)
{
    for (std::size_t i = 0x400; i < 0x2400; i += 7)
        bytes[i] ^= 0x81;
    std::fill(bytes.begin() + 0x8000, bytes.begin() + 0x9000, std::uint8_t{0x42});
    return bytes;
}

} // namespace

class TestPatchCli : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
};

void TestPatchCli::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a part of the one line on stderr; empty for none
    QTest::addColumn<QString>("expected"); // the input file OUT must equal (an image), or "ips"/"bps" to decode

    const auto args = [](const char* line) { return QString::fromLatin1(line).split(QLatin1Char(' ')); };
    QTest::newRow("create an IPS") << args("--create-patch base.nes mod.nes out.ips") << 0 << QString() << "ips";
    QTest::newRow("create a BPS") << args("--create-patch base.nes mod.nes out.bps") << 0 << QString() << "bps";
    QTest::newRow("create a BPS across layouts") << args("--create-patch base.nes shifted.nes out.BPS") << 0 << QString()
                                                 << "bps";
    QTest::newRow("apply an IPS") << args("--apply-patch base.nes good.ips out.nes") << 0 << QString() << "mod.nes";
    QTest::newRow("apply a BPS") << args("--apply-patch base.nes good.bps out.nes") << 0 << QString() << "mod.nes";
    QTest::newRow("apply a BPS across layouts") << args("--apply-patch base.nes layout.bps out.nes") << 0 << QString()
                                                << "shifted.nes";

    QTest::newRow("too few arguments") << args("--create-patch base.nes out.ips") << 2 << "takes 3 arguments" << "";
    QTest::newRow("too many arguments") << args("--apply-patch base.nes good.ips out.nes x") << 2 << "takes 3 arguments" << "";
    QTest::newRow("command not first") << args("base.nes --apply-patch good.ips out.nes") << 2 << "must come first" << "";
    QTest::newRow("unknown patch format") << args("--create-patch base.nes mod.nes out.nes") << 2 << "must end in .ips or .bps"
                                          << "";
    QTest::newRow("output over the patch") << args("--apply-patch base.nes good.ips good.ips") << 2 << "same file as PATCH"
                                           << "";
    // Another name of an input (a hard link) is that input: never written over.
    QTest::newRow("output a hard link of BASE") << args("--create-patch base.nes mod.nes base-link.bps") << 2
                                                << "same file as an input image" << "";
    QTest::newRow("output a hard link of PATCH") << args("--apply-patch base.nes good.bps good-link.nes") << 2
                                                 << "same file as PATCH" << "";
    QTest::newRow("IPS across layouts") << args("--create-patch base.nes shifted.nes out.ips") << 1
                                        << "IPS patch cannot change the image's length" << "";
    QTest::newRow("base of a refused length") << args("--create-patch short.nes mod.nes out.bps") << 1 << "Invalid ROM Size"
                                              << "";
    QTest::newRow("missing image") << args("--apply-patch none.nes good.ips out.nes") << 1 << "cannot read IMAGE" << "";
    QTest::newRow("missing patch") << args("--apply-patch base.nes none.ips out.nes") << 1 << "cannot read PATCH" << "";
    QTest::newRow("BPS of another image") << args("--apply-patch mod.nes good.bps out.nes") << 1 << "made for another image"
                                          << "";
    QTest::newRow("damaged BPS") << args("--apply-patch base.nes damaged.bps out.nes") << 1 << "damaged or incomplete" << "";
    QTest::newRow("IPS past the end") << args("--apply-patch base.nes past.ips out.nes") << 1
                                      << "writes past the end of the image" << "";
    QTest::newRow("unwritable output") << args("--apply-patch base.nes good.ips nofolder/out.nes") << 1 << "cannot write OUT"
                                       << "";
    QTest::newRow("output is a folder") << args("--create-patch base.nes mod.nes folder.ips") << 1 << "cannot write OUT"
                                        << "";
}

void TestPatchCli::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, expected);

    Sandbox box;
    const Bytes base = DemoBytes();
    const Bytes mod = Edited(base);
    const Bytes shifted = DemoBytes(DemoLayout::Shifted);
    box.write(QStringLiteral("base.nes"), base);
    box.write(QStringLiteral("mod.nes"), mod);
    box.write(QStringLiteral("shifted.nes"), shifted);
    box.write(QStringLiteral("short.nes"), Bytes(1000, 0));
    box.write(QStringLiteral("good.ips"), *BuildIpsPatch(base, mod));
    Bytes good = BuildBpsPatch(base, mod);
    box.write(QStringLiteral("good.bps"), good);
    good[good.size() / 2] ^= 0x10;
    box.write(QStringLiteral("damaged.bps"), good);
    box.write(QStringLiteral("layout.bps"), BuildBpsPatch(base, shifted));
    box.write(QStringLiteral("past.ips"), Bytes{'P', 'A', 'T', 'C', 'H', 0x04, 0x00, 0x8F, 0x00, 0x02, 1, 2, 'E', 'O', 'F'});
    QVERIFY(QDir(box.path(QString())).mkdir(QStringLiteral("folder.ips")));
    QString whyNot;
    if ((!MakeHardLink(box.path(QStringLiteral("base.nes")), box.path(QStringLiteral("base-link.bps")), &whyNot) ||
         !MakeHardLink(box.path(QStringLiteral("good.bps")), box.path(QStringLiteral("good-link.nes")), &whyNot)) &&
        arguments.join(QLatin1Char(' ')).contains(QStringLiteral("-link.")))
        QSKIP(qPrintable(QStringLiteral("cannot make a hard link here: ") + whyNot));
    const QStringList before = QDir(box.path(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    const ProgramRun run = RunWithoutDisplay(QStringLiteral(QUORVAN_EXECUTABLE), box.path(QString()), arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
    if (message.isEmpty()) {
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    } else {
        // One line, naming the program and the problem.
        QVERIFY2(run.err.startsWith(QStringLiteral("quorvan: ")) && run.err.count(QLatin1Char('\n')) == 1 &&
                     run.err.endsWith(QLatin1Char('\n')) && run.err.contains(message),
                 qPrintable(run.err));
    }

    const QStringList after = QDir(box.path(QString())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (exitCode != 0) {
        // No output, no temporary file left behind, and the inputs as they were.
        QCOMPARE(after, before);
        QVERIFY(ReadFileBytes(box.path(QStringLiteral("base.nes"))) == base);
        QVERIFY(ReadFileBytes(box.path(QStringLiteral("good.bps"))) == BuildBpsPatch(base, mod));
        return;
    }
    const QString out = arguments.last();
    QCOMPARE(after.size(), before.size() + 1);
    const Bytes written = ReadFileBytes(box.path(out));
    const Bytes from = ReadFileBytes(box.path(arguments[1]));
    const Bytes to = ReadFileBytes(box.path(arguments[2]));
    if (expected == QLatin1String("ips") || expected == QLatin1String("bps")) {
        const DecodedPatch decoded = expected == QLatin1String("ips") ? DecodeIps(from, written) : DecodeBps(from, written);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        QVERIFY(decoded.image == to);
    } else {
        QVERIFY(written == ReadFileBytes(box.path(expected)));
    }
}

QTEST_MAIN(TestPatchCli)
#include "test_patch_cli.moc"
