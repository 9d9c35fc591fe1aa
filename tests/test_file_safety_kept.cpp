// What a save keeps, driven through the main window as a user would: the
// backup is a file of its own and outlives a failed save, the file keeps its
// owner, group, mode and hard links, and names are used exactly as chosen, up
// to the longest the disk allows. The file layer's own test (test_filewriter)
// checks the same on the data level.

#include "data/RomDocument.h"
#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "support/PatchDecoders.h"
#include "support/WindowFiles.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace quorvan;
using namespace quorvan::test;

class TestFileSafetyKept : public QObject {
    Q_OBJECT
private slots:
    void init() { ui_ = std::make_unique<FileWindow>(); }
    void cleanup()
    {
        ui_->finish();
        ui_.reset();
    }

    void backupNeverThroughALink_data();
    void backupNeverThroughALink();
    void whatTheFileWasIsKept_data();
    void whatTheFileWasIsKept();
    void namesExactlyAsChosen_data();
    void namesExactlyAsChosen();
    void longNames_data();
    void longNames();
    void olderBackupKeptWhenSaveFails_data();
    void olderBackupKeptWhenSaveFails();

private:
    std::unique_ptr<FileWindow> ui_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

// ---------------------------------------------------------------------------
// The backup and the file keep what they were.

namespace {
enum class AtBackup { LinkToOther, LinkToImage, HardLinkOfOther };
} // namespace

void TestFileSafetyKept::backupNeverThroughALink_data()
{
    QTest::addColumn<int>("at");
    QTest::newRow("a.nes.bak links to another file") << int(AtBackup::LinkToOther);
    QTest::newRow("a.nes.bak links to the image itself") << int(AtBackup::LinkToImage);
    QTest::newRow("a.nes.bak is a hard link of another file") << int(AtBackup::HardLinkOfOther);
}

void TestFileSafetyKept::backupNeverThroughALink()
{
    QFETCH(int, at);
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    const QString bak = image + QStringLiteral(".bak");
    const Bytes notes = {'n', 'o', 't', 'e', 's'};
    const QString other = box.write(QStringLiteral("notes.txt"), notes);
    QString why;
    const bool made = static_cast<AtBackup>(at) == AtBackup::LinkToOther   ? QFile::link(other, bak)
                      : static_cast<AtBackup>(at) == AtBackup::LinkToImage ? QFile::link(image, bak)
                                                                             : MakeHardLink(other, bak, &why);
    if (!made || !Facts(bak).exists)
        QSKIP(qPrintable(QStringLiteral("cannot make links with known facts here: ") + why));
    ui_->open(image);
    QVERIFY(RomImage.write(0x1000, 0x5A));
    ui_->trigger(ui_->window().mnuSave());
    QCOMPARE(answerer_.seen().size(), 0); // saved without a word
    QVERIFY2(ReadFileBytes(other) == notes, "the backup was written through the link");
    QVERIFY(ReadFileBytes(image) == ImageNow());
    QVERIFY2(ReadFileBytes(bak) == Original(), "no copy of the old image exists");
    const FileFacts kept = Facts(bak);
    QVERIFY2(kept.regular && kept.links == 1, "the backup is not a file of its own");
    QVERIFY(!RomImage.modified());
}

void TestFileSafetyKept::whatTheFileWasIsKept_data()
{
    QTest::addColumn<int>("uid"); // -1: as made
    QTest::addColumn<int>("gid");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("hardLink");
    QTest::addColumn<bool>("teammate"); // saved by user 1000 of group 2000, in a shared folder
    QTest::addColumn<bool>("needsRoot");
    const auto row = [](const char* name, int uid, int gid, int mode, bool link, bool teammate, bool root) {
        QTest::newRow(name) << uid << gid << mode << link << teammate << root;
    };
    row("a private 0600 image, and its backup", -1, -1, 0600, false, false, false);
    row("a file with a second hard link", -1, -1, 0644, true, false, false);
    row("root saves nobody:nogroup 0640", 65534, 65534, 0640, false, false, true);
    row("root saves a setuid, setgid, sticky file", 0, 0, 07755, false, false, true);
    row("a teammate saves 1001:2000 0660 in a shared folder", 1001, 2000, 0660, false, true, true);
}

void TestFileSafetyKept::whatTheFileWasIsKept()
{
    QFETCH(int, uid);
    QFETCH(int, gid);
    QFETCH(int, mode);
    QFETCH(bool, hardLink);
    QFETCH(bool, teammate);
    QFETCH(bool, needsRoot);
    if (needsRoot && !RunsAsRoot())
        QSKIP("needs root, to give files to other users and to save as them");
    if (FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer keeps neither owner, group, special mode bits nor hard links");
    Sandbox box;
    const QString folder = box.path(QStringLiteral("shared"));
    QVERIFY(QDir().mkdir(folder));
    QString why;
    QVERIFY2(SetOwnerAndMode(box.path(QString()), -1, -1, 0755, &why) && SetOwnerAndMode(folder, -1, -1, 0777, &why),
             qPrintable(why));
    const QString image = box.demoImage(QStringLiteral("shared/a.nes"));
    const QString bak = image + QStringLiteral(".bak");
    const QString second = box.path(QStringLiteral("shared/b.nes"));
    if (hardLink && !MakeHardLink(image, second, &why))
        QSKIP(qPrintable(QStringLiteral("cannot make a hard link here: ") + why));
    QVERIFY2(SetOwnerAndMode(image, uid, gid, unsigned(mode), &why), qPrintable(why));
    const FileFacts before = Facts(image);

    Bytes saved;
    if (teammate) {
        // Another user's program: a document of its own in a child process.
        const auto save = [&image] {
            RomDocument document;
            if (!document.Open(image).ok() || !document.image().write(0x1000, 0x5A))
                return 1;
            return document.Save().ok() ? 0 : 2;
        };
        const ChildUser as{1000, 1000, {2000}};
        const auto code = RunInChild(save, 10, &as, &why);
        QVERIFY2(code.has_value(), qPrintable(why));
        QCOMPARE(*code, 0);
        saved = Original();
        saved[0x1000] = 0x5A;
    } else {
        ui_->open(image);
        QVERIFY(RomImage.write(0x1000, 0x5A));
        ui_->trigger(ui_->window().mnuSave());
        QCOMPARE(answerer_.seen().size(), 0);
        saved = ImageNow();
    }
    QVERIFY(ReadFileBytes(image) == saved);
    const FileFacts after = Facts(image);
    QCOMPARE(after.uid, before.uid);
    QCOMPARE(after.gid, before.gid);
    QCOMPARE(QString::number(after.mode, 8), QString::number(before.mode, 8));
    QCOMPARE(after.links, before.links);
    if (hardLink)
        QVERIFY2(ReadFileBytes(second) == saved, "the other name of the file kept the old bytes");
    // The backup: a file of its own, never readable by more than the image.
    QVERIFY(ReadFileBytes(bak) == Original());
    const FileFacts kept = Facts(bak);
    QVERIFY(kept.regular && kept.links == 1);
    QCOMPARE(QString::number(kept.mode, 8), QString::number(before.mode & 0777, 8));
    QCOMPARE(kept.gid, before.gid);
    if (!teammate)
        QCOMPARE(kept.uid, before.uid);
    QStringList expected{QStringLiteral("a.nes"), QStringLiteral("a.nes.bak")};
    if (hardLink)
        expected << QStringLiteral("b.nes");
    QCOMPARE(Listing(folder), expected);
}

// ---------------------------------------------------------------------------
// Names: exactly as chosen, and as long as the disk allows.

namespace {
enum class Way { OpenAndSave, SaveAs, ExportIps };
} // namespace

void TestFileSafetyKept::namesExactlyAsChosen_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<QString>("chosen"); // its twin is the name without the trailing space
    QTest::newRow("open \"trail.nes \" and save") << int(Way::OpenAndSave) << "trail.nes ";
    QTest::newRow("Save As \"keep.nes \" beside keep.nes") << int(Way::SaveAs) << "keep.nes ";
    QTest::newRow("export \"patch.ips \" beside patch.ips") << int(Way::ExportIps) << "patch.ips ";
}

void TestFileSafetyKept::namesExactlyAsChosen()
{
    QFETCH(int, way);
    QFETCH(QString, chosen);
    const auto how = static_cast<Way>(way);
    Sandbox box;
    const QString twin = box.write(chosen.trimmed(), Theirs());
    const QString path = box.path(chosen);
    QString image = box.demoImage(QStringLiteral("a.nes"));
    if (how == Way::OpenAndSave) {
        image = box.write(chosen, Original());
        QVERIFY(QFile::remove(box.path(QStringLiteral("a.nes"))));
        answerer_.expect(ChooseFile(path));
        ui_->trigger(ui_->window().mnuOpen());
        QCOMPARE(RomFileName, QDir::toNativeSeparators(path));
        QVERIFY(ImageNow() == Original());
    } else {
        ui_->open(image);
    }
    QVERIFY(RomImage.write(0x1000, 0x5A));
    if (how != Way::OpenAndSave)
        answerer_.expect(ChooseFile(path)); // and no question: nothing has that name
    frmQuorvan& window = ui_->window();
    ui_->trigger(how == Way::OpenAndSave ? window.mnuSave() : how == Way::SaveAs ? window.mnuSaveAS() : window.mnuExportIPS());

    QCOMPARE(ui_->asked(QStringLiteral("Save As")) + ui_->asked(QStringLiteral("Export IPS Patch")), 0);
    QVERIFY2(ReadFileBytes(twin) == Theirs(), "the file without the trailing space was written");
    QVERIFY(!QFileInfo::exists(twin + QStringLiteral(".bak")));
    QStringList expected{QFileInfo(twin).fileName(), chosen};
    if (how == Way::OpenAndSave)
        expected << chosen + QStringLiteral(".bak");
    else
        expected << QStringLiteral("a.nes");
    expected.sort();
    QCOMPARE(Listing(box.path(QString())), expected);
    const Bytes written = ReadFileBytes(path);
    if (how == Way::ExportIps) {
        const DecodedPatch decoded = DecodeIps(Original(), written);
        QVERIFY2(decoded.error.isEmpty() && decoded.image == ImageNow(), qPrintable(decoded.error));
        return;
    }
    QVERIFY(written == ImageNow());
    QCOMPARE(RomFileName, QDir::toNativeSeparators(path));
}

void TestFileSafetyKept::longNames_data()
{
    QTest::addColumn<int>("length"); // of the image's name, in bytes
    QTest::addColumn<int>("reply");  // to "save without keeping a copy?"
    QTest::addColumn<bool>("saveAs"); // a new file by Save As, then Save
    for (int length = 249; length <= 251; ++length)
        QTest::addRow("%d bytes: saved with its backup", length) << length << int(Reply::None) << false;
    for (int length = 252; length <= 255; ++length) {
        QTest::addRow("%d bytes: saved without a backup", length) << length << int(Reply::Yes) << false;
        QTest::addRow("%d bytes: not saved", length) << length << int(Reply::No) << false;
    }
    QTest::addRow("Save As a new name of 255 bytes, then Save") << 255 << int(Reply::None) << true;
}

void TestFileSafetyKept::longNames()
{
    QFETCH(int, length);
    QFETCH(int, reply);
    QFETCH(bool, saveAs);
    const auto answer = static_cast<Reply>(reply);
    if (FileLayerIsQtOnly())
        QSKIP("in the Qt-only file layer, QSaveFile's temporary name grows with the target's");
    Sandbox box;
    const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".nes");
    const QString path = box.path(name);
    const QString bak = path + QStringLiteral(".bak");
    const QString image = saveAs ? box.demoImage(QStringLiteral("a.nes")) : box.demoImage(name);
    ui_->open(image);
    QVERIFY(RomImage.write(0x1000, 0x5A));
    if (saveAs) {
        answerer_.expect(ChooseFile(path));
        ui_->trigger(ui_->window().mnuSaveAS());
        QVERIFY(ReadFileBytes(path) == ImageNow());
        QVERIFY(RomImage.write(0x1001, 0x5B));
    }
    if (answer != Reply::None)
        answerer_.expect(Respond(answer));
    ui_->trigger(ui_->window().mnuSave());

    const QStringList listing = Listing(box.path(QString()));
    if (answer == Reply::None) {
        QCOMPARE(answerer_.seen().size(), saveAs ? 1 : 0);
        QVERIFY(ReadFileBytes(path) == ImageNow());
        QVERIFY(!RomImage.modified());
        if (!saveAs)
            QVERIFY(ReadFileBytes(bak) == Original());
        QCOMPARE(listing.size(), 2); // the image and its backup, or the two images
        return;
    }
    QCOMPARE(answerer_.seen().size(), 1);
    QVERIFY2(answerer_.seen().first().contains(QStringLiteral("too long")), qPrintable(answerer_.seen().first()));
    QCOMPARE(listing, QStringList{name}); // no backup, nothing left behind
    if (answer == Reply::Yes) {
        QVERIFY(ReadFileBytes(path) == ImageNow());
        QVERIFY(!RomImage.modified());
    } else {
        QVERIFY(ReadFileBytes(path) == Original());
        QVERIFY(RomImage.modified());
    }
}

void TestFileSafetyKept::olderBackupKeptWhenSaveFails_data()
{
    QTest::addColumn<bool>("immutable"); // else the disk fills up after the backup was written
    QTest::newRow("the image was made immutable") << true;
    QTest::newRow("the disk fills up after the backup was written") << false;
}

void TestFileSafetyKept::olderBackupKeptWhenSaveFails()
{
    QFETCH(bool, immutable);
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    const Bytes older = {'o', 'l', 'd', 'e', 'r'};
    const QString bak = box.write(QStringLiteral("a.nes.bak"), older); // from an earlier session
    ui_->open(image);
    QVERIFY(RomImage.write(0x1000, 0x5A));

    Bytes onDisk = Original();
    std::unique_ptr<ImmutableFile> locked;
    std::unique_ptr<FileSizeLimit> limit;
    if (immutable) {
        locked = std::make_unique<ImmutableFile>(image);
        if (!locked->active())
            QSKIP(qPrintable(QStringLiteral("cannot make the image immutable: ") + locked->whyNot()));
        answerer_.expect(Respond(Reply::No)); // to "save under another name?"
    } else {
        // Another program left a short file there; its copy fits, the image does not.
        onDisk.resize(50000);
        ChangeOnDisk(Change::InPlace, image, onDisk);
        limit = std::make_unique<FileSizeLimit>(100000);
        if (!limit->active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit->whyNot()));
        answerer_.expect(Respond(Reply::Overwrite));
        answerer_.expect(ClickButton(QStringLiteral("OK")));
    }
    const QStringList listing = Listing(box.path(QString()));
    ui_->trigger(ui_->window().mnuSave());
    limit.reset();
    locked.reset();

    const QString message = answerer_.seen().last();
    if (immutable)
        QVERIFY2(message.startsWith(QStringLiteral("File Is Read-Only|")), qPrintable(message));
    else
        QVERIFY2(message.startsWith(QStringLiteral("File Error|")) &&
                     message.contains(QStringLiteral("100000 of 262288 bytes")),
                 qPrintable(message));
    QVERIFY2(ReadFileBytes(bak) == older, "the older backup was replaced by a save that failed");
    QVERIFY(ReadFileBytes(image) == onDisk);
    QCOMPARE(Listing(box.path(QString())), listing);
    QVERIFY(RomImage.modified());
}

QTEST_MAIN(TestFileSafetyKept)
#include "test_file_safety_kept.moc"
