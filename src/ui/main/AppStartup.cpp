#include "ui/main/AppStartup.h"

#include "cli/StartupOptions.h"

#include "data/Version.h"
#include "ui/common/AppStyle.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/common/QuitWhenPainted.h"
#include "ui/common/Resources.h"
#include "ui/common/SettingsFiles.h"
#include "ui/common/ToolWindows.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>

namespace quorvan {

namespace {

// Opens tool windows as their menu items would; the names were checked when
// the command line was read, and the editors and the overview need the stage
// chosen before.
void OpenToolWindows(frmQuorvan& window, const QStringList& tools)
{
    for (const QString& name : tools) {
        QAction* item = name == QLatin1String("palette")  ? window.mnuPalette()
                        : name == QLatin1String("tile")     ? window.mnuTileEditor()
                        : name == QLatin1String("sheet")    ? window.mnuTileSheet()
                        : name == QLatin1String("about")    ? window.mnuAbout()
                        : name == QLatin1String("overview") ? window.mnuStageOverview()
                        : name == QLatin1String("history")  ? window.mnuHistory()
                                                            : nullptr;
        if (item != nullptr && item->isEnabled() && !item->isChecked())
            item->trigger();
    }
}

} // namespace

int RunQuorvan(QApplication&, const StartupOptions& options, const QString& unrepresentableArgument)
{
    NameApplication();
    // Before anything reads the settings: a settings file that is a named pipe
    // or a device would hold start-up for ever.
    const std::optional<QString> settingsIgnored = GuardSettingsFiles();
    UseProgramStyle();
    EnsureResources();
    // Read as the PNG it is: left to guess, the reader loads every image
    // plugin (and its libraries) to ask it, at a cost in start-up time and memory.
    QImageReader icon(QStringLiteral(":/quorvan/quorvan.png"), "png");
    icon.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon.read())));

    // The program keeps where the user left its tool windows in the user's settings.
    KeepToolWindowPositions([] { return std::make_unique<QSettings>(); });

    frmQuorvan window;
    window.show();
    if (settingsIgnored) {
        std::fprintf(stderr, "quorvan: %s\n", settingsIgnored->toLocal8Bit().constData());
        window.ShowStatusNote(*settingsIgnored);
    }

    QString file = options.file;
    if (!unrepresentableArgument.isEmpty()) {
        // Start with no image open rather than open a file of another name.
        file.clear();
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
    QTimer::singleShot(0, &window, [&window, file, stage = options.stage, tools = options.tools,
                                    quit = options.quitWhenPainted] {
        // Watched from here on: the next paint shows what the steps below drew
        // (or, when they draw nothing, the window as it stands).
        if (quit) {
            QuitWhenPainted(window.picEditor());
            window.picEditor()->update(); // a paint comes even when nothing below draws
        }
        if (!file.isEmpty()) {
            // Said on stderr at once, for scripts, before the message box waits for the user.
            const auto said = QObject::connect(&window, &frmQuorvan::openRefused, [](const QString& path, const QString& reason) {
                std::fprintf(stderr, "quorvan: \"%s\" was not opened: %s\n", qPrintable(path), qPrintable(reason));
                std::fflush(stderr);
            });
            const bool opened = window.OpenFile(file);
            QObject::disconnect(said);
            if (!opened)
                return;
        }
        if (!file.isEmpty() && stage >= 1 && stage <= 9)
            window.mnuStageSelect(stage - 1)->trigger();
        OpenToolWindows(window, tools);
    });

    if (!options.screenshot.isEmpty()) {
        const QString target = options.screenshot;
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
