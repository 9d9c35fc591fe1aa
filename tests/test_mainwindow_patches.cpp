// The patch items of the main window and the Preferences dialog, driven as a
// user would: the base a patch is made against, applying a patch as one edit,
// and the preferences kept between runs.

#include "data/BpsPatch.h"
#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "support/PatchDecoders.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/prefs/Preferences.h"
#include "ui/prefs/frmPreferences.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

using namespace quorvan;
using namespace quorvan::test;

namespace {

Bytes ImageNow()
{
    return {RomImage.bytes().begin(), RomImage.bytes().end()};
}

// Room 0 of stage 1 changed, so that the level view shows the difference.
Bytes RoomEdited(Bytes bytes)
{
    for (std::size_t i = 0x58; i < 0x58 + 192; ++i)
        bytes[i] = static_cast<std::uint8_t>(bytes[i] + 1);
    return bytes;
}

// Clicks a button once the answer has returned, so that a dialog it opens is
// answered in turn.
void ClickLater(QWidget* modal, const char* name)
{
    if (auto* button = modal->findChild<QPushButton*>(QString::fromLatin1(name)))
        QTimer::singleShot(0, button, &QPushButton::click);
    else
        qWarning("no button %s", name);
}

ModalAnswerer::Answer FillPreferences(const QString& emulator, const QString& clean, int scaleIndex, const char* button)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<frmPreferences*>(modal);
        if (dialog == nullptr) {
            qWarning("expected the Preferences dialog");
            return;
        }
        dialog->txtEmulator()->setText(emulator);
        dialog->txtCleanOriginal()->setText(clean);
        dialog->cmbExportScale()->setCurrentIndex(scaleIndex);
        ClickLater(modal, button);
    };
}

} // namespace

class TestMainWindowPatches : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuItems();
    void exportBase_data();
    void exportBase();
    void exportRefusesTheCleanOriginal();
    void applyPatchIsOneEdit();
    void applyRefusedChangesNothing_data();
    void applyRefusedChangesNothing();
    void preferencesKeptOnOkOnly();
    void preferencesKeepPathsAsTyped();
    void preferencesQuestionAnUnusableCleanOriginal_data();
    void preferencesQuestionAnUnusableCleanOriginal();
    void defaultEmulator_data();
    void defaultEmulator();

private:
    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

void TestMainWindowPatches::init()
{
    QSettings().clear();
    ResetGlobals();
    answerer_.reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void TestMainWindowPatches::cleanup()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
}

void TestMainWindowPatches::menuItems()
{
    // Inside the five menus, in the File menu's patch group and at the end of Edit.
    QCOMPARE(window_->menuBar()->actions().size(), 5);
    const QList<QAction*> file = window_->menuFile()->actions();
    const qsizetype ips = file.indexOf(window_->mnuExportIPS());
    QCOMPARE(file.value(ips + 1), window_->mnuExportBPS());
    QCOMPARE(file.value(ips + 2), window_->mnuApplyPatch());
    QVERIFY(file.value(ips + 3)->isSeparator());
    QCOMPARE(window_->mnuExportBPS()->objectName(), QStringLiteral("mnuExportBPS"));
    QCOMPARE(window_->mnuExportBPS()->text(), QStringLiteral("Export &BPS Patch..."));
    QCOMPARE(window_->mnuApplyPatch()->objectName(), QStringLiteral("mnuApplyPatch"));
    QCOMPARE(window_->mnuApplyPatch()->text(), QStringLiteral("Appl&y Patch..."));
    QCOMPARE(window_->menuEdit()->actions().last(), window_->mnuPreferences());
    QCOMPARE(window_->mnuPreferences()->objectName(), QStringLiteral("mnuPreferences"));
    QCOMPARE(window_->mnuPreferences()->text(), QStringLiteral("Pr&eferences..."));
    // Patches need an image; Preferences does not.
    QVERIFY(!window_->mnuExportBPS()->isEnabled());
    QVERIFY(!window_->mnuApplyPatch()->isEnabled());
    QVERIFY(window_->mnuPreferences()->isEnabled());
    Sandbox box;
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("game.nes"))));
    QVERIFY(window_->mnuExportBPS()->isEnabled());
    QVERIFY(window_->mnuApplyPatch()->isEnabled());
}

void TestMainWindowPatches::exportBase_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("clean"); // what the clean original path names
    QTest::addColumn<bool>("againstClean");
    const struct {
        const char* name;
        const char* clean;
        bool againstClean;
    } cases[] = {
        {"clean original set", "clean", true},
        {"no clean original", "", false},
        {"clean original missing", "missing", false},
        {"clean original of the other length", "shifted", false},
        {"clean original of a refused length", "short", false},
    };
    for (const char* format : {"ips", "bps"})
        for (const auto& c : cases)
            QTest::addRow("%s, %s", format, c.name) << QString::fromLatin1(format) << QString::fromLatin1(c.clean)
                                                    << c.againstClean;
}

void TestMainWindowPatches::exportBase()
{
    QFETCH(QString, format);
    QFETCH(QString, clean);
    QFETCH(bool, againstClean);

    // An image built over two sittings: edits saved before, edits made now.
    Sandbox box;
    const Bytes original = DemoBytes();
    box.write(QStringLiteral("clean.nes"), original);
    box.write(QStringLiteral("shifted.nes"), DemoBytes(DemoLayout::Shifted));
    box.write(QStringLiteral("short.nes"), Bytes(100, 1));
    const Bytes earlier = RoomEdited(original);
    const QString work = box.write(QStringLiteral("work.nes"), earlier);
    Preferences preferences = Preferences::Load();
    preferences.cleanOriginal = clean.isEmpty() ? QString() : box.path(clean + QStringLiteral(".nes"));
    preferences.Save();

    QVERIFY(window_->OpenFile(work));
    RomImage.write(0x30000, static_cast<std::uint8_t>(RomImage[0x30000] ^ 0xFF));
    const QString patchPath = box.path(QStringLiteral("out.") + format);
    answerer_.expect(ChooseFile(patchPath));
    (format == QLatin1String("ips") ? window_->mnuExportIPS() : window_->mnuExportBPS())->trigger();
    QCOMPARE(answerer_.pending(), 0);

    const QString title = QStringLiteral("QFileDialog|Export %1 Patch against %2")
                              .arg(format.toUpper(), againstClean ? QStringLiteral("the clean original")
                                                                  : QStringLiteral("the image as opened"));
    QCOMPARE(answerer_.seen().last(), title);
    const Bytes base = againstClean ? original : earlier;
    const Bytes patch = ReadFileBytes(patchPath);
    const DecodedPatch decoded = format == QLatin1String("ips") ? DecodeIps(base, patch) : DecodeBps(base, patch);
    QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
    QVERIFY(decoded.image == ImageNow());
}

void TestMainWindowPatches::exportRefusesTheCleanOriginal()
{
    Sandbox box;
    const QString clean = box.demoImage(QStringLiteral("clean.nes"));
    Preferences preferences;
    preferences.cleanOriginal = clean;
    preferences.Save();
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("game.nes"))));
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] + 1));
    answerer_.expect(ChooseFile(clean));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuExportBPS()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(answerer_.seen().last().contains(QStringLiteral("It is the clean original")));
    QVERIFY(ReadFileBytes(clean) == DemoBytes());
    // Nothing to export when the image equals the clean original.
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] - 1));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuExportIPS()->trigger();
    QCOMPARE(answerer_.seen().last(),
             QStringLiteral("Export IPS Patch|The image does not differ from the clean original: there is nothing to export."));
}

void TestMainWindowPatches::applyPatchIsOneEdit()
{
    Sandbox box;
    const Bytes base = DemoBytes();
    const Bytes modified = RoomEdited(base);
    const QString image = box.write(QStringLiteral("game.nes"), base);
    const QString wanted = box.write(QStringLiteral("wanted.nes"), modified);
    const QString patch = box.write(QStringLiteral("room.bps"), BuildBpsPatch(base, modified));
    QVERIFY(window_->OpenFile(image));
    window_->mnuStageSelect(0)->trigger();
    const QImage before = Grab(window_->picEditor());

    answerer_.expect(ChooseFile(patch));
    window_->mnuApplyPatch()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY(ImageNow() == modified);
    QVERIFY(window_->windowTitle().endsWith(QStringLiteral(" *")));
    QVERIFY(ReadFileBytes(image) == base); // applying is an edit, not a save
    // Every view shows the patched image, as if it had been opened.
    const QImage applied = Grab(window_->picEditor());
    const QImage table = Grab(window_->picTile());
    QVERIFY(applied != before);
    window_->mnuUndo()->trigger();
    QVERIFY(ImageNow() == base);
    QVERIFY(!window_->mnuUndo()->isEnabled());
    QVERIFY(!window_->windowTitle().endsWith(QStringLiteral(" *")));
    QCOMPARE(Grab(window_->picEditor()), before);
    window_->mnuRedo()->trigger();
    QVERIFY(ImageNow() == modified);
    // Save works as after any edit.
    window_->mnuSave()->trigger();
    QVERIFY(ReadFileBytes(image) == modified);
    QVERIFY(window_->OpenFile(wanted));
    QCOMPARE(Grab(window_->picEditor()), applied);
    QCOMPARE(Grab(window_->picTile()), table);
}

void TestMainWindowPatches::applyRefusedChangesNothing_data()
{
    QTest::addColumn<Bytes>("patch");   // empty: the file does not exist
    QTest::addColumn<QString>("message");
    const Bytes base = DemoBytes();
    QTest::newRow("BPS of another image") << BuildBpsPatch(DemoBytes(DemoLayout::Plain, 2), base)
                                          << "Apply Patch|\"%1\" was not applied; the image is unchanged.\n\nThe BPS patch was made for another image";
    QTest::newRow("length change") << Bytes{'P', 'A', 'T', 'C', 'H', 'E', 'O', 'F', 0x03, 0x02, 0x10}
                                   << "Apply Patch|\"%1\" was not applied; the image is unchanged.\n\nThe patch changes the image's length";
    QTest::newRow("IPS record past the end") << Bytes{'P', 'A', 'T', 'C', 'H', 0x04, 0x00, 0x8F, 0x00, 0x02, 1, 2, 'E', 'O', 'F'}
                                             << "Apply Patch|\"%1\" was not applied; the image is unchanged.\n\nThe IPS patch writes past the end";
    QTest::newRow("not a patch") << Bytes{'N', 'E', 'S', 0x1A} << "Apply Patch|\"%1\" was not applied; the image is unchanged.\n\nThe file is not a patch";
    QTest::newRow("missing file") << Bytes{} << "File Error|Could not read the patch \"%1\".";
}

void TestMainWindowPatches::applyRefusedChangesNothing()
{
    QFETCH(Bytes, patch);
    QFETCH(QString, message);
    Sandbox box;
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("game.nes"))));
    RomImage.write(0x70, static_cast<std::uint8_t>(RomImage[0x70] + 1));
    const Bytes before = ImageNow();
    const QString path = patch.empty() ? box.path(QStringLiteral("none.ips")) : box.write(QStringLiteral("p.bin"), patch);
    answerer_.expect(ChooseFile(path));
    answerer_.expect(ClickButton(QStringLiteral("OK")));
    window_->mnuApplyPatch()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QVERIFY2(answerer_.seen().last().startsWith(message.arg(QDir::toNativeSeparators(path))),
             qPrintable(answerer_.seen().last()));
    QVERIFY(ImageNow() == before);
    QCOMPARE(window_->History().undoCount(), std::size_t{1});
}

void TestMainWindowPatches::preferencesKeptOnOkOnly()
{
    // The defaults as the dialog first shows them.
    answerer_.expect([](QWidget* modal) {
        auto* dialog = qobject_cast<frmPreferences*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->objectName(), QStringLiteral("frmPreferences"));
        QCOMPARE(dialog->txtCleanOriginal()->text(), QString());
        QCOMPARE(dialog->txtEmulator()->text(), Preferences::DefaultEmulator());
        QCOMPARE(dialog->cmbExportScale()->count(), 2);
        QCOMPARE(dialog->cmbExportScale()->currentText(), QStringLiteral("2"));
        dialog->reject();
    });
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);

    Sandbox box;
    const QString clean = box.demoImage(QStringLiteral("clean.nes"));
    const QString emulator = box.path(QStringLiteral("my emulator"));
    answerer_.expect(FillPreferences(emulator, QString(), 0, "cmdOK"));
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    // The clean original chosen with its Browse button.
    answerer_.expect([](QWidget* modal) { ClickLater(modal, "cmdBrowseCleanOriginal"); });
    answerer_.expect(ChooseFile(clean));
    answerer_.expect([](QWidget* modal) { ClickLater(modal, "cmdOK"); });
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    Preferences kept = Preferences::Load();
    QCOMPARE(kept.emulator, emulator);
    QCOMPARE(kept.cleanOriginal, QDir::toNativeSeparators(clean));
    QCOMPARE(kept.exportScale, 1);

    // Cancel keeps nothing; the dialog shows what was kept.
    answerer_.expect([&](QWidget* modal) {
        auto* dialog = qobject_cast<frmPreferences*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->values(), kept);
        FillPreferences(QStringLiteral("x"), QString(), 1, "cmdCancel")(modal);
    });
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(Preferences::Load(), kept);
}

void TestMainWindowPatches::preferencesKeepPathsAsTyped()
{
    // "clean.nes " is another file than "clean.nes": the patch base is the one typed.
    Sandbox box;
    box.demoImage(QStringLiteral("clean.nes"));
    const QString typed = box.demoImage(QStringLiteral("clean.nes "), DemoLayout::Plain, 2);
    answerer_.expect(FillPreferences(QString(), typed, 1, "cmdOK"));
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    QCOMPARE(Preferences::Load().cleanOriginal, typed);
}

void TestMainWindowPatches::preferencesQuestionAnUnusableCleanOriginal_data()
{
    QTest::addColumn<QString>("name");   // of the clean original in the sandbox
    QTest::addColumn<QString>("reason"); // part of the question
    QTest::newRow("missing") << "missing.nes" << "It does not exist.";
    QTest::newRow("a named pipe") << "pipe.nes" << "not a regular file";
    QTest::newRow("not an image") << "short.nes" << "1,000 bytes long, not an image of an accepted length";
    // The open image has the plain layout's 262,288 bytes.
    QTest::newRow("of another length than the open image") << "shifted.nes" << "differs from the open image's (262,288 bytes)";
}

void TestMainWindowPatches::preferencesQuestionAnUnusableCleanOriginal()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    Sandbox box;
    QVERIFY(window_->OpenFile(box.demoImage(QStringLiteral("game.nes"))));
    box.write(QStringLiteral("short.nes"), Bytes(1000, 0));
    box.demoImage(QStringLiteral("shifted.nes"), DemoLayout::Shifted);
    const QString clean = box.path(name);
    QString whyNot;
    if (name == QLatin1String("pipe.nes") && !MakeNamedPipe(clean, &whyNot))
        QSKIP(qPrintable(QStringLiteral("cannot make it here: ") + whyNot));
    answerer_.expect(FillPreferences(QString(), clean, 1, "cmdOK"));
    answerer_.expect(ClickButton(QStringLiteral("&No")));
    answerer_.expect([](QWidget* modal) {
        QVERIFY(qobject_cast<frmPreferences*>(modal) != nullptr); // back in the dialog
        ClickLater(modal, "cmdOK");
    });
    answerer_.expect(ClickButton(QStringLiteral("&Yes")));
    window_->mnuPreferences()->trigger();
    QCOMPARE(answerer_.pending(), 0);
    const QString question = answerer_.seen().at(1);
    QVERIFY2(question.startsWith(QStringLiteral("Preferences|\"%1\" cannot serve as the clean original")
                                     .arg(QDir::toNativeSeparators(clean))) &&
                 question.contains(reason),
             qPrintable(question));
    QCOMPARE(Preferences::Load().cleanOriginal, clean);
}

void TestMainWindowPatches::defaultEmulator_data()
{
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both") << QStringList{"nestopia", "fceux"} << "fceux";
    QTest::newRow("nestopia only") << QStringList{"nestopia"} << "nestopia";
    QTest::newRow("neither") << QStringList{"mednafen"} << "";
}

void TestMainWindowPatches::defaultEmulator()
{
    QFETCH(QStringList, onPath);
    QFETCH(QString, expected);
    Sandbox box;
    for (const QString& name : onPath) {
#ifdef Q_OS_WIN
        const QString file = box.write(name + QStringLiteral(".exe"), Bytes{});
#else
        const QString file = box.write(name, QByteArray("#!/bin/sh\n"));
#endif
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QDir::toNativeSeparators(box.path(QString())).toLocal8Bit());
    const QString found = Preferences::DefaultEmulator();
    const Preferences loaded = Preferences::Load();
    // The default is not written down: it follows what is installed.
    loaded.Save();
    const bool stored = QSettings().contains(QStringLiteral("Preferences/emulator"));
    qputenv("PATH", path);
    QCOMPARE(found, expected);
    QCOMPARE(loaded.emulator, expected);
    QVERIFY(!stored);
}

QTEST_MAIN(TestMainWindowPatches)
#include "test_mainwindow_patches.moc"
