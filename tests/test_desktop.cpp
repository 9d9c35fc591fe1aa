// The desktop around the editor: File ▸ recent files, a .nes file dropped on
// the window, and the folder each file dialog starts in.

#include "data/FileWriter.h"
#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "support/TestSupport.h"
#include "support/WindowFixture.h"
#include "ui/common/DialogFolders.h"
#include "ui/main/RecentFiles.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Notes where a file dialog starts and the name it proposes, then chooses
// `choose` or, when empty, cancels.
ModalAnswerer::Answer Capture(QString* folder, QString* name, const QString& choose = {})
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            qWarning("expected a file dialog");
            return;
        }
        *folder = QDir::cleanPath(dialog->directory().absolutePath());
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            *name = edit->text();
        if (choose.isEmpty())
            dialog->reject();
        else
            ChooseFile(choose)(modal);
    };
}

QString Clean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

class TestDesktop : public QObject, private WindowFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void recentNewestFirstAndLimited();
    void recentKeptAcrossRuns();
    void recentMissingFilesGreyed();
    void recentOpensAsOpenWould_data();
    void recentOpensAsOpenWould();
    void drops_data();
    void drops();
    void dialogFolders_data();
    void dialogFolders();
    void installedProgramStartsAtHome();
    void systemOrOthersFolderStartsAtHome();
    void programFolderChoice_data();
    void programFolderChoice();

private:
    QString image(const QString& name, std::uint64_t seed = 1);
    QStringList recentTexts() const;
};

void TestDesktop::init()
{
    SetUpWindow();
}

void TestDesktop::cleanup()
{
    TearDownWindow();
}

QString TestDesktop::image(const QString& name, std::uint64_t seed)
{
    QDir(box_->path(QString())).mkpath(QFileInfo(box_->path(name)).path());
    return box_->demoImage(name, DemoLayout::Plain, seed);
}

QStringList TestDesktop::recentTexts() const
{
    emit window_->menuFile()->aboutToShow(); // as when the menu opens
    QStringList texts;
    for (int k = 0; k < 8; ++k)
        if (QAction* item = window_->mnuRecent(k)) {
            texts << item->text();
            [&] { QCOMPARE(item->objectName(), QStringLiteral("mnuRecent(%1)").arg(k)); }();
        }
    return texts;
}

void TestDesktop::recentNewestFirstAndLimited()
{
    QCOMPARE(recentTexts(), QStringList());
    QStringList paths;
    for (int k = 0; k < 10; ++k) {
        paths << image(QStringLiteral("image%1.nes").arg(k));
        QVERIFY(window_->OpenFile(paths.last()));
    }
    // The last eight, newest first, each text ending with its path.
    QStringList texts = recentTexts();
    QCOMPARE(texts.size(), qsizetype{8});
    for (int k = 0; k < 8; ++k)
        QVERIFY2(texts[k].endsWith(QDir::toNativeSeparators(paths[9 - k])), qPrintable(texts[k]));
    QCOMPARE(window_->mnuRecent(8), nullptr);
    // In the File menu above Exit, after a separator.
    const QList<QAction*> file = window_->menuFile()->actions();
    QCOMPARE(file.indexOf(window_->mnuRecent(7)) + 2, file.indexOf(window_->mnuExit()));
    QVERIFY(file.at(file.indexOf(window_->mnuRecent(0)) - 1)->isSeparator());

    // Opened again, by another spelling: back on top, once.
    QVERIFY(window_->OpenFile(box_->path(QStringLiteral("./image4.nes"))));
    texts = recentTexts();
    QCOMPARE(texts.size(), qsizetype{8});
    QVERIFY(texts[0].endsWith(QDir::toNativeSeparators(paths[4])));
    QCOMPARE(texts.filter(QStringLiteral("image4.nes")).size(), qsizetype{1});
    QVERIFY(texts[1].endsWith(QDir::toNativeSeparators(paths[9])));

    // Save As puts the new name on top.
    const QString saved = box_->path(QStringLiteral("saved as.nes"));
    answerer_.expect(ChooseFile(saved));
    window_->mnuSaveAS()->trigger();
    QVERIFY(recentTexts().first().endsWith(QDir::toNativeSeparators(saved)));
    QCOMPARE(recentTexts().size(), qsizetype{8});
}

void TestDesktop::recentKeptAcrossRuns()
{
    const QString a = image(QStringLiteral("a.nes"));
    const QString b = image(QStringLiteral("a & b.nes"));
    QVERIFY(window_->OpenFile(a));
    QVERIFY(window_->OpenFile(b));
    window_.reset();
    window_ = std::make_unique<frmQuorvan>();
    const QStringList texts = recentTexts();
    QCOMPARE(texts.size(), qsizetype{2});
    // A "&" in a path shows as itself, not as a mnemonic.
    QCOMPARE(texts[0], QStringLiteral("&1 ") + QDir::toNativeSeparators(Clean(b)).replace(QLatin1Char('&'), QStringLiteral("&&")));
    QCOMPARE(texts[1], QStringLiteral("&2 ") + QDir::toNativeSeparators(Clean(a)));
}

void TestDesktop::recentMissingFilesGreyed()
{
    const QString a = image(QStringLiteral("a.nes"));
    const QString b = image(QStringLiteral("b.nes"));
    QVERIFY(window_->OpenFile(a));
    QVERIFY(window_->OpenFile(b));
    QVERIFY(QFile::remove(a));
    recentTexts();
    QVERIFY(window_->mnuRecent(0)->isEnabled());
    QVERIFY(!window_->mnuRecent(1)->isEnabled());
    // Back again: usable again.
    image(QStringLiteral("a.nes"));
    recentTexts();
    QVERIFY(window_->mnuRecent(1)->isEnabled());
}

void TestDesktop::recentOpensAsOpenWould_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // to the unsaved-change question
    QTest::addColumn<bool>("opens");
    QTest::newRow("no unsaved changes") << false << 0 << true;
    QTest::newRow("unsaved changes, Cancel") << true << int(QMessageBox::Cancel) << false;
    QTest::newRow("unsaved changes, Discard") << true << int(QMessageBox::Discard) << true;
    QTest::newRow("unsaved changes, Save") << true << int(QMessageBox::Save) << true;
}

void TestDesktop::recentOpensAsOpenWould()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, opens);
    const QString first = image(QStringLiteral("first.nes"), 1);
    const QString second = image(QStringLiteral("second.nes"), 2);
    QVERIFY(window_->OpenFile(first));
    QVERIFY(window_->OpenFile(second));
    if (modified)
        QVERIFY(RomImage.write(0x100, static_cast<std::uint8_t>(RomImage.bytes()[0x100] + 1)));
    const Bytes edited(RomImage.bytes().begin(), RomImage.bytes().end());
    recentTexts();
    if (answer != 0)
        answerer_.expect(PressStandard(answer));
    window_->mnuRecent(1)->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(RomDocument::SameFile(window_->Document().fileName(), opens ? first : second), true);
    if (opens)
        QVERIFY(ReadFileBytes(first) == Bytes(RomImage.bytes().begin(), RomImage.bytes().end()));
    if (answer == int(QMessageBox::Save))
        QVERIFY(ReadFileBytes(second) == edited);
}

void TestDesktop::drops_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("a .nes file") << "game.nes" << true;
    QTest::newRow("a .NES file") << "GAME.NES" << true;
    QTest::newRow("a text file") << "notes.txt" << false;
    QTest::newRow("two .nes files") << "game.nes|other.nes" << false;
    QTest::newRow("a folder named .nes") << "folder.nes" << false;
    QTest::newRow("a web address") << "https://example.invalid/game.nes" << false;
    QTest::newRow("text, not a file") << "text:game.nes" << false;
    QTest::newRow("a .nes file of a refused size") << "short.nes" << true;
}

void TestDesktop::drops()
{
    QFETCH(QString, what);
    QFETCH(bool, accepted);
    QVERIFY(window_->acceptDrops());
    const QString opened = image(QStringLiteral("opened.nes"));
    image(QStringLiteral("game.nes"), 2);
    image(QStringLiteral("GAME.NES"), 3);
    image(QStringLiteral("other.nes"), 4);
    box_->write(QStringLiteral("notes.txt"), QByteArray("notes"));
    box_->write(QStringLiteral("short.nes"), QByteArray(100, 'x'));
    QDir(box_->path(QString())).mkdir(QStringLiteral("folder.nes"));
    QVERIFY(window_->OpenFile(opened));

    QMimeData data;
    if (what.startsWith(QLatin1String("text:"))) {
        data.setText(what.mid(5));
    } else {
        QList<QUrl> urls;
        for (const QString& part : what.split(QLatin1Char('|')))
            urls << (part.contains(QLatin1String("://")) ? QUrl(part) : QUrl::fromLocalFile(box_->path(part)));
        data.setUrls(urls);
    }
    const QPoint at(200, 150);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    if (!accepted)
        return; // the platform sends no drop after a refused enter
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &move);
    QVERIFY(move.isAccepted());
    const bool refusedSize = what == QLatin1String("short.nes");
    if (refusedSize)
        answerer_.expect(PressStandard(QMessageBox::Ok)); // "Invalid ROM Size."
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window_.get(), &drop);
    QVERIFY(drop.isAccepted());
    const QString expected = refusedSize ? opened : box_->path(what);
    QTRY_COMPARE(answerer_.pending(), 0);
    QTRY_VERIFY(RomDocument::SameFile(window_->Document().fileName(), box_->path(what)) || refusedSize);
    QVERIFY(RomDocument::SameFile(window_->Document().fileName(), expected));
}

void TestDesktop::dialogFolders_data()
{
    QTest::addColumn<QString>("kept");     // folder kept from an earlier dialog; "<gone>": one removed since
    QTest::addColumn<QString>("imageAt");  // folder of the open image; empty: none open
    QTest::addColumn<QString>("item");     // the menu item whose dialog is looked at
    QTest::addColumn<QString>("starts");   // where it must start; "<program>": the program's folder
    QTest::addColumn<QString>("proposed"); // the name it proposes; "*": not looked at
    QTest::newRow("nothing kept, no image: the program's folder") << "" << "" << "mnuOpen" << "<program>" << "*";
    QTest::newRow("nothing kept: the image's folder") << "" << "work" << "mnuOpen" << "work" << "*";
    QTest::newRow("the folder last chosen wins") << "chosen" << "work" << "mnuOpen" << "chosen" << "*";
    QTest::newRow("a kept folder since removed: the image's") << "<gone>" << "work" << "mnuOpen" << "work" << "*";
    QTest::newRow("Save As proposes the image's name") << "" << "work" << "mnuSaveAS" << "work" << "game.nes";
    QTest::newRow("Save As in the last folder") << "chosen" << "work" << "mnuSaveAS" << "chosen" << "game.nes";
    QTest::newRow("a patch export") << "chosen" << "work" << "mnuExportBPS" << "chosen" << "game.bps";
    QTest::newRow("applying a patch") << "chosen" << "work" << "mnuApplyPatch" << "chosen" << "*";
    QTest::newRow("a room picture") << "chosen" << "work" << "mnuExportRoomImage" << "chosen" << "*";
}

void TestDesktop::dialogFolders()
{
    QFETCH(QString, kept);
    QFETCH(QString, imageAt);
    QFETCH(QString, item);
    QFETCH(QString, starts);
    QFETCH(QString, proposed);
    if (kept == QLatin1String("<gone>")) {
        QDir(box_->path(QString())).mkdir(QStringLiteral("gone"));
        RememberDialogChoice(box_->path(QStringLiteral("gone/x.nes")));
        QVERIFY(QDir(box_->path(QStringLiteral("gone"))).removeRecursively());
    }
    if (!imageAt.isEmpty()) {
        QVERIFY(window_->OpenFile(image(imageAt + QStringLiteral("/game.nes"))));
        window_->mnuStageSelect(0)->trigger();
        RomImage.write(0x60, static_cast<std::uint8_t>(RomImage.bytes()[0x60] + 1)); // something to export
    }
    if (!kept.isEmpty() && kept != QLatin1String("<gone>")) {
        // Chosen in another dialog: an image opened from there, then the first one again.
        const QString there = image(kept + QStringLiteral("/elsewhere.nes"));
        QString ignored;
        if (window_->Document().isModified())
            answerer_.expect(PressStandard(QMessageBox::Discard));
        answerer_.expect(Capture(&ignored, &ignored, there));
        window_->mnuOpen()->trigger();
        QCOMPARE(answerer_.pending(), 0);
        QVERIFY(window_->OpenFile(box_->path(imageAt + QStringLiteral("/game.nes"))));
        window_->mnuStageSelect(0)->trigger();
        RomImage.write(0x60, static_cast<std::uint8_t>(RomImage.bytes()[0x60] + 1));
    }

    QString folder, name;
    auto* action = window_->findChild<QAction*>(item);
    QVERIFY(action != nullptr && action->isEnabled());
    // Open asks about the unsaved change first.
    if (item == QLatin1String("mnuOpen") && window_->Document().isModified())
        answerer_.expect(PressStandard(QMessageBox::Discard));
    answerer_.expect(Capture(&folder, &name));
    action->trigger();
    QCOMPARE(answerer_.pending(), 0);
    const QString expected = starts == QLatin1String("<program>") ? frmQuorvan::ProgramFolder() : box_->path(starts);
    QCOMPARE(folder, Clean(expected));
    if (proposed != QLatin1String("*"))
        QCOMPARE(name, proposed);
}

void TestDesktop::installedProgramStartsAtHome()
{
    // A program folder that may not be written (an installed program): the user's home.
    const QString program = box_->path(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program));
    QCOMPARE(Clean(DialogStartFolder(QString(), program)), Clean(program));
    ReadOnlyFolder readOnly(program);
    if (!readOnly.active())
        QSKIP(qPrintable(readOnly.whyNot()));
    if (QFileInfo(program).isWritable())
        QSKIP("This user may write into any folder.");
    QCOMPARE(Clean(DialogStartFolder(QString(), program)), Clean(QDir::homePath()));
    // An open image's folder comes first.
    const QString game = image(QStringLiteral("work/game.nes"));
    QCOMPARE(Clean(DialogStartFolder(game, program)), Clean(box_->path(QStringLiteral("work"))));
}

void TestDesktop::systemOrOthersFolderStartsAtHome()
{
    // Root may write into /usr/bin and any user's folder: neither is root's own.
    const QString home = Clean(QDir::homePath());
    const QString system = QStringLiteral("/usr/bin");
    if (QFileInfo(system).isDir())
        QCOMPARE(Clean(DialogStartFolder(QString(), system)), home);
    if (FileLayerIsQtOnly())
        QSKIP("the Qt-only build cannot tell who owns a folder");
    const QString theirs = box_->path(QStringLiteral("theirs"));
    QVERIFY(QDir().mkpath(theirs));
    QString whyNot;
    if (!SetOwnerAndMode(theirs, 65534, -1, 0777, &whyNot))
        QSKIP(qPrintable(QStringLiteral("cannot give a folder to another user here: ") + whyNot));
    QCOMPARE(Clean(DialogStartFolder(QString(), theirs)), home);
}

void TestDesktop::programFolderChoice_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("owned");
    QTest::addColumn<bool>("usersOwn"); // dialogs start there
    QTest::newRow("the user's build folder") << "/home/ann/quorvan/build/src" << true << true << true;
    QTest::newRow("root's build folder") << "/work/quorvan/build/src" << true << true << true;
    QTest::newRow("/usr/bin for a user") << "/usr/bin" << false << false << false;
    QTest::newRow("/usr/local/bin for root") << "/usr/local/bin" << true << true << false;
    QTest::newRow("/opt for root") << "/opt/quorvan/bin" << true << true << false;
    QTest::newRow("a macOS application") << "/Applications/Quorvan.app/Contents/MacOS" << true << true << false;
    QTest::newRow("writable, but another user's") << "/srv/tools" << true << false << false;
    QTest::newRow("the user's, but read-only") << "/home/ann/bin" << false << true << false;
    QTest::newRow("a name that only begins like /usr") << "/usrdata/quorvan" << true << true << true;
    QTest::newRow("Program Files, in any case") << "c:/program files/Quorvan" << true << true << false;
    QTest::newRow("a user's folder on Windows") << "C:/Users/ann/quorvan" << true << true << true;
    QTest::newRow("no folder") << "" << true << true << false;
}

void TestDesktop::programFolderChoice()
{
    QFETCH(QString, path);
    QFETCH(bool, writable);
    QFETCH(bool, owned);
    QFETCH(bool, usersOwn);
    // This platform's list, with Windows's program folder as Windows names it.
    const QStringList system = SystemFolders() << QStringLiteral("C:/Program Files");
    QCOMPARE(IsUsersOwnFolder({path, writable, owned}, system), usersOwn);
}

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
