// File names from the command line, run as a user or a script would run the
// program: a name is used exactly as given or refused (never mapped to
// another file), and a pipe, device or socket is refused at once, never
// waited on. Each run is stopped after 15 s, so that a program that waits
// fails this test in seconds instead of hanging it.

#include "data/FileWriter.h"
#include "data/IpsPatch.h"
#include "support/FaultInjection.h"
#include "support/PatchDecoders.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace quorvan;
using namespace quorvan::test;

namespace {

// Stands for the name "bad\xFF.nes" in the arguments: bytes that are not
// UTF-8, which no QString can carry to the program, so the shell makes them.
const QString kBadName = QStringLiteral("<bad>");
const QByteArray kBadBytes = QByteArrayLiteral("bad\xFF.nes");
// What a lossy decoding makes of it: the name of another file.
const QString kTwinName = QStringLiteral("bad") + QChar(0xFFFD) + QStringLiteral(".nes");

// A runtime folder of the tests' own, private as the platform wants it, so
// that nothing is said about it on stderr.
QString RuntimeFolder()
{
    static QTemporaryDir folder;
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder.path();
}

// The file of the name that is not valid UTF-8, which the sandbox could not remove.
struct RemovedAfterwards {
    QByteArray path;
    ~RemovedAfterwards() { std::remove(path.constData()); }
};

struct Run {
    bool finished = false;
    int exitCode = -1;
    QString err;
};

// Runs the program in `folder` through the shell. A window runs offscreen and
// takes a screenshot, after which it ends by itself; the batch commands run
// without any display.
Run RunProgram(const QString& folder, const QStringList& arguments, bool window)
{
    QString script = QStringLiteral("exec \"$QUORVAN\"");
    for (const QString& argument : arguments)
        script += argument == kBadName ? QStringLiteral(" \"$(printf 'bad\\377.nes')\"")
                                       : QStringLiteral(" '") + argument + QLatin1Char('\'');
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), window ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    env.insert(QStringLiteral("QUORVAN"), QStringLiteral(QUORVAN_EXECUTABLE));
    env.insert(QStringLiteral("HOME"), folder); // no settings of the user's
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeFolder());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    Run run;
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Bytes ReadRaw(const QByteArray& path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteRaw(const QByteArray& path, const Bytes& bytes)
{
    std::ofstream out(path.constData(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

enum class Special { None, Pipe, Device, Socket, SettingsPipe };

} // namespace

class TestFileSafetyCli : public QObject {
    Q_OBJECT
private slots:
    void commandLineNames_data();
    void commandLineNames();
};

void TestFileSafetyCli::commandLineNames_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("special");   // made as special.nes
    QTest::addColumn<bool>("window");   // the program with its window, else a batch command
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a part of the one line on stderr
    const auto args = [](const char* line) { return QString::fromLatin1(line).split(QLatin1Char(' ')); };
    // The Qt-only file layer cannot tell a pipe, a device or a socket apart: it says only that.
    const auto notRegular = [](const char* kind) {
        return FileLayerIsQtOnly()
                   ? QStringLiteral("\"special.nes\" was not opened: It is not a regular file.")
                   : QStringLiteral("\"special.nes\" was not opened: It is %1, not a regular file.").arg(QLatin1String(kind));
    };
    QTest::newRow("window: a named pipe") << args("--screenshot shot.png special.nes") << int(Special::Pipe) << true << 0
                                          << notRegular("a named pipe");
    QTest::newRow("window: a device node") << args("--screenshot shot.png special.nes") << int(Special::Device) << true << 0
                                           << notRegular("a device");
    QTest::newRow("window: a socket") << args("--screenshot shot.png special.nes") << int(Special::Socket) << true << 0
                                      << notRegular("a socket");
    QTest::newRow("window: a name not valid UTF-8 beside its twin")
        << QStringList{QStringLiteral("--screenshot"), QStringLiteral("shot.png"), kBadName} << int(Special::None) << true
        << 0 << "bad\\xFF.nes\" given on the command line is not valid";
    QTest::newRow("batch: IMAGE not valid UTF-8 beside its twin")
        << QStringList{QStringLiteral("--create-patch"), kBadName, QStringLiteral("base.nes"), QStringLiteral("out.ips")}
        << int(Special::None) << false << 2 << "\"bad\\xFF.nes\" is not valid";
    QTest::newRow("batch: OUT not valid UTF-8 beside its twin")
        << QStringList{QStringLiteral("--apply-patch"), QStringLiteral("base.nes"), QStringLiteral("good.ips"), kBadName}
        << int(Special::None) << false << 2 << "\"bad\\xFF.nes\" is not valid";
    QTest::newRow("batch: a named pipe as IMAGE") << args("--apply-patch special.nes good.ips out.nes") << int(Special::Pipe)
                                                  << false << 1 << "cannot read IMAGE";
    QTest::newRow("batch: a named pipe as OUT") << args("--apply-patch base.nes good.ips special.nes") << int(Special::Pipe)
                                                << false << 1 << "cannot write OUT";
    // A patch is read as an image is: a pipe or a device is refused unopened.
    QTest::newRow("batch: a named pipe as PATCH") << args("--apply-patch base.nes special.nes out.nes")
                                                  << int(Special::Pipe) << false << 1 << "cannot read PATCH";
    if (QFileInfo::exists(QStringLiteral("/dev/ptmx")))
        QTest::newRow("batch: /dev/ptmx as PATCH") << args("--apply-patch base.nes /dev/ptmx out.nes") << int(Special::None)
                                                   << false << 1 << "cannot read PATCH";
    // The settings file as a named pipe: the window starts with defaults and says so.
    QTest::newRow("window: the settings file a named pipe") << args("--screenshot shot.png base.nes")
                                                            << int(Special::SettingsPipe) << true << 0
                                                            << "Quorvan.conf\" was ignored: It is";
}

void TestFileSafetyCli::commandLineNames()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, special);
    QFETCH(bool, window);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
#if !defined(Q_OS_UNIX)
    QSKIP("names that are not valid in the system's encoding, pipes and devices are made with POSIX calls");
#endif
    Sandbox box;
    const QString folder = box.path(QString());
    const Bytes base = DemoBytes(DemoLayout::Plain, 1);
    Bytes mod = base;
    mod[0x1000] ^= 0x55;
    box.write(QStringLiteral("base.nes"), base);
    box.write(QStringLiteral("good.ips"), *BuildIpsPatch(base, mod));
    // The file the bad name really names, and its twin that a lossy decoding would name.
    const Bytes real = DemoBytes(DemoLayout::Plain, 2);
    const Bytes twin = DemoBytes(DemoLayout::Plain, 3);
    const QByteArray realPath = QFile::encodeName(folder) + '/' + kBadBytes;
    const RemovedAfterwards removed{realPath};
    QVERIFY(WriteRaw(realPath, real));
    const QString twinPath = box.write(kTwinName, twin);
    const QString specialPath = box.path(QStringLiteral("special.nes"));
    QString why;
    bool made = true;
    switch (static_cast<Special>(special)) {
    case Special::None: break;
    case Special::Pipe: made = MakeNamedPipe(specialPath, &why); break;
    case Special::Device: made = MakeDeviceNode(specialPath, &why); break;
    case Special::Socket: made = MakeSocketFile(specialPath, &why); break;
    case Special::SettingsPipe:
        made = QDir(folder).mkdir(QStringLiteral("Quorvan")) &&
               MakeNamedPipe(box.path(QStringLiteral("Quorvan/Quorvan.conf")), &why);
        break;
    }
    if (!made)
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + why));
    const FileFacts specialBefore = Facts(specialPath);
    const FileFacts twinBefore = Facts(twinPath);
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    const Run run = RunProgram(folder, arguments, window);
    QVERIFY2(run.finished, "the program did not end within 15 s: it waits on something");
    QCOMPARE(run.exitCode, exitCode);
    // One line of the program's on stderr (the platform may add warnings), naming the problem.
    const QStringList said = run.err.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^quorvan: ")));
    QVERIFY2(said.size() == 1 && said.first().contains(message), qPrintable(run.err));

    // Nothing was written or replaced, and only the screenshot is new.
    QStringList expected = before;
    if (window) {
        expected << QStringLiteral("shot.png");
        expected.sort();
    }
    QStringList after = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    after.sort();
    expected.sort();
    QCOMPARE(after, expected);
    QVERIFY2(ReadFileBytes(twinPath) == twin && Facts(twinPath) == twinBefore, "the twin was written");
    QVERIFY(ReadRaw(realPath) == real);
    QVERIFY(Facts(specialPath) == specialBefore);
    if (!window || special != int(Special::None))
        return;

    // The window shows no image: as after a name that opens nothing at all,
    // and unlike after opening the twin by its own name.
    const QString shoot = QStringLiteral("--screenshot");
    const Run missing = RunProgram(folder, {shoot, QStringLiteral("missing.png"), QStringLiteral("none.nes")}, true);
    const Run opened = RunProgram(folder, {shoot, QStringLiteral("twin.png"), kTwinName}, true);
    QVERIFY(missing.finished && opened.finished && opened.err.isEmpty());
    const QImage shot(box.path(QStringLiteral("shot.png")));
    QVERIFY(!shot.isNull());
    QVERIFY2(shot == QImage(box.path(QStringLiteral("missing.png"))), "the window shows an image after a refused name");
    QVERIFY2(shot != QImage(box.path(QStringLiteral("twin.png"))), "an opened image does not show in the screenshot");
}

QTEST_MAIN(TestFileSafetyCli)
#include "test_file_safety_cli.moc"
