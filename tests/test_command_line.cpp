// The window's command line, read before a display is asked for: --help and
// --version answer without one, and an argument that cannot be used ends the
// program with status 2 instead of being passed over.

#include "support/ProgramRun.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace quorvan::test;

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void withoutDisplay_data();
    void withoutDisplay();
};

void TestCommandLine::withoutDisplay_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // parts of stdout (status 0) or stderr (otherwise)
    const QStringList everyCommand{"--create-patch", "--apply-patch", "--export-room", "--export-stage",
                                   "--export-tiles", "--import-tiles", "--stage",
                                   "--tools", "--screenshot", "--quit-when-painted", "--version"};
    QTest::newRow("--help lists every option") << "--help" << 0 << everyCommand;
    QTest::newRow("-h") << "-h" << 0 << QStringList{"--export-stage"};
    QTest::newRow("--version") << "--version" << 0 << QStringList{"Quorvan 0.4"};
    QTest::newRow("stage out of range") << "level.nes --stage 10" << 2 << QStringList{"--stage", "\"10\""};
    QTest::newRow("stage not a number") << "level.nes --stage abc" << 2 << QStringList{"\"abc\""};
    QTest::newRow("stage without an image") << "--stage 3" << 2 << QStringList{"needs an image"};
    QTest::newRow("unknown tool window") << "level.nes --stage 1 --tools bogus" << 2 << QStringList{"\"bogus\""};
    QTest::newRow("editor without a stage") << "level.nes --tools palette" << 2 << QStringList{"needs a stage"};
    QTest::newRow("unknown option") << "--bogus" << 2 << QStringList{"bogus"};
    QTest::newRow("two images") << "a.nes b.nes" << 2 << QStringList{"one image at a time"};
}

void TestCommandLine::withoutDisplay()
{
    QFETCH(QString, line);
    QFETCH(int, exitCode);
    QFETCH(QStringList, said);
    const Sandbox box;
    const ProgramRun run =
        RunWithoutDisplay(QStringLiteral(QUORVAN_EXECUTABLE), box.path(QString()), line.split(QLatin1Char(' ')));
    QCOMPARE(run.exitCode, exitCode);
    const QString& text = exitCode == 0 ? run.out : run.err;
    for (const QString& part : said)
        QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral(" not in: ") + text));
    if (exitCode != 0)
        QCOMPARE(text.count(QLatin1Char('\n')), 1); // one line names the problem
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
