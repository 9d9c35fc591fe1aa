// The one whole-file reader and writer: what it refuses, what it keeps about a
// file and its backup, how it tells a changed file, and that a failure, a full
// disk or a kill -9 never costs the file that was there.

#include "data/FileBackup.h"
#include "data/FileWriter.h"
#include "data/FileWriterText.h"
#include "data/RomFile.h"
#include "support/FaultInjection.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <filesystem>
#include <optional>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes that are on disk before a save, and the bytes saved.
const Bytes& OldBytes()
{
    static const Bytes bytes = DemoBytes(DemoLayout::Plain, 1);
    return bytes;
}

const Bytes& NewBytes()
{
    static const Bytes bytes = DemoBytes(DemoLayout::Plain, 2);
    return bytes;
}

QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

WriteOutcome Write(const QString& path, const Bytes& bytes, bool agreed = true, const QString& backup = {})
{
    WriteRequest request;
    request.path = path;
    request.bytes = bytes;
    request.replaceExisting = agreed;
    request.backupPath = backup;
    return WriteWholeFile(request);
}

// What a test puts at a path before writing there.
enum class Thing {
    Nothing, File, Pipe, Device, Socket, Folder, LinkToFile, LinkToNothing, LinkToPipe, ReadOnlyFile, HardLinked,
    MissingFolder,
};

// Makes `thing` at `path` in `box` (files with OldBytes()); the reason when it cannot be made here.
std::optional<QString> Make(Thing thing, const QString& path, const Sandbox& box)
{
    QString why;
    const auto file = [&](const QString& at) { return box.write(QFileInfo(at).fileName(), OldBytes()); };
    switch (thing) {
    case Thing::Nothing:
    case Thing::MissingFolder:
        return std::nullopt;
    case Thing::File:
        file(path);
        return std::nullopt;
    case Thing::Pipe:
        return MakeNamedPipe(path, &why) ? std::nullopt : std::optional(why);
    case Thing::Device:
        return MakeDeviceNode(path, &why) ? std::nullopt : std::optional(why);
    case Thing::Socket:
        return MakeSocketFile(path, &why) ? std::nullopt : std::optional(why);
    case Thing::Folder:
        return QDir().mkdir(path) ? std::nullopt : std::optional(QStringLiteral("mkdir failed"));
    case Thing::LinkToFile:
        return QFile::link(file(box.path(QStringLiteral("real.nes"))), path) ? std::nullopt
                                                                             : std::optional(QStringLiteral("no links"));
    case Thing::LinkToNothing:
        return QFile::link(box.path(QStringLiteral("gone.nes")), path) ? std::nullopt
                                                                        : std::optional(QStringLiteral("no links"));
    case Thing::LinkToPipe:
        if (!MakeNamedPipe(box.path(QStringLiteral("pipe")), &why))
            return why;
        return QFile::link(box.path(QStringLiteral("pipe")), path) ? std::nullopt
                                                                   : std::optional(QStringLiteral("no links"));
    case Thing::ReadOnlyFile:
        file(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        return std::nullopt;
    case Thing::HardLinked:
        file(path);
        return MakeHardLink(path, box.path(QStringLiteral("other.nes")), &why) ? std::nullopt : std::optional(why);
    }
    return std::nullopt;
}

// A failure's reason says something, and never shrugs.
bool Explained(const WriteOutcome& outcome)
{
    return outcome.reason.size() > 5 && !outcome.reason.contains(QStringLiteral("Unknown error"));
}

} // namespace

class TestFileWriter : public QObject {
    Q_OBJECT
private slots:
    void writeByWhatIsThere_data();
    void writeByWhatIsThere();
    void readRefusesAtOnce_data();
    void readRefusesAtOnce();
    void cutShortWrite_data();
    void cutShortWrite();
    void shortCountsInWords_data();
    void shortCountsInWords();
    void longNames_data();
    void longNames();
    void ownerGroupModeKept_data();
    void ownerGroupModeKept();
    void backupIsAFileOfItsOwn_data();
    void backupIsAFileOfItsOwn();
    void olderBackupKeptWhenSaveFails_data();
    void olderBackupKeptWhenSaveFails();
    void diskChanges_data();
    void diskChanges();
    void killedWhileSaving();
};

void TestFileWriter::writeByWhatIsThere_data()
{
    QTest::addColumn<int>("thing");
    QTest::addColumn<bool>("agreed");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("method");
    const auto row = [](const char* name, Thing thing, bool agreed, WriteFailure failure, WriteMethod method) {
        QTest::newRow(name) << int(thing) << agreed << int(failure) << int(method);
    };
    row("nothing there", Thing::Nothing, false, WriteFailure::None, WriteMethod::NewFile);
    row("a file, without agreement", Thing::File, false, WriteFailure::Exists, WriteMethod::None);
    row("a file, with agreement", Thing::File, true, WriteFailure::None, WriteMethod::Replaced);
    row("a named pipe", Thing::Pipe, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a device node", Thing::Device, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a socket", Thing::Socket, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a folder", Thing::Folder, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a link to a file", Thing::LinkToFile, true, WriteFailure::None, WriteMethod::Replaced);
    row("a link to a file, without agreement", Thing::LinkToFile, false, WriteFailure::Exists, WriteMethod::None);
    row("a link to nothing", Thing::LinkToNothing, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a link to a named pipe", Thing::LinkToPipe, true, WriteFailure::NotRegular, WriteMethod::None);
    row("a read-only file (0444), even for root", Thing::ReadOnlyFile, true, WriteFailure::ReadOnly, WriteMethod::None);
    row("a file with a second hard link", Thing::HardLinked, true, WriteFailure::None, WriteMethod::InPlace);
    row("a folder that does not exist", Thing::MissingFolder, true, WriteFailure::WriteFailed, WriteMethod::None);
}

void TestFileWriter::writeByWhatIsThere()
{
    QFETCH(int, thing);
    QFETCH(bool, agreed);
    QFETCH(int, failure);
    QFETCH(int, method);
    const auto kind = static_cast<Thing>(thing);
    if (kind == Thing::HardLinked && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer never writes in place");
    Sandbox box;
    const QString root = box.path(QString());
    const QString target = box.path(QStringLiteral("image.nes"));
    if (const auto whyNot = Make(kind, target, box))
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + *whyNot));
    const QString path = kind == Thing::MissingFolder ? box.path(QStringLiteral("missing/image.nes")) : target;
    const QStringList listing = Listing(root);
    const FileFacts before = Facts(target);

    const WriteOutcome outcome = Write(path, NewBytes(), agreed);
    QCOMPARE(int(outcome.failure), failure);
    QCOMPARE(int(outcome.method), method);
    if (outcome.ok()) {
        QVERIFY(ReadFileBytes(path) == NewBytes());
        QVERIFY(outcome.stamp == StampFile(path));
        QCOMPARE(outcome.stamp.size, qint64(NewBytes().size()));
        QCOMPARE(Listing(root), kind == Thing::Nothing ? QStringList{QStringLiteral("image.nes")} : listing);
        if (kind == Thing::LinkToFile) // the link stays, its file is written
            QVERIFY(Facts(target).link && ReadFileBytes(box.path(QStringLiteral("real.nes"))) == NewBytes());
        if (kind == Thing::HardLinked) // both names show the new bytes
            QVERIFY(Facts(target).links == 2 && ReadFileBytes(box.path(QStringLiteral("other.nes"))) == NewBytes());
        return;
    }
    QVERIFY2(Explained(outcome), qPrintable(outcome.reason));
    if (kind != Thing::File && kind != Thing::ReadOnlyFile && kind != Thing::LinkToFile && kind != Thing::MissingFolder)
        QVERIFY2(outcome.reason.contains(QStringLiteral("not a regular file")), qPrintable(outcome.reason));
    // Left exactly as it was, and nothing left beside it.
    QVERIFY(Facts(target) == before);
    QCOMPARE(Listing(root), listing);
    if (before.regular)
        QVERIFY(ReadFileBytes(target) == OldBytes());
}

void TestFileWriter::readRefusesAtOnce_data()
{
    QTest::addColumn<int>("thing");
    QTest::newRow("a named pipe") << int(Thing::Pipe);
    QTest::newRow("a device node") << int(Thing::Device);
    QTest::newRow("a socket") << int(Thing::Socket);
    QTest::newRow("a folder") << int(Thing::Folder);
    QTest::newRow("a link to a named pipe") << int(Thing::LinkToPipe);
}

void TestFileWriter::readRefusesAtOnce()
{
    QFETCH(int, thing);
    Sandbox box;
    const QString path = box.path(QStringLiteral("image.nes"));
    if (const auto whyNot = Make(static_cast<Thing>(thing), path, box))
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + *whyNot));
    // In a child with an alarm: a read that waits for a pipe's writer must fail
    // this test in seconds, not hang it.
    QString why;
    const auto code = RunInChild(
        [&path] {
            const ReadResult read = ReadWholeFile(path, 1 << 20);
            const LoadResult load = LoadRomFile(path);
            const auto says = [](const QString& text) { return text.contains(QStringLiteral("not a regular file")); };
            return read.status == ReadResult::Status::NotRegular && says(read.reason) &&
                           load.status == LoadResult::Status::ReadFailed && says(load.error)
                       ? 0
                       : 1;
        },
        5, nullptr, &why);
    QVERIFY2(code.has_value(), qPrintable(why));
    QCOMPARE(*code, 0);
}

void TestFileWriter::cutShortWrite_data()
{
    QTest::addColumn<int>("thing");
    QTest::addColumn<int>("oldLength");
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("failure");
    const int image = int(NewBytes().size());
    QTest::newRow("a new file") << int(Thing::Nothing) << 0 << false << int(WriteFailure::WriteFailed);
    QTest::newRow("replacing a file") << int(Thing::File) << image << false << int(WriteFailure::WriteFailed);
    QTest::newRow("in place (a second hard link): the old bytes are put back")
        << int(Thing::HardLinked) << 50000 << false << int(WriteFailure::WriteFailed);
    QTest::newRow("the backup does not fit") << int(Thing::File) << image << true << int(WriteFailure::BackupFailed);
}

void TestFileWriter::cutShortWrite()
{
    QFETCH(int, thing);
    QFETCH(int, oldLength);
    QFETCH(bool, backup);
    QFETCH(int, failure);
    const auto kind = static_cast<Thing>(thing);
    if (kind == Thing::HardLinked && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer never writes in place");
    Sandbox box;
    const QString target = box.path(QStringLiteral("image.nes"));
    if (const auto whyNot = Make(kind, target, box))
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + *whyNot));
    const Bytes old(OldBytes().begin(), OldBytes().begin() + oldLength);
    if (kind != Thing::Nothing)
        QFile::resize(target, oldLength); // a hard link shares it
    const QStringList listing = Listing(box.path(QString()));

    WriteOutcome outcome;
    {
        FileSizeLimit limit(100000);
        if (!limit.active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit.whyNot()));
        outcome = Write(target, NewBytes(), true, backup ? target + QStringLiteral(".bak") : QString());
    }
    QCOMPARE(int(outcome.failure), failure);
    const QString count = QStringLiteral("100000 of %1 bytes").arg(backup ? oldLength : int(NewBytes().size()));
    QVERIFY2(outcome.reason.contains(count), qPrintable(outcome.reason));
    QCOMPARE(Listing(box.path(QString())), listing);
    if (kind == Thing::Nothing)
        return;
    QVERIFY2(ReadFileBytes(target) == old, "the old file lost bytes");
    if (kind == Thing::HardLinked)
        QVERIFY(ReadFileBytes(box.path(QStringLiteral("other.nes"))) == old);
}

void TestFileWriter::shortCountsInWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("one byte written") << filetext::CutShort(0, 1, {}) << "0 of 1 byte could";
    QTest::newRow("bytes written") << filetext::CutShort(3, 10, {}) << "3 of 10 bytes could";
    QTest::newRow("one byte read") << filetext::ReadShort(0, 1, QStringLiteral("EIO")) << "0 of its 1 byte could";
}

void TestFileWriter::shortCountsInWords()
{
    QFETCH(QString, text);
    QFETCH(QString, mentions);
    QVERIFY2(text.contains(mentions), qPrintable(text));
}

void TestFileWriter::longNames_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("backup");
    for (int length = 249; length <= 256; ++length)
        QTest::addRow("a name of %d bytes", length) << length << false;
    for (int length = 250; length <= 253; ++length)
        QTest::addRow("a name of %d bytes with a backup", length) << length << true;
}

void TestFileWriter::longNames()
{
    QFETCH(int, length);
    QFETCH(bool, backup);
    if (backup && FileLayerIsQtOnly())
        QSKIP("in the Qt-only file layer, QSaveFile's temporary name grows with the target's");
    Sandbox box;
    const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".nes");
    const QString path = box.path(name);
    if (backup)
        box.write(name, OldBytes());
    const QStringList listing = Listing(box.path(QString()));
    const bool fits = length <= 255 && (!backup || length + 4 <= 255);

    const WriteOutcome outcome = Write(path, NewBytes(), true, backup ? path + QStringLiteral(".bak") : QString());
    QCOMPARE(outcome.ok(), fits);
    if (fits) {
        const LoadResult load = LoadRomFile(path);
        QVERIFY(load.ok() && load.bytes == NewBytes());
        QCOMPARE(ReadFileBytes(path + QStringLiteral(".bak")) == OldBytes(), backup);
        return;
    }
    // The system's reason; with a backup that cannot exist, nothing is saved.
    QVERIFY2(outcome.reason.contains(QStringLiteral("File name too long")), qPrintable(outcome.reason));
    QCOMPARE(int(outcome.failure), int(backup ? WriteFailure::BackupFailed : WriteFailure::WriteFailed));
    QCOMPARE(Listing(box.path(QString())), listing);
    if (backup)
        QVERIFY(ReadFileBytes(path) == OldBytes());
}

void TestFileWriter::ownerGroupModeKept_data()
{
    QTest::addColumn<int>("uid");
    QTest::addColumn<int>("gid");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("saver");      // 0: root, in this process
    QTest::addColumn<int>("saverGroup"); // a group of the saver's besides its own (0: none)
    QTest::addColumn<int>("method");
    const auto row = [](const char* name, int uid, int gid, int mode, int saver, int group, WriteMethod method) {
        QTest::newRow(name) << uid << gid << mode << saver << group << int(method);
    };
    row("root saves nobody:nogroup 0640", 65534, 65534, 0640, 0, 0, WriteMethod::Replaced);
    row("root saves a setuid, setgid, sticky file", 0, 0, 07755, 0, 0, WriteMethod::Replaced);
    row("root saves a setgid file of nogroup", 65534, 65534, 02640, 0, 0, WriteMethod::Replaced);
    row("the owner saves a setuid file", 1000, 1000, 04755, 1000, 0, WriteMethod::Replaced);
    row("the owner saves a setgid file of a group of theirs", 1000, 2000, 02664, 1000, 2000, WriteMethod::Replaced);
    row("the owner saves a file of a group not theirs", 1000, 3000, 0640, 1000, 0, WriteMethod::InPlace);
    row("a teammate saves 1001:2000 0660 in a shared folder", 1001, 2000, 0660, 1000, 2000, WriteMethod::InPlace);
}

void TestFileWriter::ownerGroupModeKept()
{
    QFETCH(int, uid);
    QFETCH(int, gid);
    QFETCH(int, mode);
    QFETCH(int, saver);
    QFETCH(int, saverGroup);
    QFETCH(int, method);
    if (!RunsAsRoot())
        QSKIP("needs root, to give files to other users and to save as them");
    if (FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer does not keep owner, group and the setuid, setgid and sticky bits");
    Sandbox box;
    const QString folder = box.path(QStringLiteral("shared"));
    QVERIFY(QDir().mkdir(folder));
    QString why;
    // Everyone may pass through the sandbox and write into the shared folder.
    QVERIFY2(SetOwnerAndMode(box.path(QString()), -1, -1, 0755, &why) && SetOwnerAndMode(folder, -1, -1, 0777, &why),
             qPrintable(why));
    const QString target = box.write(QStringLiteral("shared/image.nes"), OldBytes());
    QVERIFY2(SetOwnerAndMode(target, uid, gid, unsigned(mode), &why), qPrintable(why));
    const FileFacts before = Facts(target);

    const auto save = [&target] {
        const WriteOutcome outcome = Write(target, NewBytes());
        return outcome.ok() ? int(outcome.method) : 100 + int(outcome.failure);
    };
    int result = 0;
    if (saver == 0) {
        result = save();
    } else {
        ChildUser as{unsigned(saver), unsigned(saver), {}};
        if (saverGroup != 0)
            as.groups.push_back(unsigned(saverGroup));
        const auto code = RunInChild(save, 10, &as, &why);
        QVERIFY2(code.has_value(), qPrintable(why));
        result = *code;
    }
    QCOMPARE(result, method);
    QVERIFY(ReadFileBytes(target) == NewBytes());
    const FileFacts after = Facts(target);
    QCOMPARE(after.uid, before.uid);
    QCOMPARE(after.gid, before.gid);
    QCOMPARE(QString::number(after.mode, 8), QString::number(before.mode, 8));
    QCOMPARE(Listing(folder), QStringList{QStringLiteral("image.nes")});
}

namespace {
// What is at FILE.bak before a save with a backup.
enum class AtBackup { Nothing, OlderBackup, LinkToOther, LinkToImage, HardLinkOfOther, Folder, Pipe, TheImage };
} // namespace

void TestFileWriter::backupIsAFileOfItsOwn_data()
{
    QTest::addColumn<int>("atBackup");
    QTest::addColumn<int>("imageMode");
    QTest::addColumn<bool>("nobody"); // the image belongs to nobody:nogroup (root only)
    QTest::addColumn<bool>("copy");   // by CopyFileAtomically rather than with the save
    QTest::addColumn<bool>("works");
    for (const bool copy : {false, true}) {
        const auto row = [copy](const char* name, AtBackup at, int mode, bool nobody, bool works) {
            QTest::addRow("%s: %s", copy ? "copy" : "save", name) << int(at) << mode << nobody << copy << works;
        };
        row("no backup yet, a private 0600 image", AtBackup::Nothing, 0600, false, true);
        row("an older 0644 backup of a private 0600 image", AtBackup::OlderBackup, 0600, false, true);
        row("an image of nobody:nogroup 0640", AtBackup::Nothing, 0640, true, true);
        row("FILE.bak links to another file", AtBackup::LinkToOther, 0644, false, true);
        row("FILE.bak links to the image itself", AtBackup::LinkToImage, 0644, false, true);
        row("FILE.bak is a hard link of another file", AtBackup::HardLinkOfOther, 0644, false, true);
        row("FILE.bak is a folder", AtBackup::Folder, 0644, false, false);
        row("FILE.bak is a named pipe", AtBackup::Pipe, 0644, false, false);
        row("the backup's name is the image's, through a linked folder", AtBackup::TheImage, 0644, false, false);
    }
}

void TestFileWriter::backupIsAFileOfItsOwn()
{
    QFETCH(int, atBackup);
    QFETCH(int, imageMode);
    QFETCH(bool, nobody);
    QFETCH(bool, copy);
    QFETCH(bool, works);
    const auto at = static_cast<AtBackup>(atBackup);
    if (nobody && !RunsAsRoot())
        QSKIP("needs root, to give the image to another user");
    if (nobody && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer does not give the backup the image's owner");
    Sandbox box;
    const QString image = box.write(QStringLiteral("a.nes"), OldBytes());
    const QString backup = at == AtBackup::TheImage ? box.path(QStringLiteral("same/a.nes")) : image + QStringLiteral(".bak");
    const Bytes notes = {'n', 'o', 't', 'e', 's'};
    const QString other = box.write(QStringLiteral("notes.txt"), notes);
    QString why;
    QVERIFY2(SetOwnerAndMode(image, nobody ? 65534 : -1, nobody ? 65534 : -1, unsigned(imageMode), &why), qPrintable(why));
    bool made = true;
    switch (at) {
    case AtBackup::Nothing: break;
    case AtBackup::OlderBackup:
        box.write(QStringLiteral("a.nes.bak"), NewBytes());
        made = SetOwnerAndMode(backup, -1, -1, 0644, &why);
        break;
    case AtBackup::LinkToOther: made = QFile::link(other, backup); break;
    case AtBackup::LinkToImage: made = QFile::link(image, backup); break;
    case AtBackup::HardLinkOfOther: made = MakeHardLink(other, backup, &why); break;
    case AtBackup::Folder: made = QDir().mkdir(backup); break;
    case AtBackup::Pipe: made = MakeNamedPipe(backup, &why); break;
    case AtBackup::TheImage: made = QFile::link(box.path(QString()), box.path(QStringLiteral("same"))); break;
    }
    if (!made)
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + why));
    const FileFacts backupBefore = Facts(backup);
    const QStringList listing = Listing(box.path(QString()));

    const WriteOutcome outcome = copy ? CopyWholeFile(image, backup) : Write(image, NewBytes(), true, backup);
    if (copy) // today's caller
        QCOMPARE(CopyFileAtomically(image, backup).has_value(), !works);
    QCOMPARE(outcome.ok(), works);
    QCOMPARE(outcome.backupWritten, works);
    QVERIFY2(ReadFileBytes(other) == notes, "a file the backup's name led to was written");
    if (!works) {
        QVERIFY2(Explained(outcome), qPrintable(outcome.reason));
        QVERIFY(Facts(backup) == backupBefore);
        QVERIFY(ReadFileBytes(image) == OldBytes());
        QCOMPARE(Listing(box.path(QString())), listing);
        return;
    }
    QVERIFY(ReadFileBytes(image) == (copy ? OldBytes() : NewBytes()));
    QVERIFY(ReadFileBytes(backup) == OldBytes());
    const FileFacts kept = Facts(backup);
    const FileFacts of = Facts(image);
    QVERIFY2(kept.regular && kept.links == 1, "the backup is not a file of its own");
    QCOMPARE(QString::number(kept.mode, 8), QString::number(imageMode & 0777, 8)); // never wider than the image
    if (RunsAsRoot())
        QVERIFY(kept.uid == of.uid && kept.gid == of.gid);
    QStringList expected = listing;
    if (at == AtBackup::Nothing) {
        expected << QStringLiteral("a.nes.bak");
        expected.sort();
    }
    QCOMPARE(Listing(box.path(QString())), expected);
}

void TestFileWriter::olderBackupKeptWhenSaveFails_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("the image was made immutable") << 0;
    QTest::newRow("the disk fills up while the image is written") << 1;
    QTest::newRow("the image's folder refuses new files") << 2;
}

void TestFileWriter::olderBackupKeptWhenSaveFails()
{
    QFETCH(int, fault);
    Sandbox box;
    QVERIFY(QDir().mkdir(box.path(QStringLiteral("work"))) && QDir().mkdir(box.path(QStringLiteral("keep"))));
    // Small, so that its copy fits where the new image does not.
    const Bytes old(OldBytes().begin(), OldBytes().begin() + 50000);
    const QString image = box.write(QStringLiteral("work/a.nes"), old);
    const Bytes older = {'o', 'l', 'd', 'e', 'r'};
    const QString backup = box.write(fault == 2 ? QStringLiteral("keep/a.nes.bak") : QStringLiteral("work/a.nes.bak"), older);
    const QStringList work = Listing(box.path(QStringLiteral("work")));
    const QStringList keep = Listing(box.path(QStringLiteral("keep")));

    WriteOutcome outcome;
    if (fault == 0) {
        ImmutableFile locked(image);
        if (!locked.active())
            QSKIP(qPrintable(QStringLiteral("cannot make the image immutable: ") + locked.whyNot()));
        outcome = Write(image, NewBytes(), true, backup);
    } else if (fault == 1) {
        FileSizeLimit limit(100000);
        if (!limit.active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit.whyNot()));
        outcome = Write(image, NewBytes(), true, backup);
    } else {
        ReadOnlyFolder locked(box.path(QStringLiteral("work")));
        if (!locked.active())
            QSKIP(qPrintable(QStringLiteral("cannot make a folder read-only here: ") + locked.whyNot()));
        outcome = Write(image, NewBytes(), true, backup);
    }
    QVERIFY(!outcome.ok());
    QVERIFY2(Explained(outcome), qPrintable(outcome.reason));
    QVERIFY2(ReadFileBytes(backup) == older, "the older backup was replaced by a save that failed");
    QVERIFY(ReadFileBytes(image) == old);
    QCOMPARE(Listing(box.path(QStringLiteral("work"))), work);
    QCOMPARE(Listing(box.path(QStringLiteral("keep"))), keep);
}

void TestFileWriter::diskChanges_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing changed") << 0 << int(DiskChange::None);
    QTest::newRow("changed in place, same size and time") << 1 << int(DiskChange::ContentsChanged);
    QTest::newRow("replaced by a rename, same bytes") << 2 << int(DiskChange::Replaced);
    QTest::newRow("removed") << 3 << int(DiskChange::Removed);
    QTest::newRow("a folder in its place") << 4 << int(DiskChange::NotRegular);
    QTest::newRow("saved in place by us (a second hard link)") << 5 << int(DiskChange::None);
}

void TestFileWriter::diskChanges()
{
    QFETCH(int, change);
    QFETCH(int, expected);
    if ((change == 2 || change == 5) && FileLayerIsQtOnly())
        QSKIP("the Qt-only file layer knows no file identity");
    Sandbox box;
    const QString path = box.write(QStringLiteral("a.nes"), OldBytes());
    QString why;
    if (change == 5)
        QVERIFY2(MakeHardLink(path, box.path(QStringLiteral("b.nes")), &why), qPrintable(why));
    const WriteOutcome saved = Write(path, NewBytes());
    QVERIFY(saved.ok());
    switch (change) {
    case 1: {
        // Another program's edit that leaves size and time as they were.
        QFile file(path);
        const char other = static_cast<char>(~NewBytes()[0x1234]);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(0x1234) && file.write(&other, 1) == 1);
        file.close();
        QVERIFY2(SetModifiedTime(path, saved.stamp.modifiedNs, &why), qPrintable(why));
        QCOMPARE(Facts(path).modifiedNs, saved.stamp.modifiedNs);
        QCOMPARE(QFileInfo(path).size(), saved.stamp.size);
        break;
    }
    case 2: {
        // As another editor saves: a new file renamed over the name.
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(box.write(QStringLiteral("other.nes"), NewBytes())).toStdString(),
                                QFile::encodeName(path).toStdString(), error);
        QVERIFY2(!error, error.message().c_str());
        break;
    }
    case 3: QVERIFY(QFile::remove(path)); break;
    case 4: QVERIFY(QFile::remove(path) && QDir().mkdir(path)); break;
    case 5: QCOMPARE(int(saved.method), int(WriteMethod::InPlace)); break;
    default: break;
    }
    QCOMPARE(int(CheckFileUnchanged(path, saved.stamp, NewBytes())), expected);
}

void TestFileWriter::killedWhileSaving()
{
#if !defined(QUORVAN_SAVE_LOOP)
    QSKIP("the save loop helper was not built");
#else
    // A program that saves two images in turn is killed at random moments:
    // each time the file is one of the two, complete, and nothing else is left.
    // One gap cannot be closed: no system call renames an unnamed file over
    // another, so the new file takes a temporary name for the moment between
    // two calls (link, then rename), and a kill there leaves it, complete. The
    // saver is therefore stopped first, at a random moment, and looked at: a
    // temporary name then is that gap (checked, and the saver let go on a
    // little); otherwise the kill lands at once, where it stands. A writer that
    // named its temporary file while writing it would be caught in the act.
    Sandbox box;
    const QString work = box.path(QStringLiteral("work"));
    QVERIFY(QDir().mkdir(work));
    const Bytes a = DemoBytes(DemoLayout::Plain, 3);
    const Bytes b = DemoBytes(DemoLayout::Shifted, 4); // of another length
    const QString imageA = box.write(QStringLiteral("a.nes"), a);
    const QString imageB = box.write(QStringLiteral("b.nes"), b);
    const QString target = box.write(QStringLiteral("work/image.nes"), a);
    // QSaveFile's temporary file has a name all along, and a kill may leave it.
    const bool mayLeave = FileLayerIsQtOnly();
    const auto others = [&work] {
        QStringList names = Listing(work);
        names.removeOne(QStringLiteral("image.nes"));
        return names;
    };
    for (int round = 0; round < 20; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(QUORVAN_SAVE_LOOP), {target, imageA, imageB});
        QVERIFY2(saver.waitForStarted(5000), qPrintable(saver.errorString()));
        QVERIFY2(saver.waitForReadyRead(10000), saver.readAllStandardError().constData());
        QTest::qSleep(1 + int(QRandomGenerator::global()->bounded(30)));
        QCOMPARE(saver.state(), QProcess::Running); // killed while saving, not failed before
        for (int stop = 0; !mayLeave; ++stop) {
            QString whyNot;
            if (!PauseProcess(saver.processId(), &whyNot)) {
                saver.kill();
                saver.waitForFinished(5000);
                QSKIP(qPrintable(QStringLiteral("cannot stop the saver here: ") + whyNot));
            }
            const QStringList named = others();
            if (named.isEmpty())
                break;
            // Between the link and the rename: the new image, complete, beside the old one.
            const Bytes now = ReadFileBytes(target);
            for (const QString& name : named) {
                const Bytes bytes = ReadFileBytes(QDir(work).filePath(name));
                QVERIFY2(name.startsWith(QStringLiteral(".quorvan-")) && bytes != now && (bytes == a || bytes == b),
                         qPrintable(QStringLiteral("round %1: %2 (%3 bytes) at a stop").arg(round).arg(name).arg(bytes.size())));
            }
            QVERIFY2(stop < 20, "a temporary file had a name at 20 stops in a row: it is named while it is written");
            ResumeProcess(saver.processId());
            QTest::qSleep(1);
        }
        saver.kill();
        QVERIFY(saver.waitForFinished(5000));
        const Bytes now = ReadFileBytes(target);
        QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("round %1: %2 bytes, neither image").arg(round).arg(now.size())));
        for (const QString& name : others()) {
            // QSaveFile's temporary file, named after the image, stays behind
            // (complete or not) whenever the kill falls while it is written.
            QVERIFY2(mayLeave, qPrintable(QStringLiteral("round %1 left %2").arg(round).arg(name)));
            QVERIFY2(name.startsWith(QStringLiteral("image.nes.")), qPrintable(name));
            QVERIFY(QFile::remove(QDir(work).filePath(name)));
        }
    }
#endif
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "test_filewriter.moc"
