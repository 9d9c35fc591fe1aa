// Files that others change and files in the way, driven through the main
// window as a user would: a file another program or window changed is never
// saved over without a word and is offered for reloading, an existing file is
// replaced only once the user agreed (Save As, the patch exports), a
// read-only file not at all, and nothing but a regular file is opened or
// written. The file layer's own test (test_filewriter) checks the same guards
// on the data level, and its kill -9 loop stands for saves stopped midway;
// test_file_safety_kept checks what a save keeps, test_file_safety_cli the
// names given on the command line.

#include "data/RomDocument.h"
#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "support/PatchDecoders.h"
#include "support/WindowFiles.h"
#include "ui/main/frmQuorvan.h"
#include "ui/prefs/Preferences.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

using namespace quorvan;
using namespace quorvan::test;

class TestFileSafety : public QObject {
    Q_OBJECT
private slots:
    void init() { ui_ = std::make_unique<FileWindow>(); }
    void cleanup()
    {
        ui_->finish();
        ui_.reset();
    }

    void changedOnDiskBeforeSave_data();
    void changedOnDiskBeforeSave();
    void twoWindowsOnOneFile();
    void reloadWhenActiveAgain_data();
    void reloadWhenActiveAgain();
    void replacedOnlyWhenAgreed_data();
    void replacedOnlyWhenAgreed();
    void readOnlyFileIsNotReplaced_data();
    void readOnlyFileIsNotReplaced();
    void onlyRegularFilesOpen_data();
    void onlyRegularFilesOpen();
    void undecodableNamesRefused_data();
    void undecodableNamesRefused();

private:
    std::unique_ptr<FileWindow> ui_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

// ---------------------------------------------------------------------------
// A file changed on disk is saved over only when the user says so.

void TestFileSafety::changedOnDiskBeforeSave_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("reply");
    QTest::addColumn<bool>("whileSaving"); // the change lands after Save's first check, before its rename
    const auto row = [](const char* name, Change change, Reply reply, bool whileSaving = false) {
        QTest::newRow(name) << int(change) << int(reply) << whileSaving;
    };
    row("changed in place, size and time put back: Cancel", Change::InPlace, Reply::Cancel);
    row("changed in place: Enter cancels", Change::InPlace, Reply::Enter);
    row("changed in place: Escape cancels", Change::InPlace, Reply::Escape);
    row("changed in place: Overwrite keeps theirs as .bak", Change::InPlace, Reply::Overwrite);
    row("changed in place: Save As leaves theirs", Change::InPlace, Reply::SaveAs);
    row("replaced by a rename: Cancel", Change::Renamed, Reply::Cancel);
    row("replaced by a rename: Overwrite keeps theirs as .bak", Change::Renamed, Reply::Overwrite);
    row("removed: written again without a question", Change::Removed, Reply::None);
    row("changed in place while being saved: Cancel", Change::InPlace, Reply::Cancel, true);
    row("changed in place while being saved: Overwrite keeps theirs as .bak", Change::InPlace, Reply::Overwrite, true);
}

void TestFileSafety::changedOnDiskBeforeSave()
{
    QFETCH(int, change);
    QFETCH(int, reply);
    QFETCH(bool, whileSaving);
    const auto how = static_cast<Change>(change);
    const auto answer = static_cast<Reply>(reply);
    if (how == Change::Renamed && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer knows no file identity");
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("a.nes"));
    const QString bak = path + QStringLiteral(".bak");
    ui_->open(path);
    // Saved once this session: the original is the backup, later saves make none.
    QVERIFY(RomImage.write(0x1000, 0x5A));
    ui_->trigger(ui_->window().mnuSave());
    QVERIFY(ReadFileBytes(bak) == Original());
    QVERIFY(RomImage.write(0x1001, 0x5B));
    const Bytes mine = ImageNow();

    std::unique_ptr<WriteWhenReadAgain> meanwhile;
    if (whileSaving) {
        meanwhile = std::make_unique<WriteWhenReadAgain>(path, Theirs());
        if (!meanwhile->active())
            QSKIP(qPrintable(meanwhile->whyNot()));
    } else {
        ChangeOnDisk(how, path, Theirs());
    }
    const QString other = box.path(QStringLiteral("b.nes"));
    QString defaultButton;
    if (answer != Reply::None)
        answerer_.expect(NotingDefault(&defaultButton, Respond(answer)));
    if (answer == Reply::SaveAs)
        answerer_.expect(ChooseFile(other));
    ui_->trigger(ui_->window().mnuSave());

    if (answer == Reply::None) {
        QCOMPARE(answerer_.seen().size(), 0);
        QVERIFY(ReadFileBytes(path) == mine);
        QVERIFY(ReadFileBytes(bak) == Original());
        QVERIFY(!RomImage.modified());
        return;
    }
    QVERIFY(!meanwhile || meanwhile->written());
    QVERIFY(!meanwhile || meanwhile->written());
    QCOMPARE(ui_->asked(QStringLiteral("File Changed on Disk")), 1);
    const QString question = answerer_.seen().first();
    QVERIFY2(question.contains(QStringLiteral("a.nes")), qPrintable(question));
    QVERIFY2(question.contains(how == Change::InPlace ? QStringLiteral("another program has changed it")
                                                      : QStringLiteral("another file has taken its place")),
             qPrintable(question));
    QCOMPARE(defaultButton, QStringLiteral("Cancel"));
    switch (answer) {
    case Reply::Overwrite: {
        QVERIFY(ReadFileBytes(path) == mine);
        QVERIFY2(ReadFileBytes(bak) == Theirs(), "the other program's version is not kept");
        QVERIFY(!RomImage.modified());
        // Their version stays the backup: the next save is over this session's own.
        QVERIFY(RomImage.write(0x1002, 0x5C));
        ui_->trigger(ui_->window().mnuSave());
        QCOMPARE(answerer_.seen().size(), 1);
        QVERIFY(ReadFileBytes(path) == ImageNow() && ReadFileBytes(bak) == Theirs());
        break;
    }
    case Reply::SaveAs:
        QVERIFY(ReadFileBytes(other) == mine);
        QVERIFY(ReadFileBytes(path) == Theirs() && ReadFileBytes(bak) == Original());
        QCOMPARE(QDir::fromNativeSeparators(RomFileName), other);
        QVERIFY(!RomImage.modified());
        break;
    default: // cancelled, whichever way
        QVERIFY2(ReadFileBytes(path) == Theirs(), "the other program's version was saved over");
        QVERIFY(ReadFileBytes(bak) == Original());
        QVERIFY(ImageNow() == mine && RomImage.modified());
        QCOMPARE(QDir::fromNativeSeparators(RomFileName), path);
        QCOMPARE(Listing(box.path(QString())), (QStringList{QStringLiteral("a.nes"), QStringLiteral("a.nes.bak")}));
        break;
    }
}

void TestFileSafety::twoWindowsOnOneFile()
{
    // The window and a second document (as in another window of the program)
    // on one file: each save over the other's asks first, and the version it
    // replaces is kept as the backup.
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("a.nes"));
    const QString bak = path + QStringLiteral(".bak");
    ui_->open(path);
    RomDocument second;
    QVERIFY(second.Open(path).ok());
    const auto secondBytes = [&second] { return Bytes(second.image().bytes().begin(), second.image().bytes().end()); };

    QVERIFY(RomImage.write(0x1000, 0xA1));
    ui_->trigger(ui_->window().mnuSave());
    const Bytes a1 = ImageNow();
    QVERIFY(ReadFileBytes(path) == a1 && ReadFileBytes(bak) == Original());

    QVERIFY(second.image().write(0x2000, 0xB1));
    QCOMPARE(int(second.Save().status), int(RomDocument::SaveResult::Status::ChangedOnDisk));
    QVERIFY2(ReadFileBytes(path) == a1 && ReadFileBytes(bak) == Original(), "the second window wrote without asking");
    RomDocument::SaveOptions overwrite;
    overwrite.overwriteChangedFile = true;
    QVERIFY(second.Save(overwrite).ok());
    const Bytes b1 = secondBytes();
    QVERIFY(ReadFileBytes(path) == b1);
    QVERIFY2(ReadFileBytes(bak) == a1, "the first window's save is kept nowhere");

    QVERIFY(RomImage.write(0x1001, 0xA2));
    answerer_.expect(Respond(Reply::Cancel));
    ui_->trigger(ui_->window().mnuSave());
    QCOMPARE(ui_->asked(QStringLiteral("File Changed on Disk")), 1);
    QVERIFY2(ReadFileBytes(path) == b1, "the second window's save was overwritten");
    answerer_.expect(Respond(Reply::Overwrite));
    ui_->trigger(ui_->window().mnuSave());
    QVERIFY(ReadFileBytes(path) == ImageNow() && ReadFileBytes(bak) == b1);
    QVERIFY(!RomImage.modified());

    QVERIFY(second.image().write(0x2001, 0xB2));
    QCOMPARE(int(second.Save().status), int(RomDocument::SaveResult::Status::ChangedOnDisk));
}

// ---------------------------------------------------------------------------
// Back in the program, a file changed on disk is offered for reloading.

void TestFileSafety::reloadWhenActiveAgain_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("modified"); // unsaved changes at the time
    QTest::addColumn<int>("reply");
    QTest::addColumn<bool>("bySignal"); // the application's state changes, or the check is called
    QTest::addColumn<bool>("reloads");
    const auto row = [](const char* name, Change change, bool modified, Reply reply, bool bySignal, bool reloads) {
        QTest::newRow(name) << int(change) << modified << int(reply) << bySignal << reloads;
    };
    row("nothing changed: no question", Change::None, false, Reply::None, true, false);
    row("removed: no question", Change::Removed, false, Reply::None, false, false);
    row("changed in place, size and time put back: Yes reloads", Change::InPlace, false, Reply::Yes, true, true);
    row("replaced by a rename: Enter reloads", Change::Renamed, false, Reply::Enter, false, true);
    row("unsaved changes: Enter keeps them", Change::InPlace, true, Reply::Enter, true, false);
    row("unsaved changes: Yes drops them", Change::Renamed, true, Reply::Yes, false, true);
    row("No: not asked again until the file changes again", Change::InPlace, false, Reply::No, false, false);
}

void TestFileSafety::reloadWhenActiveAgain()
{
    QFETCH(int, change);
    QFETCH(bool, modified);
    QFETCH(int, reply);
    QFETCH(bool, bySignal);
    QFETCH(bool, reloads);
    const auto how = static_cast<Change>(change);
    if (how == Change::Renamed && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer knows no file identity");
    Sandbox box;
    const QString path = box.demoImage(QStringLiteral("a.nes"));
    ui_->open(path);
    if (modified)
        QVERIFY(RomImage.write(0x1000, 0x5A));
    const Bytes mine = ImageNow();
    const auto becomeActive = [this, bySignal] {
        if (bySignal) {
            emit qApp->applicationStateChanged(Qt::ApplicationActive);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        } else {
            ui_->window().CheckFileOnDisk();
        }
        QTRY_COMPARE(answerer_.pending(), 0);
    };
    const QString title = QStringLiteral("File Changed on Disk");

    ChangeOnDisk(how, path, Theirs());
    QString defaultButton;
    if (static_cast<Reply>(reply) != Reply::None)
        answerer_.expect(NotingDefault(&defaultButton, Respond(static_cast<Reply>(reply))));
    becomeActive();
    if (static_cast<Reply>(reply) == Reply::None) {
        QCOMPARE(answerer_.seen().size(), 0);
        QVERIFY(ImageNow() == mine);
        return;
    }
    QCOMPARE(ui_->asked(title), 1);
    const QString question = answerer_.seen().first();
    QVERIFY2(question.contains(QStringLiteral("a.nes")) && question.contains(QStringLiteral("Reload")),
             qPrintable(question));
    QCOMPARE(question.contains(QStringLiteral("have not been saved")), modified);
    QCOMPARE(defaultButton, modified ? QStringLiteral("No") : QStringLiteral("Yes"));

    if (reloads) {
        QVERIFY(ImageNow() == Theirs());
        QVERIFY(!RomImage.modified());
        QCOMPARE(QDir::fromNativeSeparators(RomFileName), path);
        // What was reloaded is what the next save goes over: no question.
        QVERIFY(RomImage.write(0x1001, 0x5B));
        ui_->trigger(ui_->window().mnuSave());
        QCOMPARE(answerer_.seen().size(), 1);
        QVERIFY(ReadFileBytes(path) == ImageNow());
        return;
    }
    QVERIFY(ImageNow() == mine);
    QCOMPARE(RomImage.modified(), modified);
    becomeActive(); // declined: not asked again for the same file
    QCOMPARE(ui_->asked(title), 1);
    ChangeOnDisk(Change::InPlace, path, Later()); // until it changes again
    answerer_.expect(Respond(Reply::No));
    becomeActive();
    QCOMPARE(ui_->asked(title), 2);
    // Keeping the image over their file does not make Save write over it unasked.
    QVERIFY(RomImage.write(0x1002, 0x5C));
    answerer_.expect(Respond(Reply::Cancel));
    ui_->trigger(ui_->window().mnuSave());
    QCOMPARE(ui_->asked(title), 3);
    QVERIFY(ReadFileBytes(path) == Later());
}

// ---------------------------------------------------------------------------
// Save As and the patch exports replace an existing file only once the user
// agreed, and never anything but a regular file.

namespace {
enum class Command { SaveAs, ExportIps, ExportBps };
// What is at the chosen name; the clean original is "clean.nes", set in Preferences.
enum class There { File, Pipe, Device, FullDisk, CleanOriginal, LinkOfImage, LinkOfClean };
} // namespace

void TestFileSafety::replacedOnlyWhenAgreed_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("there");
    QTest::addColumn<int>("reply"); // to "already exists"
    const auto row = [](const char* title, Command command, const char* name, There there, Reply reply) {
        QTest::newRow(title) << int(command) << QString::fromLatin1(name) << int(there) << int(reply);
    };
    row("Save As over another image: Yes", Command::SaveAs, "other.nes", There::File, Reply::Yes);
    row("Save As over another image: No", Command::SaveAs, "other.nes", There::File, Reply::No);
    row("IPS over an older patch: Yes", Command::ExportIps, "old.ips", There::File, Reply::Yes);
    row("IPS over another image: No", Command::ExportIps, "other.nes", There::File, Reply::No);
    row("IPS over the image's backup: No", Command::ExportIps, "a.nes.bak", There::File, Reply::No);
    row("IPS over an older patch: Enter means No", Command::ExportIps, "old.ips", There::File, Reply::Enter);
    row("BPS over an older patch: Yes", Command::ExportBps, "old.bps", There::File, Reply::Yes);
    row("BPS over another image: No", Command::ExportBps, "other.nes", There::File, Reply::No);
    row("IPS to a named pipe", Command::ExportIps, "pipe.ips", There::Pipe, Reply::None);
    row("BPS to a named pipe", Command::ExportBps, "pipe.bps", There::Pipe, Reply::None);
    row("IPS to a device node", Command::ExportIps, "device.ips", There::Device, Reply::None);
    row("BPS to a device node", Command::ExportBps, "device.bps", There::Device, Reply::None);
    row("IPS on a full disk", Command::ExportIps, "new.ips", There::FullDisk, Reply::None);
    row("BPS on a full disk", Command::ExportBps, "new.bps", There::FullDisk, Reply::None);
    // An input by another name is that input: refused before any question.
    row("IPS to a hard link of the open image", Command::ExportIps, "link.ips", There::LinkOfImage, Reply::None);
    row("BPS to a hard link of the clean original", Command::ExportBps, "link.bps", There::LinkOfClean, Reply::None);
    row("Save As onto the clean original", Command::SaveAs, "clean.nes", There::CleanOriginal, Reply::None);
    row("Save As onto a hard link of the clean original", Command::SaveAs, "link.nes", There::LinkOfClean, Reply::None);
}

void TestFileSafety::replacedOnlyWhenAgreed()
{
    QFETCH(int, command);
    QFETCH(QString, name);
    QFETCH(int, there);
    QFETCH(int, reply);
    const auto cmd = static_cast<Command>(command);
    const auto what = static_cast<There>(there);
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    const QString target = box.path(name);
    const Bytes older = {'o', 'l', 'd', 'e', 'r'};
    std::optional<QString> whyNot;
    switch (what) {
    case There::File: box.write(name, name.endsWith(QStringLiteral(".nes.bak")) ? Original() : older); break;
    case There::Pipe: whyNot = MakeSpecial(Special::Pipe, target); break;
    case There::Device: whyNot = MakeSpecial(Special::Device, target); break;
    case There::FullDisk: break;
    case There::CleanOriginal:
    case There::LinkOfImage:
    case There::LinkOfClean: {
        const QString clean = box.write(QStringLiteral("clean.nes"), Original());
        Preferences preferences;
        preferences.cleanOriginal = clean;
        preferences.Save();
        QString why;
        if (what != There::CleanOriginal && !MakeHardLink(what == There::LinkOfImage ? image : clean, target, &why))
            whyNot = why;
        break;
    }
    }
    // The clean original is set for this row only.
    const auto forget = qScopeGuard([] { Preferences().Save(); });
    if (whyNot)
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + *whyNot));
    ui_->open(image);
    // Enough changed bytes that the patch is far larger than the full disk's room.
    for (std::int64_t offset = 0x8000; offset < 0xB000; ++offset)
        QVERIFY(RomImage.write(offset, std::uint8_t(Original()[std::size_t(offset)] ^ (offset * 37 + 1))));
    const bool regular = what != There::Pipe && what != There::Device && what != There::FullDisk;
    const Bytes before = regular ? ReadFileBytes(target) : Bytes{}; // a pipe would wait
    const FileFacts factsBefore = Facts(target);
    const QStringList listing = Listing(box.path(QString()));

    answerer_.expect(ChooseFile(target));
    if (static_cast<Reply>(reply) != Reply::None)
        answerer_.expect(Respond(static_cast<Reply>(reply)));
    // Declined: the chooser comes back with the name still typed, and is cancelled.
    QString typedAgain;
    const bool declined = what == There::File && static_cast<Reply>(reply) != Reply::Yes;
    if (declined)
        answerer_.expect([&typedAgain](QWidget* dialog) {
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                typedAgain = edit->text();
            CancelDialog()(dialog);
        });
    if (what != There::File)
        answerer_.expect(ClickButton(QStringLiteral("OK")));
    QAction* action = cmd == Command::SaveAs    ? ui_->window().mnuSaveAS()
                      : cmd == Command::ExportIps ? ui_->window().mnuExportIPS()
                                                  : ui_->window().mnuExportBPS();
    std::unique_ptr<FileSizeLimit> limit;
    if (what == There::FullDisk) {
        limit = std::make_unique<FileSizeLimit>(1000);
        if (!limit->active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit->whyNot()));
    }
    ui_->trigger(action);
    limit.reset();

    if (declined)
        QCOMPARE(typedAgain, name);
    if (what == There::File) {
        QCOMPARE(answerer_.seen().size(), declined ? 3 : 2);
        QVERIFY2(answerer_.seen().at(1).contains(QStringLiteral("already exists")) && answerer_.seen().at(1).contains(name),
                 qPrintable(answerer_.seen().at(1)));
        if (static_cast<Reply>(reply) != Reply::Yes) {
            QVERIFY2(ReadFileBytes(target) == before, "replaced although the user said no");
            QCOMPARE(Listing(box.path(QString())), listing);
            QCOMPARE(QDir::fromNativeSeparators(RomFileName), image);
            return;
        }
        const Bytes written = ReadFileBytes(target);
        QStringList expected = listing;
        if (cmd == Command::SaveAs) {
            QVERIFY(written == ImageNow());
            QCOMPARE(QDir::fromNativeSeparators(RomFileName), target);
            // The image it replaced is kept, as before any first save over a file.
            QVERIFY(ReadFileBytes(target + QStringLiteral(".bak")) == before);
            expected << name + QStringLiteral(".bak");
            expected.sort();
        } else {
            const DecodedPatch decoded =
                cmd == Command::ExportIps ? DecodeIps(Original(), written) : DecodeBps(Original(), written);
            QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
            QVERIFY(decoded.image == ImageNow());
        }
        QCOMPARE(Listing(box.path(QString())), expected);
        return;
    }
    // Refused with the reason, and what is there is left as it was.
    QCOMPARE(answerer_.seen().size(), 2);
    const QString message = answerer_.seen().last();
    QVERIFY2(message.startsWith(QStringLiteral("File Error|")) && message.contains(name), qPrintable(message));
    QVERIFY2(!message.contains(QStringLiteral("Unknown error")), qPrintable(message));
    if (what == There::FullDisk)
        QVERIFY2(message.contains(QRegularExpression(QStringLiteral("Only 1000 of \\d+ bytes could be written"))),
                 qPrintable(message));
    else if (what == There::LinkOfImage)
        QVERIFY2(message.contains(QStringLiteral("It is the open image")), qPrintable(message));
    else if (regular)
        QVERIFY2(message.contains(QStringLiteral("It is the clean original")), qPrintable(message));
    else
        QVERIFY2(message.contains(QStringLiteral("not a regular file")), qPrintable(message));
    QVERIFY(Facts(target) == factsBefore);
    if (regular)
        QVERIFY2(ReadFileBytes(target) == before && ReadFileBytes(image) == Original(), "an input was written over");
    QCOMPARE(Listing(box.path(QString())), listing);
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), image);
}

void TestFileSafety::readOnlyFileIsNotReplaced_data()
{
    QTest::addColumn<int>("reply");
    QTest::newRow("No: nothing written") << int(Reply::No);
    QTest::newRow("Yes: saved under another name") << int(Reply::Yes);
}

void TestFileSafety::readOnlyFileIsNotReplaced()
{
    // Without write bits the file is not replaced, even by root (as CI runs).
    QFETCH(int, reply);
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    QVERIFY(QFile::setPermissions(image, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const FileFacts before = Facts(image);
    ui_->open(image);
    QVERIFY(RomImage.write(0x1000, 0x5A));
    const QString other = box.path(QStringLiteral("b.nes"));
    answerer_.expect(Respond(static_cast<Reply>(reply)));
    if (static_cast<Reply>(reply) == Reply::Yes)
        answerer_.expect(ChooseFile(other));
    ui_->trigger(ui_->window().mnuSave());

    const QString question = answerer_.seen().first();
    QVERIFY2(question.startsWith(QStringLiteral("File Is Read-Only|")) && question.contains(QStringLiteral("a.nes")),
             qPrintable(question));
    QVERIFY2(ReadFileBytes(image) == Original(), "the read-only file was replaced");
    QVERIFY(Facts(image) == before);
    QVERIFY(!QFileInfo::exists(image + QStringLiteral(".bak")));
    if (static_cast<Reply>(reply) == Reply::No) {
        QVERIFY(RomImage.modified());
        QCOMPARE(QDir::fromNativeSeparators(RomFileName), image);
        return;
    }
    QVERIFY(ReadFileBytes(other) == ImageNow());
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), other);
    QVERIFY(!RomImage.modified());
}

// ---------------------------------------------------------------------------
// Only regular files are opened, and opening never waits.

void TestFileSafety::onlyRegularFilesOpen_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("patch"); // chosen in Apply Patch, else in Open
    QTest::newRow("a named pipe") << int(Special::Pipe) << false;
    QTest::newRow("a link to a named pipe") << int(Special::LinkToPipe) << false;
    QTest::newRow("a device node") << int(Special::Device) << false;
    QTest::newRow("a socket") << int(Special::Socket) << false;
    QTest::newRow("Apply Patch: a named pipe") << int(Special::Pipe) << true;
    QTest::newRow("Apply Patch: a device node") << int(Special::Device) << true;
}

void TestFileSafety::onlyRegularFilesOpen()
{
    QFETCH(int, kind);
    QFETCH(bool, patch);
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    const QString path = box.path(QStringLiteral("special.nes"));
    if (const auto whyNot = MakeSpecial(static_cast<Special>(kind), path))
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + *whyNot));
    ui_->open(image);
    // An Open that waits on the pipe is let go after 5 s, and fails the test.
    const PipeRelease release(static_cast<Special>(kind) == Special::LinkToPipe ? path + QStringLiteral(".fifo") : path, 5);
    answerer_.expect(ChooseFile(path));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    ui_->trigger(patch ? ui_->window().mnuApplyPatch() : ui_->window().mnuOpen());
    QVERIFY2(!release.released(), "the window waited on the named pipe");
    const QString message = answerer_.seen().last();
    QVERIFY2(message.startsWith(QStringLiteral("File Error|")) && message.contains(QStringLiteral("special.nes")) &&
                 message.contains(QStringLiteral("not a regular file")),
             qPrintable(message));
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), image);
    QVERIFY(ImageNow() == Original());
}

// ---------------------------------------------------------------------------
// A name that is not valid UTF-8 shows in the dialog decoded, as the name of
// another file (or of none): choosing it is refused, never mapped.

void TestFileSafety::undecodableNamesRefused_data()
{
    QTest::addColumn<bool>("saveAs"); // else Open
    QTest::addColumn<bool>("twin");   // the file whose name is the decoded one exists too
    QTest::newRow("Open: alone") << false << false;
    QTest::newRow("Open: beside its twin") << false << true;
    QTest::newRow("Save As: beside its twin") << true << true;
}

void TestFileSafety::undecodableNamesRefused()
{
    QFETCH(bool, saveAs);
    QFETCH(bool, twin);
#if !defined(Q_OS_UNIX)
    QSKIP("names are text on this system: every name decodes exactly");
#endif
    Sandbox box;
    const QString image = box.demoImage(QStringLiteral("a.nes"));
    const QString twinName = QStringLiteral("bad") + QChar(0xFFFD) + QStringLiteral(".nes");
    // The file whose name is "bad\xFF.nes", made from its bytes, and removed afterwards.
    const QByteArray rawPath = QFile::encodeName(box.path(QString())) + "/bad\xFF.nes";
    const auto removed = qScopeGuard([&rawPath] { std::remove(rawPath.constData()); });
    {
        std::ofstream out(rawPath.constData(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(Later().data()), std::streamsize(Later().size()));
        QVERIFY(bool(out));
    }
    if (twin)
        box.write(twinName, Theirs());
    ui_->open(image);
    if (saveAs) // something to save (Open would first ask about it)
        QVERIFY(RomImage.write(0x1000, 0x5A));
    const QStringList listing = Listing(box.path(QString()));

    answerer_.expect(ChooseFile(box.path(twinName)));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    ui_->trigger(saveAs ? ui_->window().mnuSaveAS() : ui_->window().mnuOpen());
    const QString message = answerer_.seen().last();
    QVERIFY2(message.startsWith(QStringLiteral("File Error|")) && message.contains(QStringLiteral("not valid UTF-8")) &&
                 message.contains(QDir::toNativeSeparators(box.path(QString()))),
             qPrintable(message));
    // Nothing opened, nothing written.
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), image);
    QCOMPARE(RomImage.modified(), saveAs);
    QCOMPARE(Listing(box.path(QString())), listing);
    if (twin)
        QVERIFY(ReadFileBytes(box.path(twinName)) == Theirs());
    std::ifstream in(rawPath.constData(), std::ios::binary);
    QVERIFY(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) == Later());
}

QTEST_MAIN(TestFileSafety)
#include "test_file_safety.moc"
