#include "ui/main/AppStartup.h"

#include "data/Version.h"
#include "ui/common/AppStyle.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/common/QuitWhenPainted.h"
#include "ui/common/Resources.h"
#include "ui/common/ToolWindows.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace quorvan {

void NameApplication()
{
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QStringLiteral("Quorvan"));
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    QCoreApplication::setApplicationVersion(VersionText());
}

namespace {

// Opens tool windows as their menu items would ("palette", "tile", "about",
// "overview", comma-separated); the editors and the overview need a stage.
void OpenToolWindows(frmQuorvan& window, const QString& list)
{
    const QStringList tools = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& tool : tools) {
        const QString name = tool.trimmed().toLower();
        QAction* item = name == QLatin1String("palette") ? window.mnuPalette()
                        : name == QLatin1String("tile")  ? window.mnuTileEditor()
                        : name == QLatin1String("about") ? window.mnuAbout()
                        : name == QLatin1String("overview") ? window.mnuStageOverview()
                                                         : nullptr;
        if (item == nullptr) {
            std::fprintf(stderr, "Unknown tool window \"%s\" (palette, tile, about or overview).\n",
                         qPrintable(tool));
            continue;
        }
        if (item->isEnabled() && !item->isChecked())
            item->trigger();
    }
}

} // namespace

int RunQuorvan(QApplication& app, const QString& unrepresentableArgument)
{
    NameApplication();
    UseProgramStyle();
    EnsureResources();
    // Read as the PNG it is: left to guess, the reader loads every image
    // plugin (and its libraries) to ask it, at a cost in start-up time and memory.
    QImageReader icon(QStringLiteral(":/quorvan/quorvan.png"), "png");
    icon.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon.read())));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Level editor for NES cartridge images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Image to open at start-up."), QStringLiteral("[file]"));
    const QCommandLineOption stageOption(QStringLiteral("stage"), QStringLiteral("Stage to choose after opening (1-9)."),
                                         QStringLiteral("n"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Save a picture of the window and exit."),
                                              QStringLiteral("png"));
    const QCommandLineOption toolsOption(
        QStringLiteral("tools"),
        QStringLiteral("Tool windows to open once the stage is chosen, comma-separated: palette, tile, about, overview."),
        QStringLiteral("list"));
    const QCommandLineOption quitOption(
        QStringLiteral("quit-when-painted"),
        QStringLiteral("Exit once the level view has been painted after the start-up steps (for timing start-up)."));
    parser.addOption(stageOption);
    parser.addOption(screenshotOption);
    parser.addOption(toolsOption);
    parser.addOption(quitOption);
    parser.process(app);

    // The program keeps where the user left its tool windows in the user's settings.
    KeepToolWindowPositions([] { return std::make_unique<QSettings>(); });

    frmQuorvan window;
    window.show();

    QStringList files = parser.positionalArguments();
    if (!unrepresentableArgument.isEmpty()) {
        // Start with no image open rather than open a file of another name.
        files.clear();
        const QString reason = QStringLiteral("The name \"%1\" given on the command line is not valid in this "
                                              "system's encoding of file names, so it cannot be opened exactly "
                                              "(it would name another file). Rename the file, or open it with File "
                                              "> Open.")
                                   .arg(unrepresentableArgument);
        std::fprintf(stderr, "quorvan: %s\n", reason.toLocal8Bit().constData());
        QTimer::singleShot(0, &window, [&window, reason] {
            MsgBox(&window, reason, QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
        });
    }
    // The start-up steps run once the event loop does, so that a refusal shown
    // on the way (a message box waits for its answer) never holds up the window,
    // its screenshot or a script waiting for the program.
    QTimer::singleShot(0, &window, [&window, files, stage = parser.isSet(stageOption) ? parser.value(stageOption) : QString(),
                                    tools = parser.value(toolsOption), quit = parser.isSet(quitOption)] {
        // Watched from here on: the next paint shows what the steps below drew
        // (or, when they draw nothing, the window as it stands).
        if (quit) {
            QuitWhenPainted(window.picEditor());
            window.picEditor()->update(); // a paint comes even when nothing below draws
        }
        if (!files.isEmpty()) {
            // Said on stderr at once, for scripts, before the message box waits for the user.
            const auto said = QObject::connect(&window, &frmQuorvan::openRefused, [](const QString& path, const QString& reason) {
                std::fprintf(stderr, "quorvan: \"%s\" was not opened: %s\n", qPrintable(path), qPrintable(reason));
                std::fflush(stderr);
            });
            const bool opened = window.OpenFile(files.first());
            QObject::disconnect(said);
            if (!opened)
                return;
        }
        if (!files.isEmpty() && !stage.isEmpty()) {
            bool ok = false;
            const int number = stage.toInt(&ok);
            if (ok && number >= 1 && number <= 9)
                window.mnuStageSelect(number - 1)->trigger();
        }
        OpenToolWindows(window, tools);
    });

    if (parser.isSet(screenshotOption)) {
        const QString target = parser.value(screenshotOption);
        QTimer::singleShot(500, &window, [&window, target] {
            const bool saved = window.grab().save(target);
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "Screenshot saved to" : "Could not save",
                         qPrintable(target));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}

} // namespace quorvan
