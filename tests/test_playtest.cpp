// Level ▸ Test in Emulator, with a stand-in emulator: a script that records the
// arguments it was started with and the bytes of the file it was given.

#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "support/WindowFixture.h"
#include "ui/main/PlayTest.h"
#include "ui/main/frmQuorvan.h"
#include "ui/prefs/Preferences.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes the stand-in at `path`: it copies its last argument's file to
// RECORD.bytes, then writes its arguments one per line to RECORD.args (last, so
// that a test waiting for it finds the bytes there already).
void WriteStandIn(const QString& path, const QString& record)
{
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n"
                                "for last; do :; done\n"
                                "cp \"$last\" '%1.bytes.part' && mv '%1.bytes.part' '%1.bytes'\n"
                                "printf '%s\\n' \"$@\" > '%1.args.part' && mv '%1.args.part' '%1.args'\n")
                     .arg(record)
                     .toUtf8());
    script.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ExeGroup));
}

void SetEmulator(const QString& command)
{
    QSettings().setValue(QStringLiteral("Preferences/emulator"), command);
}

} // namespace

class TestPlayTest : public QObject, private WindowFixture {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menuItem();
    void startsTheEmulator_data();
    void startsTheEmulator();
    void refusals_data();
    void refusals();
    void temporaryFilesGoWithTheProgram();

private:
    void open();

    QString image_;
    Bytes bytes_;
};

void TestPlayTest::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("The stand-in emulator is a shell script.");
#endif
}

void TestPlayTest::init()
{
    SetUpWindow();
}

void TestPlayTest::cleanup()
{
    TearDownWindow();
}

void TestPlayTest::open()
{
    bytes_ = DemoBytes();
    image_ = box_->write(QStringLiteral("my game.nes"), bytes_);
    QVERIFY(window_->OpenFile(image_));
}

void TestPlayTest::menuItem()
{
    // Below the nine stages after a separator, on F5, once an image is open.
    const QList<QAction*> level = window_->menuLevel()->actions();
    const qsizetype at = level.indexOf(window_->mnuTestInEmulator());
    QCOMPARE(at, level.indexOf(window_->mnuStageSelect(8)) + 2);
    QVERIFY(level.at(at - 1)->isSeparator());
    QCOMPARE(window_->mnuTestInEmulator()->objectName(), QStringLiteral("mnuTestInEmulator"));
    QCOMPARE(window_->mnuTestInEmulator()->text(), QStringLiteral("&Test in Emulator"));
    QCOMPARE(window_->mnuTestInEmulator()->shortcut(), QKeySequence(Qt::Key_F5));
    QVERIFY(!window_->mnuTestInEmulator()->isEnabled());
    open();
    QVERIFY(window_->mnuTestInEmulator()->isEnabled());
}

void TestPlayTest::startsTheEmulator_data()
{
    QTest::addColumn<QString>("folder");    // where the stand-in lives
    QTest::addColumn<QString>("options");   // after its path in the command
    QTest::addColumn<QStringList>("given"); // the arguments it must receive before the file
    QTest::addColumn<bool>("edited");
    QTest::newRow("the saved image") << "emu" << "" << QStringList() << false;
    QTest::newRow("unsaved edits go to the emulator") << "emu" << "" << QStringList() << true;
    QTest::newRow("options before the image") << "emu" << "--fullscreen 0" << QStringList{"--fullscreen", "0"} << false;
    QTest::newRow("a quoted path with spaces and a quoted option")
        << "my emulators" << "-v \"a b\"" << QStringList{"-v", "a b"} << false;
#if !defined(Q_OS_WIN)
    // Words as a POSIX shell splits them, with nothing expanded.
    QTest::newRow("single quotes") << "emu" << "-v 'a b' 'say \"hi\"' '$HOME'"
                                   << QStringList{"-v", "a b", "say \"hi\"", "$HOME"} << false;
    QTest::newRow("backslashes") << "emu" << "a\\ b \\'c \"d\\\"e\\\\\" f\\\\g"
                                 << QStringList{"a b", "'c", "d\"e\\", "f\\g"} << false;
    QTest::newRow("quotes inside a word") << "emu" << "--title='My '\"Game\"'!'"
                                          << QStringList{"--title=My Game!"} << false;
#endif
}

void TestPlayTest::startsTheEmulator()
{
    QFETCH(QString, folder);
    QFETCH(QString, options);
    QFETCH(QStringList, given);
    QFETCH(bool, edited);
    QVERIFY(QDir(box_->path(QString())).mkpath(folder));
    const QString script = box_->path(folder + QStringLiteral("/emu.sh"));
    const QString record = box_->path(QStringLiteral("record"));
    WriteStandIn(script, record);
    SetEmulator((QStringLiteral("\"%1\" ").arg(script) + options).trimmed());
    open();
    if (edited)
        QVERIFY(RomImage.write(0x1234, static_cast<std::uint8_t>(bytes_[0x1234] ^ 0x5A)));
    const Bytes now(RomImage.bytes().begin(), RomImage.bytes().end());

    window_->mnuTestInEmulator()->trigger();
    QCOMPARE(answerer_.seen(), QStringList()); // no message
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record + QStringLiteral(".args")), 20000);
    QFile args(record + QStringLiteral(".args"));
    QVERIFY(args.open(QIODevice::ReadOnly));
    QStringList received = QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!received.isEmpty());
    const QString file = received.takeLast();
    QCOMPARE(received, given);
    // A temporary file of the program's, not the image; the emulator got the bytes as they are now.
    QVERIFY(!RomDocument::SameFile(file, image_));
    QVERIFY(window_->PlayTester() != nullptr);
    QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(window_->PlayTester()->folder()).absoluteFilePath());
    QVERIFY(QFileInfo(file).fileName().startsWith(QStringLiteral("my game")));
    QVERIFY(ReadFileBytes(record + QStringLiteral(".bytes")) == now);
    // The image's file and the unsaved-change marker stay as they were.
    QVERIFY(ReadFileBytes(image_) == bytes_);
    QCOMPARE(window_->Document().isModified(), edited);
}

void TestPlayTest::refusals_data()
{
    QTest::addColumn<QString>("command"); // "<none>": nothing set and nothing on the PATH
    QTest::addColumn<QString>("message");
    QTest::newRow("no emulator anywhere") << "<none>" << "No emulator is set, and none of fceux, nestopia was found";
    QTest::newRow("a name not on the PATH") << "no-such-emulator-here --fast"
                                            << "\"no-such-emulator-here --fast\" could not be started: "
                                               "\"no-such-emulator-here\" was not found on the PATH";
    QTest::newRow("a path to nothing") << "/no/such/folder/emulator" << "There is no program at";
    QTest::newRow("a file that is not a program") << "<box>/notes.txt" << "\"<box>/notes.txt\" could not be started";
    QTest::newRow("a quote not closed") << "fceux 'a b" << "\"fceux 'a b\" could not be started: A quote in it is not closed";
}

void TestPlayTest::refusals()
{
    QFETCH(QString, command);
    QFETCH(QString, message);
    const QString notes = box_->write(QStringLiteral("notes.txt"), QByteArray("not a program"));
    command.replace(QStringLiteral("<box>/notes.txt"), notes);
    message.replace(QStringLiteral("<box>/notes.txt"), notes);
    const QByteArray path = qgetenv("PATH");
    if (command == QLatin1String("<none>"))
        qputenv("PATH", QFileInfo(notes).absolutePath().toLocal8Bit()); // neither fceux nor nestopia there
    else
        SetEmulator(command);
    open();

    answerer_.expect(PressStandard(QMessageBox::Ok));
    window_->mnuTestInEmulator()->trigger();
    qputenv("PATH", path);
    QCOMPARE(answerer_.pending(), 0);
    const QString seen = answerer_.seen().join(QLatin1Char('\n'));
    // Which command was tried, and where to set another.
    QVERIFY2(seen.contains(message) && seen.contains(QStringLiteral("Edit > Preferences")), qPrintable(seen));
    // No temporary image is left behind.
    if (const PlayTest* tester = window_->PlayTester(); tester != nullptr && !tester->folder().isEmpty())
        QCOMPARE(QDir(tester->folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestPlayTest::temporaryFilesGoWithTheProgram()
{
    const QString script = box_->path(QStringLiteral("emu.sh"));
    const QString record = box_->path(QStringLiteral("record"));
    WriteStandIn(script, record);
    SetEmulator(script);
    open();
    window_->mnuTestInEmulator()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record + QStringLiteral(".args")), 20000);
    // Each test gets a file of its own: the emulator may still hold the last one.
    QFile::remove(record + QStringLiteral(".args"));
    window_->mnuTestInEmulator()->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record + QStringLiteral(".args")), 20000);
    const QString folder = window_->PlayTester()->folder();
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), qsizetype{2});
    window_.reset(); // the program exits
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_MAIN(TestPlayTest)
#include "test_playtest.moc"
