// Undo and redo, the unsaved-change marker and the backup kept before saving.

#include "data/EditHistory.h"
#include "data/Version.h"
#include "data/modGlobals.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include <QApplication>
#include <QMouseEvent>

#include <chrono>
#include <functional>
#include <memory>
#include <numeric>

using namespace quorvan;
using namespace quorvan::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Snapshot(const RomBuffer& image)
{
    return {image.bytes().begin(), image.bytes().end()};
}

// The clock of the scripts' merging steps: it moves only when a script says so.
std::chrono::steady_clock::time_point scriptNow;

// Runs a small script against a history: "w10=5" writes 5 at offset 10,
// "[" and "]" begin and end a step, "mK" begins one that merges by key K
// within a second, "t300" lets 300 ms pass, "u" undoes, "r" redoes, "s"
// marks saved.
void Run(EditHistory& history, RomBuffer& image, const QString& script)
{
    for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("["))
            history.BeginStep();
        else if (token.startsWith(QLatin1Char('m')))
            history.BeginStep(QStringLiteral("Tile Number"), {}, StepMerge{token.mid(1), std::chrono::seconds(1)});
        else if (token.startsWith(QLatin1Char('t')))
            scriptNow += std::chrono::milliseconds(token.mid(1).toInt());
        else if (token == QLatin1String("]"))
            history.EndStep();
        else if (token == QLatin1String("u"))
            history.Undo();
        else if (token == QLatin1String("r"))
            history.Redo();
        else if (token == QLatin1String("s"))
            history.MarkSaved();
        else if (token.startsWith(QLatin1Char('w'))) {
            const QStringList parts = token.mid(1).split(QLatin1Char('='));
            image.write(parts[0].toLongLong(), static_cast<std::uint8_t>(parts[1].toInt()));
        } else {
            qFatal("bad script token %s", qPrintable(token));
        }
    }
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The history on its own.
    void stepsUndoAndRedoExactly_data();
    void stepsUndoAndRedoExactly();
    void modifiedFollowsContent_data();
    void modifiedFollowsContent();
    void nestedAndStrayGroups();
    void imageReplacedBehindItsBack();
    void savedPosition_data();
    void savedPosition();
    void stepsMergeByKeyAndTime_data();
    void stepsMergeByKeyAndTime();

    // In the main window.
    void menuItems();
    void menuStatesFollowTheHistory();
    void captionMarker();
    void placingUndoesBytesAndPixels();
    void undoRedrawsTheBlockTable();
    void openClearsTheHistory();
    void editorEditsUndoAndRedo_data();
    void editorEditsUndoAndRedo();
    void tileDragIsOneStep();

    // Backups.
    void firstSaveKeepsTheFileOnce();
    void saveAsOverAnotherFileKeepsIt();
    void backupThatCannotBeWrittenStopsTheSave();

private:
    void openDemo(const Sandbox& box, const QString& name = QStringLiteral("demo.nes"));
    void chooseStage(int index);

    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
    QString path_;
};

void TestHistory::init()
{
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestHistory::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
}

void TestHistory::openDemo(const Sandbox& box, const QString& name)
{
    path_ = box.demoImage(name);
    QVERIFY(window_->OpenFile(path_));
}

void TestHistory::chooseStage(int index)
{
    window_->mnuStageSelect(index)->trigger();
    QVERIFY(window_->mnuStageSelect(index)->isChecked());
}

void TestHistory::stepsUndoAndRedoExactly_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("steps");
    QTest::newRow("three single writes") << "w1=10 w2=20 w1=30" << 3;
    QTest::newRow("a drag over one byte is one step") << "[ w5=1 w5=2 w5=3 ]" << 1;
    QTest::newRow("a drag back to where it started is no step") << "[ w5=9 w5=0 ]" << 0;
    QTest::newRow("one step across the image") << "[ w0=1 w100=2 w999=3 ]" << 1;
    QTest::newRow("a byte written twice in a step") << "[ w7=1 w8=2 w7=3 ]" << 1;
    QTest::newRow("the value already there is no step") << "w3=0" << 0;
    QTest::newRow("past the end is no step") << "w1000=5 w-1=5" << 0;
    QTest::newRow("steps and single writes mixed") << "w1=1 [ w2=2 w3=3 ] w4=4 [ ] w1=5" << 4;
}

void TestHistory::stepsUndoAndRedoExactly()
{
    QFETCH(QString, script);
    QFETCH(int, steps);
    RomBuffer image;
    image.replace(Bytes(1000, 0));
    EditHistory history(image);

    // The image after each recorded step, the first entry being the start.
    std::vector<Bytes> states{Snapshot(image)};
    for (const QString& part : script.split(QStringLiteral(" "), Qt::SkipEmptyParts)) {
        const std::size_t before = history.undoCount();
        Run(history, image, part);
        if (history.undoCount() != before)
            states.push_back(Snapshot(image));
    }
    QCOMPARE(int(history.undoCount()), steps);
    QCOMPARE(int(states.size()), steps + 1);
    const Bytes last = states.back();

    for (int k = steps; k > 0; --k) {
        QVERIFY(history.canUndo());
        QVERIFY(history.Undo());
        QVERIFY2(Snapshot(image) == states[static_cast<std::size_t>(k - 1)], qPrintable(QString::number(k)));
    }
    QVERIFY(!history.canUndo());
    QVERIFY(!history.Undo());
    QVERIFY(Snapshot(image) == states.front());
    QVERIFY(!image.modified());

    for (int k = 1; k <= steps; ++k) {
        QVERIFY(history.canRedo());
        QVERIFY(history.Redo());
        QVERIFY(Snapshot(image) == states[static_cast<std::size_t>(k)]);
    }
    QVERIFY(!history.canRedo());
    QVERIFY(!history.Redo());
    QVERIFY(Snapshot(image) == last);
}

void TestHistory::modifiedFollowsContent_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("undo");
    QTest::addColumn<int>("redo");
    QTest::newRow("an edit") << "w1=1" << true << 1 << 0;
    QTest::newRow("an edit undone") << "w1=1 u" << false << 0 << 1;
    QTest::newRow("an edit undone and redone") << "w1=1 u r" << true << 1 << 0;
    QTest::newRow("saved") << "w1=1 s" << false << 1 << 0;
    QTest::newRow("saved, then undone past the save") << "w1=1 s u" << true << 0 << 1;
    QTest::newRow("saved, undone and redone to the save") << "w1=1 s u r" << false << 1 << 0;
    QTest::newRow("saved between two edits, second undone") << "w1=1 s w2=2 u" << false << 1 << 1;
    QTest::newRow("edited back by hand") << "w1=1 w1=0" << false << 2 << 0;
    QTest::newRow("two bytes, one undone") << "w1=1 w2=2 u" << true << 1 << 1;
    QTest::newRow("a new edit drops what could be redone") << "w1=1 w2=2 u w3=3" << true << 2 << 0;
    QTest::newRow("undo back to the save after a new branch") << "w1=1 s u w2=2 u r u" << true << 0 << 1;
}

void TestHistory::modifiedFollowsContent()
{
    QFETCH(QString, script);
    QFETCH(bool, modified);
    QFETCH(int, undo);
    QFETCH(int, redo);
    RomBuffer image;
    image.replace(Bytes(16, 0));
    EditHistory history(image);
    int heard = 0;
    history.setListener([&heard] { ++heard; });
    Run(history, image, script);
    QCOMPARE(image.modified(), modified);
    QCOMPARE(history.isClean(), !modified);
    QCOMPARE(int(history.undoCount()), undo);
    QCOMPARE(int(history.redoCount()), redo);
    QCOMPARE(history.canUndo(), undo > 0);
    QCOMPARE(history.canRedo(), redo > 0);
    QVERIFY(heard > 0);
}

void TestHistory::nestedAndStrayGroups()
{
    RomBuffer image;
    image.replace(Bytes(16, 0));
    EditHistory history(image);
    history.EndStep(); // without a BeginStep: ignored
    Run(history, image, "[ w1=1 [ w2=2 ] w3=3 ]");
    QCOMPARE(int(history.undoCount()), 1);
    QVERIFY(!history.inStep());

    // Undo in the middle of a gesture takes back what it wrote so far, and
    // the gesture's own EndStep later does no harm.
    {
        EditStep step(history);
        image.write(4, 4);
        QVERIFY(history.canUndo());
        QVERIFY(!history.canRedo());
        QVERIFY(history.Undo());
        QCOMPARE(image[4], std::uint8_t{0});
    }
    QVERIFY(!history.inStep());
    QCOMPARE(int(history.undoCount()), 1);
    QVERIFY(history.Undo());
    QVERIFY(Snapshot(image) == Bytes(16, 0));
    // Redo is refused while a new gesture is under way.
    history.BeginStep();
    image.write(9, 9);
    QVERIFY(!history.Redo());
    history.EndStep();
    QCOMPARE(int(history.redoCount()), 0);
}

void TestHistory::imageReplacedBehindItsBack()
{
    RomBuffer image;
    image.replace(Bytes(8, 0));
    EditHistory history(image);
    image.write(1, 1);
    // Replaced while modified: the history starts again from the new image.
    image.replace(Bytes(12, 5));
    QVERIFY(!history.canUndo());
    QVERIFY(history.openedBytes().size() == 12);
    // Replaced while unmodified (nobody is told): the first write notices the
    // new length and undo still returns the bytes from before it.
    image.replace(Bytes(20, 7));
    image.write(19, 1);
    QVERIFY(image.modified());
    QVERIFY(history.Undo());
    QVERIFY(Snapshot(image) == Bytes(20, 7));
    QVERIFY(!image.modified());
    // Reset takes the image as opened and saved.
    image.write(0, 0);
    history.Reset();
    QVERIFY(!history.canUndo() && !history.canRedo());
    QVERIFY(!image.modified());
    QCOMPARE(history.openedBytes()[0], std::uint8_t{0});
}

void TestHistory::savedPosition_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("saved"); // -1: no position holds what the file holds
    QTest::newRow("as opened") << "" << 0;
    QTest::newRow("saved, then undone past it") << "w1=1 w2=2 s u u" << 2;
    QTest::newRow("a new edit after undoing past the save") << "w1=1 w2=2 s u w3=3" << -1;
    QTest::newRow("a new edit after undoing, the save behind") << "w1=1 s w2=2 u w3=3" << 1;
    QTest::newRow("edited back by hand") << "w1=1 w1=0" << 2;
    QTest::newRow("edited back by hand, undone to as opened") << "w1=1 w1=0 u u" << 0;
    QTest::newRow("saved while a step is open") << "[ w1=1 s w2=2 ]" << -1;
    QTest::newRow("saved while a step is open, nothing after") << "[ w1=1 s ]" << 1;
    QTest::newRow("the saved step replaced by the same bytes") << "w1=1 s u w1=1" << 1;
}

void TestHistory::savedPosition()
{
    QFETCH(QString, script);
    QFETCH(int, saved);
    RomBuffer image;
    image.replace(Bytes(16, 0));
    EditHistory history(image);
    Run(history, image, script);
    const std::optional<std::size_t> position = history.savedPosition();
    QCOMPARE(position ? int(*position) : -1, saved);
    while (position && history.undoCount() > *position)
        history.Undo();
    while (position && history.undoCount() < *position)
        history.Redo();
    QCOMPARE(image.modified(), !position); // walked there, the image is what the file holds
}

void TestHistory::stepsMergeByKeyAndTime_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("afterOneUndo"); // the byte at 5
    QTest::newRow("each within the window of the one before") << "mA w5=1 ] t900 mA w5=2 ] t1000 mA w5=3 ]" << 1 << 0;
    QTest::newRow("a pause beyond the window") << "mA w5=1 ] t1001 mA w5=2 ]" << 2 << 1;
    QTest::newRow("another key") << "mA w5=1 ] mB w5=2 ]" << 2 << 1;
    QTest::newRow("another step between") << "mA w5=1 ] w9=1 mA w5=2 ]" << 3 << 1;
    QTest::newRow("an undo and redo between") << "mA w5=1 ] u r mA w5=2 ]" << 2 << 1;
    QTest::newRow("a save between") << "mA w5=1 ] s mA w5=2 ]" << 2 << 1;
    QTest::newRow("clicked back to the start: no step") << "mA w5=1 ] mA w5=0 ]" << 0 << 0;
    QTest::newRow("the outermost step decides: a drag") << "[ mA w5=1 ] ] mA w5=2 ]" << 2 << 1;
}

void TestHistory::stepsMergeByKeyAndTime()
{
    QFETCH(QString, script);
    QFETCH(int, steps);
    QFETCH(int, afterOneUndo);
    RomBuffer image;
    image.replace(Bytes(16, 0));
    EditHistory history(image);
    history.setClock([] { return scriptNow; });
    Run(history, image, script);
    QCOMPARE(int(history.stepCount()), steps);
    history.Undo();
    QCOMPARE(int(image[5]), afterOneUndo);
    while (history.Undo()) {
    }
    QVERIFY(Snapshot(image) == Bytes(16, 0));
}

void TestHistory::menuItems()
{
    const QList<QAction*> edit = window_->menuEdit()->actions();
    QVERIFY(edit.size() >= 5);
    QCOMPARE(edit[0], window_->mnuUndo());
    QCOMPARE(edit[1], window_->mnuRedo());
    QVERIFY(edit[2]->isSeparator());
    QCOMPARE(edit[3]->objectName(), QStringLiteral("mnuPalette"));
    QCOMPARE(edit[4]->objectName(), QStringLiteral("mnuTileEditor"));
    QCOMPARE(window_->findChild<QAction*>(QStringLiteral("mnuUndo")), window_->mnuUndo());
    QCOMPARE(window_->findChild<QAction*>(QStringLiteral("mnuRedo")), window_->mnuRedo());
    QCOMPARE(window_->mnuUndo()->text(), QStringLiteral("&Undo"));
    QCOMPARE(window_->mnuRedo()->text(), QStringLiteral("&Redo"));
    QCOMPARE(window_->mnuUndo()->shortcuts(), QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
    QCOMPARE(window_->mnuRedo()->shortcuts(),
             (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));

    // The File menu keeps its items in their order, the export above Exit.
    QStringList names;
    for (QAction* action : window_->menuFile()->actions())
        if (!action->objectName().startsWith(QLatin1String("mnuRecent(")) && action->objectName() != QLatin1String("FileFiller5"))
            names << action->objectName(); // the recent files come and go
    QCOMPARE(names, (QStringList{"mnuOpen", "FileFiller1", "mnuSave", "mnuSaveAS", "FileFiller2", "mnuExportIPS",
                                 "mnuExportBPS", "mnuApplyPatch", "FileFiller4", "mnuExportRoomImage",
                                 "mnuExportStageMap", "mnuExportTiles", "mnuImportTiles", "FileFiller3", "mnuExit"}));
    QCOMPARE(window_->mnuExportIPS()->text(), QStringLiteral("Export IPS Patch..."));

    // Nothing to undo, redo or export before an image is open.
    QVERIFY(!window_->mnuUndo()->isEnabled());
    QVERIFY(!window_->mnuRedo()->isEnabled());
    QVERIFY(!window_->mnuExportIPS()->isEnabled());
    Sandbox box;
    openDemo(box);
    QVERIFY(window_->mnuExportIPS()->isEnabled());
    QVERIFY(!window_->mnuUndo()->isEnabled());
}

void TestHistory::menuStatesFollowTheHistory()
{
    Sandbox box;
    openDemo(box);
    const std::uint8_t original = RomImage[0x58];
    RomImage.write(0x58, static_cast<std::uint8_t>(original + 1));
    QVERIFY(window_->mnuUndo()->isEnabled());
    QVERIFY(!window_->mnuRedo()->isEnabled());
    window_->mnuUndo()->trigger();
    QCOMPARE(RomImage[0x58], original);
    QVERIFY(!window_->mnuUndo()->isEnabled());
    QVERIFY(window_->mnuRedo()->isEnabled());
    window_->mnuRedo()->trigger();
    QCOMPARE(RomImage[0x58], static_cast<std::uint8_t>(original + 1));
    QVERIFY(window_->mnuUndo()->isEnabled());
    QVERIFY(!window_->mnuRedo()->isEnabled());
    // A disabled item does nothing when triggered.
    window_->mnuRedo()->trigger();
    QCOMPARE(RomImage[0x58], static_cast<std::uint8_t>(original + 1));
    // The shortcuts work as well.
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(RomImage[0x58], original);
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(RomImage[0x58], static_cast<std::uint8_t>(original + 1));
    QTest::keyClick(window_.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window_.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(RomImage[0x58], static_cast<std::uint8_t>(original + 1));
}

void TestHistory::captionMarker()
{
    const QString clean = MainCaption();
    const QString marked = MainCaption() + QStringLiteral(" *");
    QCOMPARE(window_->windowTitle(), clean);
    Sandbox box;
    openDemo(box);
    QCOMPARE(window_->windowTitle(), clean);
    const std::uint8_t original = RomImage[0x100];
    RomImage.write(0x100, static_cast<std::uint8_t>(original ^ 1));
    QCOMPARE(window_->windowTitle(), marked);
    QVERIFY(RomImage.modified());
    window_->mnuUndo()->trigger();
    QCOMPARE(window_->windowTitle(), clean);
    QVERIFY(!RomImage.modified());
    window_->mnuRedo()->trigger();
    QCOMPARE(window_->windowTitle(), marked);
    window_->mnuSave()->trigger();
    QCOMPARE(window_->windowTitle(), clean);
    QVERIFY(!RomImage.modified());
    // Undoing past the save: the image differs from the file again.
    window_->mnuUndo()->trigger();
    QCOMPARE(window_->windowTitle(), marked);
    QVERIFY(RomImage.modified());
    window_->mnuRedo()->trigger();
    QCOMPARE(window_->windowTitle(), clean);
    // The file on disk is what the caption says it is.
    QVERIFY(ReadFileBytes(path_) == Snapshot(RomImage));
}

void TestHistory::placingUndoesBytesAndPixels()
{
    Sandbox box;
    openDemo(box);
    chooseStage(0);
    const Bytes opened = Snapshot(RomImage);
    const QImage before = window_->picEditor()->backBuffer().copy();
    // Pick block 1 (page 0, row 0, right column) and place it in two cells.
    QTest::mouseClick(window_->picTile(), Qt::LeftButton, {}, QPoint(40, 10));
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("1"));
    const std::int64_t cellA = Stages[0].RoomData + 0 * 16 + 0;
    const std::int64_t cellB = Stages[0].RoomData + 6 * 16 + 3;
    const std::uint8_t oldA = RomImage[cellA];
    const std::uint8_t oldB = RomImage[cellB];
    QVERIFY(oldA != 1 && oldB != 1);
    QTest::mouseClick(window_->picEditor(), Qt::LeftButton, {}, QPoint(5, 5));
    const QImage afterOne = window_->picEditor()->backBuffer().copy();
    QTest::mouseClick(window_->picEditor(), Qt::LeftButton, {}, QPoint(100, 200));
    const QImage afterTwo = window_->picEditor()->backBuffer().copy();
    QCOMPARE(RomImage[cellA], std::uint8_t{1});
    QCOMPARE(RomImage[cellB], std::uint8_t{1});
    QVERIFY(afterOne != before && afterTwo != afterOne);

    // Each placing is one step; undo puts back the byte and the picture.
    window_->mnuUndo()->trigger();
    QCOMPARE(RomImage[cellB], oldB);
    QCOMPARE(RomImage[cellA], std::uint8_t{1});
    QCOMPARE(window_->picEditor()->backBuffer(), afterOne);
    window_->mnuUndo()->trigger();
    QVERIFY(Snapshot(RomImage) == opened);
    QCOMPARE(window_->picEditor()->backBuffer(), before);
    QCOMPARE(Grab(window_->picEditor()), before.convertToFormat(Grab(window_->picEditor()).format()));
    QCOMPARE(window_->windowTitle(), MainCaption());
    // The selection survives undo: the selected block is still shown.
    QCOMPARE(window_->picSelectedTile()->Tag(), QStringLiteral("1"));

    window_->mnuRedo()->trigger();
    window_->mnuRedo()->trigger();
    QCOMPARE(RomImage[cellA], std::uint8_t{1});
    QCOMPARE(RomImage[cellB], std::uint8_t{1});
    QCOMPARE(window_->picEditor()->backBuffer(), afterTwo);
}

void TestHistory::undoRedrawsTheBlockTable()
{
    Sandbox box;
    openDemo(box);
    chooseStage(0);
    const QImage table = window_->picTile()->backBuffer().copy();
    const QImage level = window_->picEditor()->backBuffer().copy();
    // A change of block 0's tiles and of palette 0, as the editors make them, then a redraw.
    {
        EditStep step(window_->History());
        for (int k = 0; k < 4; ++k)
            RomImage.write(Stages[0].BlockTiles + k, static_cast<std::uint8_t>(RomImage[Stages[0].BlockTiles + k] + 1));
        RomImage.write(Stages[0].Palettes + 1, static_cast<std::uint8_t>((RomImage[Stages[0].Palettes + 1] + 7) % 64));
    }
    window_->DrawTable();
    window_->DrawLevel();
    QVERIFY(window_->picTile()->backBuffer() != table);
    QVERIFY(window_->picEditor()->backBuffer() != level);
    window_->mnuUndo()->trigger();
    QCOMPARE(window_->picTile()->backBuffer(), table);
    QCOMPARE(window_->picEditor()->backBuffer(), level);
}

void TestHistory::openClearsTheHistory()
{
    Sandbox box;
    openDemo(box, QStringLiteral("a.nes"));
    RomImage.write(0x58, static_cast<std::uint8_t>(RomImage[0x58] + 1));
    window_->mnuUndo()->trigger();
    RomImage.write(0x59, static_cast<std::uint8_t>(RomImage[0x59] + 1));
    QVERIFY(window_->mnuUndo()->isEnabled());
    const QString other = box.write(QStringLiteral("b.nes"), DemoBytes(DemoLayout::Shifted, 3));
    answerer_.expect(PressStandard(QMessageBox::Discard)); // the unsaved edit
    answerer_.expect(ChooseFile(other));
    window_->mnuOpen()->trigger();
    QCOMPARE(QDir::fromNativeSeparators(RomFileName), other);
    QVERIFY(!window_->mnuUndo()->isEnabled());
    QVERIFY(!window_->mnuRedo()->isEnabled());
    QCOMPARE(window_->windowTitle(), MainCaption());
    // Undo cannot reach into the previous image.
    window_->History().Undo();
    QVERIFY(Snapshot(RomImage) == DemoBytes(DemoLayout::Shifted, 3));
}

namespace {

// What the main window and both editors show.
struct Shown {
    QImage level, table, block, swatch, grid;
    bool operator==(const Shown&) const = default;
};

Shown ShownBy(frmQuorvan& window)
{
    return {window.picEditor()->backBuffer().copy(), window.picTile()->backBuffer().copy(),
            window.TileEdit(false)->picTile()->backBuffer().copy(),
            Grab(window.PaletteEditor(false)->picLoadedPal(0)),
            window.PaletteEditor(false)->picPalGrid()->backBuffer().copy()};
}

void ClickAt(QWidget* widget, QPoint at)
{
    // Sent by hand: QTest reads the point (0, 0) as "the widget's centre".
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                        {}, {});
    QApplication::sendEvent(widget, &release);
}

} // namespace

void TestHistory::editorEditsUndoAndRedo_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("tile number") << "tile";
    QTest::newRow("palette of the block") << "palette";
    QTest::newRow("flags of the block") << "flags";
    QTest::newRow("colour pick") << "colour";
}

void TestHistory::editorEditsUndoAndRedo()
{
    QFETCH(QString, edit);
    Sandbox box;
    openDemo(box);
    chooseStage(0);
    // Block 1 picked: the tile editor follows it; the palette editor is shown.
    QTest::mouseClick(window_->picTile(), Qt::LeftButton, {}, QPoint(40, 10));
    window_->mnuPalette()->trigger();
    frmTileEdit* tiles = window_->TileEdit(false);
    frmPaletteEditor* palette = window_->PaletteEditor(false);
    QVERIFY(tiles != nullptr && palette != nullptr);
    QCOMPARE(tiles->vsTile()->value(), 1);
    const Bytes opened = Snapshot(RomImage);
    const Shown before = ShownBy(*window_);

    const std::int64_t attribute = Stages[0].BlockAttributes + 1;
    std::int64_t offset = 0;
    if (edit == QLatin1String("tile")) {
        offset = Stages[0].BlockTiles + 4 + 1;
        tiles->hsTile(1)->setValue((RomImage[offset] + 5) % 256);
    } else if (edit == QLatin1String("palette")) {
        offset = attribute;
        tiles->optPal((RomImage[offset] + 1) % 4)->click();
    } else if (edit == QLatin1String("flags")) {
        offset = attribute;
        tiles->cboFlags()->setCurrentIndex((RomImage[offset] / 4 + 9) % 64);
    } else {
        offset = Stages[0].Palettes; // swatch 0, selected
        const int colour = (RomImage[offset] + 17) % 64;
        ClickAt(palette->picPalGrid(), QPoint(colour % 16 * 32 + 3, colour / 16 * 32 + 3));
    }
    tiles->cmdRefresh()->click(); // the main views show the tile editor's change
    const Bytes edited = Snapshot(RomImage);
    const Shown after = ShownBy(*window_);
    QVERIFY(edited != opened);
    // Exactly one byte changed, in one step.
    QCOMPARE(std::inner_product(edited.begin(), edited.end(), opened.begin(), 0, std::plus<>(),
                                std::not_equal_to<>()),
             1);
    QVERIFY(edited[static_cast<std::size_t>(offset)] != opened[static_cast<std::size_t>(offset)]);
    QCOMPARE(int(window_->History().undoCount()), 1);
    if (edit != QLatin1String("flags")) // flags are not drawn
        QVERIFY(!(after == before));

    window_->mnuUndo()->trigger();
    QVERIFY(Snapshot(RomImage) == opened);
    QVERIFY(ShownBy(*window_) == before);
    QCOMPARE(tiles->hsTile(1)->value(), int{RomImage[Stages[0].BlockTiles + 5]});
    QCOMPARE(tiles->cboFlags()->currentIndex(), RomImage[attribute] / 4);
    QVERIFY(tiles->optPal(RomImage[attribute] % 4)->isChecked());
    QCOMPARE(window_->windowTitle(), MainCaption());

    window_->mnuRedo()->trigger();
    QVERIFY(Snapshot(RomImage) == edited);
    QVERIFY(ShownBy(*window_) == after);
    QCOMPARE(window_->windowTitle(), MainCaption() + QStringLiteral(" *"));
}

void TestHistory::tileDragIsOneStep()
{
    Sandbox box;
    openDemo(box);
    chooseStage(0);
    QTest::mouseClick(window_->picTile(), Qt::LeftButton, {}, QPoint(40, 10));
    frmTileEdit* tiles = window_->TileEdit(false);
    QScrollBar* bar = tiles->hsTile(2);
    const std::int64_t offset = Stages[0].BlockTiles + 4 + 2;
    const int start = RomImage[offset];
    const Bytes opened = Snapshot(RomImage);
    // The thumb is pressed, dragged over several values (each written), and released.
    bar->setSliderDown(true);
    for (int step = 1; step <= 6; ++step) {
        bar->setSliderPosition((start + step * 3) % 256);
        QCOMPARE(int{RomImage[offset]}, (start + step * 3) % 256);
    }
    bar->setSliderDown(false);
    // Then one click on an arrow: a step of its own.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(int(window_->History().undoCount()), 2);

    window_->mnuUndo()->trigger();
    QCOMPARE(int{RomImage[offset]}, (start + 18) % 256);
    window_->mnuUndo()->trigger();
    QVERIFY(Snapshot(RomImage) == opened);
    QCOMPARE(bar->value(), start);
    QVERIFY(!window_->mnuUndo()->isEnabled());
    // A drag that ends where it began is no step at all.
    bar->setSliderDown(true);
    bar->setSliderPosition((start + 1) % 256);
    bar->setSliderPosition(start);
    bar->setSliderDown(false);
    QVERIFY(!window_->mnuUndo()->isEnabled());
    QVERIFY(window_->mnuRedo()->isEnabled());
}

void TestHistory::firstSaveKeepsTheFileOnce()
{
    Sandbox box;
    openDemo(box);
    const QString backup = path_ + QStringLiteral(".bak");
    // A backup left by an earlier session, longer than the image: replaced whole.
    box.write(QFileInfo(backup).fileName(), Bytes(0x50000, 0xEE));
    const Bytes original = ReadFileBytes(path_);

    RomImage.write(0x58, static_cast<std::uint8_t>(original[0x58] + 1));
    window_->mnuSave()->trigger();
    QVERIFY(ReadFileBytes(backup) == original);
    QVERIFY(ReadFileBytes(path_) == Snapshot(RomImage));

    // Later saves keep the first copy, not the session's own earlier save.
    RomImage.write(0x59, static_cast<std::uint8_t>(original[0x59] + 1));
    window_->mnuSave()->trigger();
    QVERIFY(ReadFileBytes(backup) == original);
    QVERIFY(ReadFileBytes(path_) == Snapshot(RomImage));
    // No temporary files are left beside them.
    QCOMPARE(QDir(box.path(QString())).entryList(QDir::Files).size(), 2);

    // Save As to a new file has nothing to keep.
    const QString copy = box.path(QStringLiteral("copy.nes"));
    answerer_.expect(ChooseFile(copy));
    window_->mnuSaveAS()->trigger();
    QVERIFY(QFileInfo::exists(copy));
    QVERIFY(!QFileInfo::exists(copy + QStringLiteral(".bak")));
}

void TestHistory::saveAsOverAnotherFileKeepsIt()
{
    Sandbox box;
    openDemo(box);
    const Bytes otherBytes = DemoBytes(DemoLayout::Plain, 9);
    const QString other = box.write(QStringLiteral("other.nes"), otherBytes);
    answerer_.expect(ChooseFile(other));
    answerer_.expect(PressStandard(QMessageBox::Yes)); // replace it
    window_->mnuSaveAS()->trigger();
    QVERIFY(ReadFileBytes(other + QStringLiteral(".bak")) == otherBytes);
    QVERIFY(ReadFileBytes(other) == Snapshot(RomImage));
    // The file it came from was not written, so it has no backup either.
    QVERIFY(!QFileInfo::exists(path_ + QStringLiteral(".bak")));
}

void TestHistory::backupThatCannotBeWrittenStopsTheSave()
{
    Sandbox box;
    openDemo(box);
    const Bytes original = ReadFileBytes(path_);
    QVERIFY(QDir(box.path(QString())).mkdir(QFileInfo(path_).fileName() + QStringLiteral(".bak")));
    RomImage.write(0x58, static_cast<std::uint8_t>(original[0x58] + 1));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuSave()->trigger();
    QVERIFY(answerer_.seen().last().startsWith(QStringLiteral("File Error|Could not save")));
    QVERIFY(answerer_.seen().last().contains(QStringLiteral(".bak")));
    QVERIFY(ReadFileBytes(path_) == original);
    QVERIFY(RomImage.modified());
    QCOMPARE(window_->windowTitle(), MainCaption() + QStringLiteral(" *"));
}

QTEST_MAIN(TestHistory)
#include "test_history.moc"
