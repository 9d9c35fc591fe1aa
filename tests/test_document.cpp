// The document that owns the open image: what it tells its listeners, what a
// refused file or a failed save leaves behind, and that a reset never leaves a
// history or an observer behind on the image.

#include "data/RomDocument.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/main/frmQuorvan.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <type_traits>

using namespace quorvan;
using namespace quorvan::test;

static_assert(!std::is_copy_constructible_v<RomBuffer> && !std::is_copy_assignable_v<RomBuffer>,
              "a buffer that observers hold on to must not be copied or reassigned");

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetGlobals(); }

    void signalsOfAnEditSession();
    void refusedOpenChangesNothing_data();
    void refusedOpenChangesNothing();
    void saveAsTakesTheNameOnlyOnSuccess();
    void backupOnlyBeforeTheFirstSaveOverAFile();
    void globalNamesAreTheProgramDocument();
    void resetDropsObserversAndKeepsUndoWorking();
    void observerIdsNeverNameAnotherBuffersObserver();
};

void TestDocument::signalsOfAnEditSession()
{
    Sandbox sandbox;
    RomDocument document;
    QSignalSpy replaced(&document, &RomDocument::imageReplaced);
    QSignalSpy changed(&document, &RomDocument::bytesChanged);
    QSignalSpy modified(&document, &RomDocument::modifiedChanged);
    QSignalSpy undo(&document, &RomDocument::undoStateChanged);
    QSignalSpy named(&document, &RomDocument::fileNameChanged);

    const QString path = sandbox.demoImage(QStringLiteral("a.nes"));
    QVERIFY(document.Open(path).ok());
    QCOMPARE(replaced.size(), 1);
    QCOMPARE(named.size(), 1);
    QVERIFY(!document.isModified());

    document.image().write(0x100, 0xAB);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toLongLong(), 0x100);
    QCOMPARE(modified.size(), 1);
    QCOMPARE(modified.last().at(0).toBool(), true);
    QVERIFY(undo.size() > 0);

    // Undo writes the byte back: listeners hear of the bytes and the clean state.
    QVERIFY(document.history().Undo());
    QCOMPARE(changed.size(), 2);
    QCOMPARE(modified.last().at(0).toBool(), false);
    QVERIFY(!document.isModified());

    // Saved after a redo: clean again, and the file holds the edit.
    QVERIFY(document.history().Redo());
    QVERIFY(document.isModified());
    QVERIFY(document.Save().ok());
    QVERIFY(!document.isModified());
    QCOMPARE(ReadFileBytes(path)[0x100], std::uint8_t{0xAB});
    QCOMPARE(replaced.size(), 1); // a save replaces nothing
}

void TestDocument::refusedOpenChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("length"); // -1: a folder
    QTest::addColumn<int>("status");
    QTest::newRow("one byte too long") << "long.nes" << 0x40091 << int(RomDocument::OpenResult::Status::BadSize);
    QTest::newRow("empty") << "empty.nes" << 0 << int(RomDocument::OpenResult::Status::BadSize);
    QTest::newRow("a folder") << "folder.nes" << -1 << int(RomDocument::OpenResult::Status::ReadFailed);
    QTest::newRow("missing") << "missing.nes" << -2 << int(RomDocument::OpenResult::Status::ReadFailed);
}

void TestDocument::refusedOpenChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(int, length);
    QFETCH(int, status);
    Sandbox sandbox;
    RomDocument document;
    const QString first = sandbox.demoImage(QStringLiteral("first.nes"), DemoLayout::Shifted);
    QVERIFY(document.Open(first).ok());
    document.image().write(0x300, 0x12);
    const StageTable stages = document.stages();
    const auto bytes = std::vector<std::uint8_t>(document.image().bytes().begin(), document.image().bytes().end());

    QString path = sandbox.path(name);
    if (length >= 0)
        sandbox.write(name, std::vector<std::uint8_t>(static_cast<std::size_t>(length), 0));
    else if (length == -1)
        QVERIFY(QDir().mkdir(path));
    QSignalSpy replaced(&document, &RomDocument::imageReplaced);
    const RomDocument::OpenResult result = document.Open(path);
    QCOMPARE(int(result.status), status);
    QCOMPARE(replaced.size(), 0);
    QCOMPARE(document.fileName(), QDir::toNativeSeparators(first));
    QVERIFY(document.stages() == stages);
    QVERIFY(std::equal(bytes.begin(), bytes.end(), document.image().bytes().begin()));
    QVERIFY(document.isModified());
    QVERIFY(document.history().canUndo());
}

void TestDocument::saveAsTakesTheNameOnlyOnSuccess()
{
    Sandbox sandbox;
    RomDocument document;
    const QString path = sandbox.demoImage(QStringLiteral("a.nes"));
    QVERIFY(document.Open(path).ok());
    document.image().write(0x58, 7);
    QSignalSpy named(&document, &RomDocument::fileNameChanged);

    // Into a folder that does not exist: refused, nothing changes.
    const RomDocument::SaveResult failed = document.SaveAs(sandbox.path(QStringLiteral("nowhere/b.nes")));
    QCOMPARE(int(failed.status), int(RomDocument::SaveResult::Status::WriteFailed));
    QVERIFY(!failed.error.isEmpty());
    QCOMPARE(named.size(), 0);
    QVERIFY(document.isModified());

    const QString other = sandbox.path(QStringLiteral("b.nes"));
    QVERIFY(document.SaveAs(other).ok());
    QCOMPARE(named.size(), 1);
    QCOMPARE(document.fileName(), QDir::toNativeSeparators(other));
    QVERIFY(!document.isModified());
    QCOMPARE(ReadFileBytes(other)[0x58], std::uint8_t{7});
    QVERIFY(ReadFileBytes(path) == DemoBytes()); // the old file is untouched
}

void TestDocument::backupOnlyBeforeTheFirstSaveOverAFile()
{
    Sandbox sandbox;
    RomDocument document;
    const QString path = sandbox.demoImage(QStringLiteral("a.nes"));
    const QString backup = path + QStringLiteral(".bak");
    QVERIFY(document.Open(path).ok());
    document.image().write(0x58, 1);
    QVERIFY(document.Save().ok());
    QVERIFY(ReadFileBytes(backup) == DemoBytes());
    document.image().write(0x58, 2);
    QVERIFY(document.Save().ok());
    // The backup still holds the file as it was before this session's first save.
    QVERIFY(ReadFileBytes(backup) == DemoBytes());
    QCOMPARE(ReadFileBytes(path)[0x58], std::uint8_t{2});
}

void TestDocument::globalNamesAreTheProgramDocument()
{
    Sandbox sandbox;
    RomDocument& program = RomDocument::Program();
    QVERIFY(&RomImage == &program.image());
    QVERIFY(program.Open(sandbox.demoImage(QStringLiteral("a.nes"))).ok());
    QCOMPARE(RomFileName, program.fileName());
    QVERIFY(Stages == program.stages());
    CurrentStage = 3;
    QCOMPARE(program.currentStage(), std::int16_t{3});
    QVERIFY(&CurrentStageInfo() == &program.stages()[3]);
}

void TestDocument::resetDropsObserversAndKeepsUndoWorking()
{
    Sandbox sandbox;
    // A window whose test failed before it was destroyed stays alive...
    auto stale = std::make_unique<frmQuorvan>();
    QVERIFY(stale->OpenFile(sandbox.demoImage(QStringLiteral("a.nes"))));
    int heard = 0;
    {
        // ...and so does an observer whose owner is long gone.
        RomImage.addWriteObserver([&heard](std::int64_t, std::uint8_t, std::uint8_t) { ++heard; });
    }
    ResetGlobals();
    QVERIFY(RomImage.empty());

    // The next case's window works as if it were the only one.
    frmQuorvan window;
    QVERIFY(window.OpenFile(sandbox.demoImage(QStringLiteral("b.nes"), DemoLayout::Plain, 2)));
    const std::uint8_t before = RomImage[0x58];
    QVERIFY(RomImage.write(0x58, static_cast<std::uint8_t>(before + 1)));
    QCOMPARE(heard, 0);
    QVERIFY(window.mnuUndo()->isEnabled());
    window.mnuUndo()->trigger();
    QCOMPARE(RomImage[0x58], before);
    QVERIFY(!RomImage.modified());
    // Destroying the stale window takes nothing of the document with it.
    stale.reset();
    QVERIFY(RomImage.write(0x58, static_cast<std::uint8_t>(before + 2)));
    window.mnuUndo()->trigger();
    QCOMPARE(RomImage[0x58], before);
}

void TestDocument::observerIdsNeverNameAnotherBuffersObserver()
{
    RomBuffer a;
    RomBuffer b;
    a.replace(std::vector<std::uint8_t>(4, 0));
    b.replace(std::vector<std::uint8_t>(4, 0));
    int heardA = 0;
    int heardB = 0;
    const int idA = a.addWriteObserver([&heardA](std::int64_t, std::uint8_t, std::uint8_t) { ++heardA; });
    const int idB = b.addWriteObserver([&heardB](std::int64_t, std::uint8_t, std::uint8_t) { ++heardB; });
    QVERIFY(idA != idB);
    b.removeObserver(idA); // not b's: nothing happens
    b.write(0, 1);
    a.write(0, 1);
    QCOMPARE(heardA, 1);
    QCOMPARE(heardB, 1);
}

QTEST_MAIN(TestDocument)
#include "test_document.moc"
