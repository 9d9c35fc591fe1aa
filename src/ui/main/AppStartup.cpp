#include "ui/main/AppStartup.h"

#include "data/Version.h"
#include "ui/common/Resources.h"
#include "ui/common/ToolWindows.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
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

int RunQuorvan(QApplication& app)
{
    NameApplication();
    EnsureResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvan/quorvan.png")));

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
        QStringLiteral("Tool windows to open once the stage is chosen, comma-separated: palette, tile, about."),
        QStringLiteral("list"));
    parser.addOption(stageOption);
    parser.addOption(screenshotOption);
    parser.addOption(toolsOption);
    parser.process(app);

    // The program keeps where the user left its tool windows in the user's settings.
    KeepToolWindowPositions([] { return std::make_unique<QSettings>(); });

    frmQuorvan window;
    window.show();

    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty() && window.OpenFile(files.first()) && parser.isSet(stageOption)) {
        bool ok = false;
        const int stage = parser.value(stageOption).toInt(&ok);
        if (ok && stage >= 1 && stage <= 9)
            window.mnuStageSelect(stage - 1)->trigger();
    }
    // Each as its menu item opens it (the editors need a stage).
    const QStringList tools = parser.value(toolsOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& tool : tools) {
        const QString name = tool.trimmed().toLower();
        QAction* item = name == QLatin1String("palette") ? window.mnuPalette()
                        : name == QLatin1String("tile")  ? window.mnuTileEditor()
                        : name == QLatin1String("about") ? window.mnuAbout()
                                                         : nullptr;
        if (item == nullptr) {
            std::fprintf(stderr, "Unknown tool window \"%s\" (palette, tile or about).\n", qPrintable(tool));
            continue;
        }
        if (item->isEnabled() && !item->isChecked())
            item->trigger();
    }

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
