// Saves that fail: a read-only folder, a target that is a folder, a folder
// that does not exist, a write cut short, a target that is not a plain file.
// Each time the user is told what went wrong, the file that was there keeps
// every byte, the program's state is as before, and a later save works.

#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "support/TestSupport.h"
#include "support/WindowFiles.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

using namespace quorvan;
using namespace quorvan::test;

namespace {

enum class Command { Save, SaveAs };

enum class Fault {
    ReadOnlyFolder,      // the target's folder refuses new files
    ReadOnlyFolderOther, // the same, the target exists already
    FileBecameFolder,    // the open file was replaced by a folder after opening
    MissingFolder,       // Save As names a file in a folder that does not exist
    FolderRemoved,       // the open file's folder was renamed away after opening
    WriteCutShort,       // the disk fills up (a file size limit) while writing
    WriteCutShortOther,  // the same, over another existing file
    NamedPipe,           // the target is a named pipe, not a plain file
};

} // namespace

class TestSavingFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void failedSaveChangesNothing_data();
    void failedSaveChangesNothing();
    void cutShortWriteIsReportedAsSuch();
    void namedPipeIsNotReplaced();

private:
    void saveAnswering(Command command, const QString& target, const QString& button);

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestSavingFaults::init()
{
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestSavingFaults::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
}

// Runs Save or Save As (choosing `target` in the dialog) and clicks `button`
// in the message box that follows, if one is given.
void TestSavingFaults::saveAnswering(Command command, const QString& target, const QString& button)
{
    if (command == Command::SaveAs) {
        answerer_.expect(ChooseFile(target));
        // Another file that is there is replaced only once the user agrees.
        if (QFileInfo(target).isFile())
            answerer_.expect(PressStandard(QMessageBox::Yes));
    }
    if (!button.isEmpty())
        answerer_.expect(ClickButton(button));
    (command == Command::Save ? window_->mnuSave() : window_->mnuSaveAS())->trigger();
    QCOMPARE(answerer_.pending(), 0);
}

void TestSavingFaults::failedSaveChangesNothing_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("fault");
    const auto row = [](const char* name, Command command, Fault fault) {
        QTest::newRow(name) << int(command) << int(fault);
    };
    row("Save into a read-only folder", Command::Save, Fault::ReadOnlyFolder);
    row("Save As to a new file in a read-only folder", Command::SaveAs, Fault::ReadOnlyFolder);
    row("Save As over a file in a read-only folder", Command::SaveAs, Fault::ReadOnlyFolderOther);
    // (Save As cannot name a folder: the file dialog opens a folder that is
    // chosen instead of returning it.)
    row("Save when the file was replaced by a folder", Command::Save, Fault::FileBecameFolder);
    row("Save As into a folder that does not exist", Command::SaveAs, Fault::MissingFolder);
    row("Save when the file's folder was removed", Command::Save, Fault::FolderRemoved);
    row("Save, the disk fills up midway", Command::Save, Fault::WriteCutShort);
    row("Save As to a new file, the disk fills up midway", Command::SaveAs, Fault::WriteCutShort);
    row("Save As over another file, the disk fills up midway", Command::SaveAs, Fault::WriteCutShortOther);
}

void TestSavingFaults::failedSaveChangesNothing()
{
    QFETCH(int, command);
    QFETCH(int, fault);
    const auto cmd = static_cast<Command>(command);
    const auto kind = static_cast<Fault>(fault);

    Sandbox box;
    QDir root(box.path(QString()));
    QVERIFY(root.mkdir(QStringLiteral("work")));
    const QString folder = box.path(QStringLiteral("work"));
    const QString opened = box.demoImage(QStringLiteral("work/image.nes"));
    QVERIFY(window_->OpenFile(opened));

    // A first save that works, so that what follows is a save over this
    // session's own file; then the edit that the failing save must not lose.
    QVERIFY(RomImage.write(0x58, 0x11));
    window_->mnuSave()->trigger();
    QCOMPARE(ReadFileBytes(opened)[0x58], std::uint8_t{0x11});
    QVERIFY(RomImage.write(0x23B, 0x35));
    QVERIFY(RomImage.write(static_cast<std::int64_t>(RomImage.size()) - 1, 0x7E));

    // Where the failing save goes, and the fault that makes it fail.
    QString target = cmd == Command::Save ? opened : box.path(QStringLiteral("work/new.nes"));
    std::unique_ptr<ReadOnlyFolder> locked;
    std::unique_ptr<FileSizeLimit> limit;
    std::function<void()> mend = [] {};
    switch (kind) {
    case Fault::ReadOnlyFolderOther:
        target = box.demoImage(QStringLiteral("work/other.nes"), DemoLayout::Plain, 7);
        [[fallthrough]];
    case Fault::ReadOnlyFolder:
        locked = std::make_unique<ReadOnlyFolder>(folder);
        if (!locked->active())
            QSKIP(qPrintable(QStringLiteral("cannot make a folder read-only here: ") + locked->whyNot()));
        mend = [&locked] { locked.reset(); };
        break;
    case Fault::FileBecameFolder:
        QVERIFY(QFile::rename(opened, box.path(QStringLiteral("moved.nes"))));
        QVERIFY(root.mkdir(QStringLiteral("work/image.nes")));
        mend = [&root] { QVERIFY(root.rmdir(QStringLiteral("work/image.nes"))); };
        break;
    case Fault::MissingFolder:
        target = box.path(QStringLiteral("work/no/such/folder/new.nes"));
        mend = [&target, &box] { target = box.path(QStringLiteral("work/new.nes")); };
        break;
    case Fault::FolderRemoved:
        QVERIFY(root.rename(QStringLiteral("work"), QStringLiteral("gone")));
        mend = [&root] { QVERIFY(root.rename(QStringLiteral("gone"), QStringLiteral("work"))); };
        break;
    case Fault::WriteCutShortOther:
        target = box.demoImage(QStringLiteral("work/other.nes"), DemoLayout::Plain, 7);
        [[fallthrough]];
    case Fault::WriteCutShort:
        // Room for a part of the image only.
        limit = std::make_unique<FileSizeLimit>(100000);
        if (!limit->active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit->whyNot()));
        mend = [&limit] { limit.reset(); };
        break;
    case Fault::NamedPipe:
        QFAIL("covered by namedPipeIsNotReplaced");
    }

    // What must survive the failed save.
    const bool targetExisted = QFileInfo(target).isFile();
    const bool targetWasFolder = QFileInfo(target).isDir();
    const auto targetBefore = ReadFileBytes(target);
    const QString targetFolder = QFileInfo(target).absolutePath();
    const QStringList listingBefore = Listing(targetFolder);
    const auto image = ImageNow();
    const QString fileName = RomFileName;
    const QString panel1 = window_->Panel(1)->text();
    const QString panel2 = window_->Panel(2)->text();
    const QString message = window_->SB1()->currentMessage();

    const auto fileErrors = [this] { return answerer_.seen().filter(QRegularExpression(QStringLiteral("^File Error\\|"))).size(); };
    saveAnswering(cmd, target, QStringLiteral("OK"));
    QCOMPARE(fileErrors(), 1);

    QVERIFY(!answerer_.seen().isEmpty());
    const QString seen = answerer_.seen().last();
    QVERIFY2(seen.startsWith(QStringLiteral("File Error|")), qPrintable(seen));
    QVERIFY2(seen.contains(QFileInfo(target).fileName()), qPrintable(seen));
    // The reason is given, and it is not a shrug.
    QVERIFY2(!seen.contains(QStringLiteral("Unknown error")), qPrintable(seen));
    QVERIFY2(seen.section(QStringLiteral("\n\n"), 1).trimmed().size() > 5, qPrintable(seen));

    if (targetExisted)
        QVERIFY2(ReadFileBytes(target) == targetBefore, "the file that was there lost bytes");
    else if (targetWasFolder)
        QVERIFY(QFileInfo(target).isDir());
    else
        QVERIFY2(!QFileInfo::exists(target), "a failed save left a file behind");
    if (kind != Fault::FolderRemoved)
        QCOMPARE(Listing(targetFolder), listingBefore); // no temporary file left behind
    QVERIFY(ImageNow() == image);
    QVERIFY(RomImage.modified());
    QCOMPARE(RomFileName, fileName);
    QCOMPARE(window_->Panel(1)->text(), panel1);
    QCOMPARE(window_->Panel(2)->text(), panel2);
    QCOMPARE(window_->SB1()->currentMessage(), message);
    mend();

    // The program goes on working: the same command succeeds once the cause is gone.
    if (cmd == Command::SaveAs && kind != Fault::MissingFolder)
        target = box.path(QStringLiteral("work/later.nes"));
    saveAnswering(cmd, target, QString());
    QCOMPARE(fileErrors(), 1); // no further message
    QVERIFY(ReadFileBytes(target) == image);
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), QDir::fromNativeSeparators(cmd == Command::Save ? opened : target));
    QCOMPARE(window_->Panel(1)->text(), RomFileName);
    QVERIFY(!RomImage.modified());
}

void TestSavingFaults::cutShortWriteIsReportedAsSuch()
{
    // A write cut short reports no system error; the message says how far it got.
    Sandbox box;
    const QString opened = box.demoImage(QStringLiteral("image.nes"));
    QVERIFY(window_->OpenFile(opened));
    QVERIFY(RomImage.write(0x100, 0x42));
    const QString target = box.path(QStringLiteral("copy.nes"));
    {
        FileSizeLimit limit(100000);
        if (!limit.active())
            QSKIP(qPrintable(QStringLiteral("cannot limit the file size here: ") + limit.whyNot()));
        saveAnswering(Command::SaveAs, target, QStringLiteral("OK"));
    }
    QVERIFY2(answerer_.seen().last().contains(QStringLiteral("100000 of 262288 bytes")), qPrintable(answerer_.seen().last()));
    QVERIFY(!QFileInfo::exists(target));
}

void TestSavingFaults::namedPipeIsNotReplaced()
{
    // Saving replaces the target by a new file; a pipe (or a device) there must
    // not be swapped for a plain file, nor read or written.
    Sandbox box;
    const QString opened = box.demoImage(QStringLiteral("image.nes"));
    QVERIFY(window_->OpenFile(opened));
    QVERIFY(RomImage.write(0x100, 0x42));
    const QString pipe = box.path(QStringLiteral("pipe.nes"));
    QString whyNot;
    if (!MakeNamedPipe(pipe, &whyNot))
        QSKIP(qPrintable(QStringLiteral("cannot make a named pipe here: ") + whyNot));
    const QString fileName = RomFileName;
    saveAnswering(Command::SaveAs, pipe, QStringLiteral("OK"));
    QVERIFY2(answerer_.seen().last().startsWith(QStringLiteral("File Error|")), qPrintable(answerer_.seen().last()));
    QVERIFY2(answerer_.seen().last().contains(QStringLiteral("not a regular file")), qPrintable(answerer_.seen().last()));
    QVERIFY(IsNamedPipe(pipe));
    QVERIFY(!QFileInfo::exists(pipe + QStringLiteral(".bak")));
    QCOMPARE(Listing(box.path(QString())), (QStringList{QStringLiteral("image.nes"), QStringLiteral("pipe.nes")}));
    QCOMPARE(RomFileName, fileName);
    QVERIFY(RomImage.modified());
}

QTEST_MAIN(TestSavingFaults)
#include "test_saving_faults.moc"
