// The about box, the system information lookup and the Help links, driven as a
// user would, with settings files and URL handlers standing in for the system.

#include "data/Links.h"
#include "data/Version.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/common/SetTopMostWindow.h"
#include "ui/common/frmAbout.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QDataStream>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

using namespace quorvan;
using namespace quorvan::test;

namespace {

const char* const kToolKey = "Microsoft\\Shared%20Tools\\MSINFO\\PATH";
const char* const kFolderKey = "Microsoft\\Shared%20Tools%20Location\\MSINFO";

// A value as QSettings writes a typed variant into an INI file: the variant
// streamed in the 4.0 format, every byte escaped. Reading it back gives the
// same type, as the registry gives an int for a 32-bit number.
QByteArray IniVariant(const QVariant& value)
{
    QByteArray raw;
    QDataStream stream(&raw, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    stream << value;
    QByteArray text = "@Variant(";
    for (const char byte : raw)
        text += "\\x" + QByteArray::number(static_cast<unsigned char>(byte), 16);
    return text + ')';
}

// Writes an INI file whose [SOFTWARE] section holds the given "key=value" lines.
QString WriteSettings(const Sandbox& sandbox, const QList<QByteArray>& lines)
{
    QByteArray text = "[SOFTWARE]\n";
    for (const QByteArray& line : lines)
        text += line + '\n';
    return sandbox.write(QStringLiteral("settings.ini"), text);
}

// Receives the URLs handed to the desktop services.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void textsAndVersions();
    void layout();
    void showsTheProgramIcon();
    void pinnedAndModelessOnLoad();
    void closeUnloadsAndAboutReloads_data();
    void closeUnloadsAndAboutReloads();
    void aboutWhileOpenKeepsOneBox();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void sysInfoButtonWithoutRegistry();
    void helpLinks_data();
    void helpLinks();
    void helpLinkWithoutProgramShowsAddress_data();
    void helpLinkWithoutProgramShowsAddress();
    void minimiseHidesAboutForGood();

private:
    frmAbout* openAbout();

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestAbout::init()
{
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestAbout::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    frmAbout::SetSysInfoRootForTesting(std::nullopt);
    frmAbout::SetProgramStarterForTesting({});
    SetWindowPosForTesting({});
    frmQuorvan::SetLinkOpenerForTesting({});
    window_.reset();
}

frmAbout* TestAbout::openAbout()
{
    window_->mnuAbout()->trigger();
    frmAbout* about = window_->About(false);
    if (about == nullptr)
        qFatal("\"&About\" did not load the about box");
    return about;
}

void TestAbout::textsAndVersions()
{
    frmAbout* about = openAbout();
    QCOMPARE(about->windowTitle(), QStringLiteral("About Quorvan"));
    QCOMPARE(about->lblTitle()->text(), QStringLiteral("Quorvan"));
    QCOMPARE(about->lblVersion()->text(), QStringLiteral("Version 0.4"));
    QCOMPARE(about->cmdOK()->text(), QStringLiteral("OK"));
    QCOMPARE(about->cmdSysInfo()->text(), QStringLiteral("&System Info..."));
    // The about box and the main window's caption read the same version.
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvan V") + about->lblVersion()->text().mid(8));

    // A line naming the editor, the site, an empty line, then the bug address.
    const QStringList lines = about->lblDescription()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].contains(QStringLiteral("Quorvan")));
    QCOMPARE(lines[1], QStringLiteral("https://example.org/quorvan"));
    QCOMPARE(lines[2], QString());
    QCOMPARE(lines[3], QStringLiteral("Any Bugs Report To quorvan@example.org"));
    QVERIFY(!about->lblDisclaimer()->text().isEmpty());

    // Versions are major "." minor only: no revision, no padding, no space after the V.
    QCOMPARE(EmailSubject(), QStringLiteral("Quorvan V0.4"));
    QCOMPARE(EmailSubject(1, 12), QStringLiteral("Quorvan V1.12"));
    QCOMPARE(VersionText(10, 0), QStringLiteral("10.0"));
}

void TestAbout::layout()
{
    frmAbout* about = openAbout();
    QCOMPARE(about->size(), QSize(382, 237));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(about->windowFlags().testFlag(Qt::Tool));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"picIcon", {16, 16, 36, 36}},        {"lblTitle", {70, 16, 259, 32}},
        {"lblVersion", {70, 52, 259, 15}},    {"lblDescription", {70, 75, 259, 78}},
        {"Line1(1)", {6, 163, 372, 1}},       {"Line1(0)", {7, 164, 371, 2}},
        {"lblDisclaimer", {17, 175, 258, 55}}, {"cmdOK", {283, 175, 84, 23}},
        {"cmdSysInfo", {284, 205, 83, 23}},
    };
    for (const auto& control : controls) {
        auto* widget = about->findChild<QWidget*>(QString::fromLatin1(control.name));
        QVERIFY2(widget != nullptr, control.name);
        QCOMPARE(widget->geometry(), control.rect);
    }
    QVERIFY(about->cmdOK()->isDefault());

    // The etched separator as drawn: gray above white.
    const QImage shown = Grab(about);
    QCOMPARE(Rgb(shown, 100, 163), 0x808080u);
    QCOMPARE(Rgb(shown, 100, 164), 0xFFFFFFu);
    QCOMPARE(Rgb(shown, 100, 165), 0xFFFFFFu);
}

void TestAbout::showsTheProgramIcon()
{
    frmAbout* about = openAbout();
    const QImage icon = QImage(QStringLiteral(":/quorvan/quorvan.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    const QImage shown = Grab(about->picIcon());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            QCOMPARE(Rgb(shown, x + 2, y + 2), Rgb(icon, x, y));
}

void TestAbout::pinnedAndModelessOnLoad()
{
    QList<QPair<QWidget*, bool>> calls;
    SetWindowPosForTesting([&calls](QWidget* window, bool topmost) {
        calls.append({window, topmost});
        return 1;
    });
    frmAbout* about = openAbout();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].first, static_cast<QWidget*>(about));
    QVERIFY(calls[0].second);

    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(!window_->mnuAbout()->isChecked());
}

void TestAbout::closeUnloadsAndAboutReloads_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("OK button") << 0;
    QTest::newRow("Escape key") << 1;
    QTest::newRow("Enter key") << 2;
}

void TestAbout::closeUnloadsAndAboutReloads()
{
    QFETCH(int, how);
    QPointer<frmAbout> about = openAbout();
    switch (how) {
    case 0: QTest::mouseClick(about->cmdOK(), Qt::LeftButton); break;
    case 1: QTest::keyClick(about, Qt::Key_Escape); break;
    default: QTest::keyClick(about, Qt::Key_Return); break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    QCOMPARE(window_->About(false), nullptr);
    QCOMPARE(answerer_.seen(), QStringList()); // the system information tool was not asked for

    // "&About" loads it again, texts and all.
    frmAbout* again = openAbout();
    QVERIFY(again->isVisible());
    QCOMPARE(again->lblVersion()->text(), QStringLiteral("Version 0.4"));
}

void TestAbout::aboutWhileOpenKeepsOneBox()
{
    frmAbout* first = openAbout();
    frmAbout* second = openAbout();
    QCOMPARE(second, first);
    QCOMPARE(window_->findChildren<frmAbout*>().size(), 1);
}

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<QByteArray>("line");   // written below [SOFTWARE]; empty: no file at all
    QTest::addColumn<QString>("keyName");   // key path below the root
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");      // KeyVal afterwards; it starts as "before"

    const QString tool = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    const QString path = QStringLiteral("PATH");
    const QByteArray key = QByteArray(kToolKey) + '=';
    QTest::newRow("string stored with its NUL") << key + "@String(C:/Tools/msinfo32.exe\\0)" << tool << path << true
                                                << QStringLiteral("C:/Tools/msinfo32.exe");
    QTest::newRow("string stored without NUL") << key + "C:/Tools/msinfo32.exe" << tool << path << true
                                               << QStringLiteral("C:/Tools/msinfo32.exe");
    QTest::newRow("string keeps inner NUL, loses last") << key + "@String(ab\\0c\\0)" << tool << path << true
                                                        << QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c");
    QTest::newRow("bytes stored with their NUL") << key + "@ByteArray(C:/Tools/msinfo32.exe\\0)" << tool << path << true
                                                 << QStringLiteral("C:/Tools/msinfo32.exe");
    QTest::newRow("bytes stored without NUL") << key + "@ByteArray(C:/Tools/msinfo32.ex)" << tool << path << true
                                              << QStringLiteral("C:/Tools/msinfo32.ex");
    QTest::newRow("empty string") << key + "@String()" << tool << path << true << QString();
    QTest::newRow("32-bit number 260") << key + IniVariant(260) << tool << path << true << QStringLiteral("260");
    QTest::newRow("32-bit number all ones") << key + IniVariant(-1) << tool << path << true
                                            << QStringLiteral("4294967295");
    QTest::newRow("unsigned 32-bit number") << key + IniVariant(3000000000u) << tool << path << true
                                            << QStringLiteral("3000000000");
    QTest::newRow("64-bit number leaves text") << key + IniVariant(qint64(260)) << tool << path << true
                                               << QStringLiteral("before");
    QTest::newRow("missing value") << key + "x" << tool << QStringLiteral("VERSION") << false << QString();
    QTest::newRow("missing key") << key + "x" << QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO2") << path
                                 << false << QString();
    QTest::newRow("value of the parent key") << QByteArray(kFolderKey) + "=x"
                                             << QStringLiteral("SOFTWARE\\Microsoft") << QStringLiteral("MSINFO")
                                             << false << QString();
    QTest::newRow("no settings file") << QByteArray() << tool << path << false << QString();
}

void TestAbout::getKeyValue()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, keyName);
    QFETCH(QString, valueName);
    QFETCH(bool, found);
    QFETCH(QString, text);

    Sandbox sandbox;
    const QString file = line.isEmpty() ? sandbox.path(QStringLiteral("absent.ini")) : WriteSettings(sandbox, {line});
    QString value = QStringLiteral("before");
    QCOMPARE(frmAbout::GetKeyValue(SettingsRoot{file, QSettings::IniFormat}, keyName, valueName, value), found);
    QCOMPARE(value, text);
}

void TestAbout::startSysInfo_data()
{
    QTest::addColumn<QList<QByteArray>>("lines"); // "@folder" stands for the sandbox folder
    QTest::addColumn<QString>("toolFile");         // created in the sandbox (a folder if it ends in '/')
    QTest::addColumn<bool>("startWorks");
    QTest::addColumn<QString>("started");          // expected start, "@folder" as above; empty: none
    QTest::addColumn<bool>("message");

    const QByteArray tool = QByteArray(kToolKey) + "=C:/Tools/msinfo32.exe";
    const QByteArray folder = QByteArray(kFolderKey) + "=@folder";
    const QString inFolder = QStringLiteral("@folder/MSINFO32.EXE");
    QTest::newRow("neither key") << QList<QByteArray>{} << QString() << true << QString() << true;
    QTest::newRow("tool path") << QList<QByteArray>{tool} << QString() << true << QStringLiteral("C:/Tools/msinfo32.exe")
                               << false;
    QTest::newRow("tool path fails to start") << QList<QByteArray>{tool} << QString() << false
                                              << QStringLiteral("C:/Tools/msinfo32.exe") << true;
    QTest::newRow("tool path wins over folder") << QList<QByteArray>{tool, folder} << QStringLiteral("MSINFO32.EXE")
                                                << true << QStringLiteral("C:/Tools/msinfo32.exe") << false;
    QTest::newRow("folder with the tool") << QList<QByteArray>{folder} << QStringLiteral("MSINFO32.EXE") << true
                                          << inFolder << false;
    QTest::newRow("folder without the tool") << QList<QByteArray>{folder} << QString() << true << QString() << true;
    QTest::newRow("folder where the tool is a folder") << QList<QByteArray>{folder} << QStringLiteral("MSINFO32.EXE/")
                                                       << true << QString() << true;
    QTest::newRow("empty tool path, folder with the tool")
        << QList<QByteArray>{QByteArray(kToolKey) + "=@String()", folder} << QStringLiteral("MSINFO32.EXE") << true
        << inFolder << false;
    QTest::newRow("empty folder") << QList<QByteArray>{QByteArray(kFolderKey) + "=@String()"} << QString() << true
                                  << QString() << true;
}

void TestAbout::startSysInfo()
{
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QString, toolFile);
    QFETCH(bool, startWorks);
    QFETCH(QString, started);
    QFETCH(bool, message);

    Sandbox sandbox;
    const QString here = QDir::cleanPath(sandbox.path(QStringLiteral(".")));
    for (QByteArray& line : lines)
        line.replace("@folder", here.toUtf8());
    if (toolFile.endsWith(QLatin1Char('/')))
        QVERIFY(QDir(here).mkpath(toolFile));
    else if (!toolFile.isEmpty())
        sandbox.write(toolFile, QByteArray("MZ"));
    started.replace(QStringLiteral("@folder"), here);
    if (!started.isEmpty())
        started = QDir::toNativeSeparators(QDir::cleanPath(started));

    frmAbout::SetSysInfoRootForTesting(SettingsRoot{WriteSettings(sandbox, lines), QSettings::IniFormat});
    QStringList starts;
    frmAbout::SetProgramStarterForTesting([&](const QString& path) {
        starts << path;
        return startWorks;
    });

    frmAbout* about = openAbout();
    if (message)
        answerer_.expect(ClickButton(QStringLiteral("OK")));
    about->cmdSysInfo()->click();
    QCOMPARE(answerer_.pending(), 0);

    QCOMPARE(starts, started.isEmpty() ? QStringList() : QStringList{started});
    QCOMPARE(answerer_.seen(), message ? QStringList{QStringLiteral("Quorvan|System Information Is Unavailable At This Time")}
                                       : QStringList());
    QVERIFY(about->isVisible()); // the box stays open either way
}

void TestAbout::sysInfoButtonWithoutRegistry()
{
#ifndef Q_OS_WIN
    QVERIFY(LocalMachineRoot().location.isEmpty());
#endif
    // A root with no keys at all, whatever the platform; nothing may be started.
    frmAbout::SetSysInfoRootForTesting(SettingsRoot{});
    bool startedSomething = false;
    frmAbout::SetProgramStarterForTesting([&](const QString&) { return startedSomething = true; });
    frmAbout* about = openAbout();
    answerer_.expect(PressEnter());
    QTest::mouseClick(about->cmdSysInfo(), Qt::LeftButton);
    QCOMPARE(answerer_.seen(), QStringList{QStringLiteral("Quorvan|System Information Is Unavailable At This Time")});
    QVERIFY(!startedSomething);
}

void TestAbout::helpLinks_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("Trelvix opens the web site") << QStringLiteral("mnuTrelvix") << QStringLiteral("https")
                                                << QStringLiteral("https://example.org/quorvan");
    QTest::newRow("Email Author opens a message") << QStringLiteral("mnuEmal") << QStringLiteral("mailto")
                                                  << QStringLiteral("mailto:quorvan@example.org?Subject=Quorvan%20V0.4");
}

void TestAbout::helpLinks()
{
    QFETCH(QString, item);
    QFETCH(QString, scheme);
    QFETCH(QString, encoded);

    UrlRecorder recorder;
    for (const char* handled : {"https", "http", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(handled), &recorder, "open");

    // Available with no image open, from the Help menu's Web submenu.
    auto* action = window_->menuWeb()->findChild<QAction*>(item);
    if (action == nullptr)
        action = window_->findChild<QAction*>(item);
    QVERIFY(action != nullptr);
    QVERIFY(window_->menuHelp()->menuAction()->isEnabled());
    QVERIFY(window_->menuWeb()->menuAction()->isEnabled());
    QVERIFY(action->isEnabled());
    action->trigger();

    for (const char* handled : {"https", "http", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(handled));

    QCOMPARE(recorder.urls.size(), 1);
    const QUrl url = recorder.urls.first();
    QCOMPARE(url.scheme(), scheme);
    QCOMPARE(url.toString(QUrl::FullyEncoded), encoded);
    if (scheme == QStringLiteral("mailto")) {
        QCOMPARE(url.path(), QStringLiteral("quorvan@example.org"));
        QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("Subject"), QUrl::FullyDecoded),
                 QStringLiteral("Quorvan V0.4"));
    }
    QCOMPARE(window_->About(false), nullptr); // the links do not load the about box
}

void TestAbout::helpLinkWithoutProgramShowsAddress_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("address"); // shown so that it can be copied
    QTest::newRow("no browser for the web site") << "mnuTrelvix" << "Web" << "https://example.org/quorvan";
    QTest::newRow("no mail program for the author") << "mnuEmal" << "Email Author" << "quorvan@example.org";
}

void TestAbout::helpLinkWithoutProgramShowsAddress()
{
    QFETCH(QString, item);
    QFETCH(QString, title);
    QFETCH(QString, address);
    QList<QUrl> tried;
    frmQuorvan::SetLinkOpenerForTesting([&tried](const QUrl& url) {
        tried << url;
        return false; // nothing could be started
    });
    QString informative;
    bool selectable = false;
    answerer_.expect([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        informative = box->informativeText();
        selectable = box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse);
        box->button(QMessageBox::Ok)->click();
    });
    window_->findChild<QAction*>(item)->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(tried.size(), 1);
    QCOMPARE(answerer_.seen().size(), 1);
    QVERIFY2(answerer_.seen().first().startsWith(title + QLatin1Char('|')), qPrintable(answerer_.seen().first()));
    QVERIFY2(informative.split(QLatin1Char('\n')).contains(address), qPrintable(informative));
    QVERIFY(selectable);
}

void TestAbout::minimiseHidesAboutForGood()
{
    QPointer<frmAbout> about = openAbout();
    QVERIFY(about->isVisible());
    window_->showMinimized();
    QVERIFY(about.isNull() || !about->isVisible());
    window_->showNormal();
    QVERIFY(about.isNull() || !about->isVisible());
    QVERIFY(!window_->mnuAbout()->isChecked());

    // "&About" still brings it back afterwards.
    QVERIFY(openAbout()->isVisible());
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
