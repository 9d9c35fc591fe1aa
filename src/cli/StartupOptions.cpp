#include "cli/StartupOptions.h"

#include "cli/BatchCommands.h"
#include "data/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace quorvan {

void NameApplication()
{
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QStringLiteral("Quorvan"));
    QCoreApplication::setApplicationName(QString::fromLatin1(kProgramTitle));
    QCoreApplication::setApplicationVersion(VersionText());
}

namespace {

QString ToolList()
{
    QStringList names;
    for (const ToolName& tool : kToolNames)
        names << QString::fromLatin1(tool.name);
    return names.join(QStringLiteral(", "));
}

const ToolName* FindTool(const QString& name)
{
    for (const ToolName& tool : kToolNames)
        if (name == QLatin1String(tool.name))
            return &tool;
    return nullptr;
}

StartupParse Refuse(const QString& why)
{
    std::fprintf(stderr, "quorvan: %s (quorvan --help lists every option)\n", qPrintable(why));
    return {false, 2, {}};
}

} // namespace

QString UsageText()
{
    QString text = QStringLiteral(
        "Usage: quorvan [FILE] [--stage N] [--tools LIST] [--screenshot PNG] [--quit-when-painted]\n"
        "       quorvan COMMAND ARGUMENTS...   (commands for scripts: no window, no display needed)\n"
        "\n"
        "Quorvan %1, a level editor for NES cartridge images.\n"
        "\n"
        "Options of the window:\n"
        "  FILE                 open this image at start-up, as File > Open would\n"
        "                         quorvan level.nes\n"
        "  --stage N            then choose stage N (1 to 9), as the Level menu would\n"
        "                         quorvan level.nes --stage 3\n"
        "  --tools LIST         then open these tool windows, comma-separated: %2\n"
        "                       (the editors and the overview need --stage, the history an image)\n"
        "                         quorvan level.nes --stage 3 --tools palette,overview\n"
        "  --screenshot PNG     save a picture of the window to PNG once it is shown, and exit\n"
        "                         quorvan level.nes --stage 1 --screenshot window.png\n"
        "  --quit-when-painted  exit once the level view is painted after the steps above (times start-up)\n"
        "                         quorvan level.nes --stage 1 --quit-when-painted\n"
        "  -h, --help           show this text and exit\n"
        "                         quorvan --help\n"
        "  -v, --version        show the version and exit\n"
        "                         quorvan --version\n"
        "\n"
        "Commands for scripts (exit status 0 done, 1 an input refused or nothing written, 2 bad arguments):\n")
                       .arg(VersionText(), ToolList());
    for (const BatchUsage& command : BatchCommandUsage())
        text += QStringLiteral("  %1 %2\n                         %3\n").arg(command.name, command.operands, command.example);
    return text;
}

StartupParse ParseStartupArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption stage(QStringLiteral("stage"), QString(), QStringLiteral("n"));
    const QCommandLineOption tools(QStringLiteral("tools"), QString(), QStringLiteral("list"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("png"));
    const QCommandLineOption quit(QStringLiteral("quit-when-painted"));
    parser.addOptions({help, version, stage, tools, screenshot, quit});

    if (!parser.parse(arguments))
        return Refuse(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(UsageText()), stdout);
        return {false, 0, {}};
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", kProgramTitle, qPrintable(VersionText()));
        return {false, 0, {}};
    }

    StartupParse parsed{true, 0, {}};
    StartupOptions& options = parsed.options;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return Refuse(QStringLiteral("one image at a time: \"%1\" and \"%2\" were both given").arg(files[0], files[1]));
    if (!files.isEmpty()) {
        if (files.first().isEmpty())
            return Refuse(QStringLiteral("an empty file name"));
        options.file = files.first();
    }
    for (const QCommandLineOption* single : {&stage, &tools, &screenshot})
        if (parser.values(*single).size() > 1)
            return Refuse(QStringLiteral("--%1 is given more than once").arg(single->names().first()));

    if (parser.isSet(stage)) {
        bool ok = false;
        const QString text = parser.value(stage);
        const int number = text.toInt(&ok);
        if (!ok || number < 1 || number > 9)
            return Refuse(QStringLiteral("--stage takes a stage number from 1 to 9, not \"%1\"").arg(text));
        if (options.file.isEmpty())
            return Refuse(QStringLiteral("--stage %1 needs an image to choose it in: quorvan FILE --stage %1").arg(number));
        options.stage = number;
    }
    if (parser.isSet(tools)) {
        for (const QString& given : parser.value(tools).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString name = given.trimmed().toLower();
            const ToolName* tool = FindTool(name);
            if (tool == nullptr)
                return Refuse(QStringLiteral("--tools: unknown tool window \"%1\" (%2)").arg(given.trimmed(), ToolList()));
            if (tool->needsStage && options.stage == 0)
                return Refuse(QStringLiteral("--tools %1 needs a stage: quorvan FILE --stage N --tools %1").arg(name));
            if (tool->needsImage && options.file.isEmpty())
                return Refuse(QStringLiteral("--tools %1 needs an image: quorvan FILE --tools %1").arg(name));
            if (!options.tools.contains(name))
                options.tools << name;
        }
        if (options.tools.isEmpty())
            return Refuse(QStringLiteral("--tools names no tool window (%1)").arg(ToolList()));
    }
    if (parser.isSet(screenshot)) {
        options.screenshot = parser.value(screenshot);
        if (options.screenshot.isEmpty())
            return Refuse(QStringLiteral("--screenshot needs the name of the PNG file to write"));
    }
    options.quitWhenPainted = parser.isSet(quit);
    return parsed;
}

} // namespace quorvan
