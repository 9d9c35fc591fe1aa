#include "ui/main/PlayTest.h"

#include "data/FileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace quorvan {

PlayTest::PlayTest() = default;

PlayTest::~PlayTest() = default; // the folder goes with its files

QString PlayTest::folder() const
{
    return folder_ ? folder_->path() : QString();
}

QStringList PlayTest::SplitCommand(const QString& command)
{
#if defined(Q_OS_WIN)
    // Backslashes separate folders there: Qt's splitting, double quotes only.
    return QProcess::splitCommand(command.trimmed());
#else
    // Words as a POSIX shell splits them, without expansion: blanks separate
    // words; '...' keeps everything; "..." keeps everything but \" \\ \$ \`,
    // which a backslash escapes; elsewhere a backslash escapes any character.
    QStringList words;
    QString word;
    bool inWord = false;
    enum class Quote { None, Single, Double } quote = Quote::None;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        const bool last = i + 1 == command.size();
        if (quote == Quote::Single) {
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                word += c;
            continue;
        }
        if (quote == Quote::Double) {
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && !last && QStringLiteral("\"\\$`\n").contains(command.at(i + 1))) {
                if (command.at(++i) != QLatin1Char('\n'))
                    word += command.at(i);
            } else {
                word += c;
            }
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        if (c == QLatin1Char('\\')) {
            if (last)
                continue;
            const QChar next = command.at(++i);
            if (next == QLatin1Char('\n'))
                continue; // the line goes on
            word += next;
            inWord = true;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\''))
            quote = Quote::Single;
        else if (c == QLatin1Char('"'))
            quote = Quote::Double;
        else
            word += c;
    }
    if (quote != Quote::None)
        return {}; // a quote that does not close names nothing
    if (inWord)
        words << word;
    return words;
#endif
}

PlayTestOutcome PlayTest::Start(std::span<const std::uint8_t> image, const QString& imageName,
                                const QString& emulatorCommand)
{
    PlayTestOutcome outcome;
    outcome.command = emulatorCommand.trimmed();
    QStringList arguments = SplitCommand(outcome.command);
    if (arguments.isEmpty()) {
        outcome.status = outcome.command.isEmpty() ? PlayTestOutcome::Status::NoEmulator
                                                   : PlayTestOutcome::Status::StartFailed;
        if (!outcome.command.isEmpty())
            outcome.reason = QStringLiteral("A quote in it is not closed.");
        return outcome;
    }
    const QString program = arguments.takeFirst();
    // A bare name is looked for on the PATH; a path must lead to the program.
    const bool bareName = !program.contains(QLatin1Char('/')) && !program.contains(QLatin1Char('\\'));
    const QString found = bareName ? QStandardPaths::findExecutable(program)
                                   : (QFileInfo(program).isFile() ? program : QString());
    if (found.isEmpty()) {
        outcome.status = PlayTestOutcome::Status::NotFound;
        outcome.reason = bareName ? QStringLiteral("\"%1\" was not found on the PATH.").arg(program)
                                  : QStringLiteral("There is no program at \"%1\".").arg(QDir::toNativeSeparators(program));
        return outcome;
    }

    if (!folder_) {
        folder_ = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("quorvan-test-XXXXXX")));
        if (!folder_->isValid()) {
            outcome.status = PlayTestOutcome::Status::WriteFailed;
            outcome.reason = folder_->errorString();
            folder_.reset();
            return outcome;
        }
    }
    // A new name each time: the emulator may still hold the last one open.
    QString base = QFileInfo(imageName).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("image");
    outcome.file = QDir(folder_->path()).filePath(QStringLiteral("%1-test%2.nes").arg(base).arg(++count_));
    WriteRequest request;
    request.path = outcome.file;
    request.bytes = image;
    const WriteOutcome written = WriteWholeFile(request);
    if (!written.ok()) {
        outcome.status = PlayTestOutcome::Status::WriteFailed;
        outcome.reason = written.reason;
        return outcome;
    }

    QProcess process;
    process.setProgram(found);
    process.setArguments(arguments << QDir::toNativeSeparators(outcome.file));
    process.setWorkingDirectory(folder_->path());
    if (!process.startDetached()) {
        outcome.status = PlayTestOutcome::Status::StartFailed;
        outcome.reason = process.errorString();
        QFile::remove(outcome.file);
        return outcome;
    }
    outcome.status = PlayTestOutcome::Status::Started;
    return outcome;
}

} // namespace quorvan
