#include "cli/BatchSupport.h"

#include "data/PatchResult.h"
#include "data/RomFile.h"
#include "data/Stages.h"

#include <QDir>

#include <cstdio>

namespace quorvan::batch {

int Fail(int status, QString message)
{
    message.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "quorvan: %s\n", qPrintable(message.simplified()));
    return status;
}

QString Quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

std::optional<std::vector<std::uint8_t>> LoadImage(const QString& role, const QString& path)
{
    LoadResult loaded = LoadRomFile(path);
    switch (loaded.status) {
    case LoadResult::Status::Ok:
        return std::move(loaded.bytes);
    case LoadResult::Status::ReadFailed:
        Fail(kFailed, QStringLiteral("cannot read %1 %2: %3").arg(role, Quoted(path), loaded.error));
        break;
    case LoadResult::Status::BadSize:
        Fail(kFailed, QStringLiteral("%1 %2 is not an image of an accepted length (%3 or %4): Invalid ROM Size.")
                          .arg(role, Quoted(path), PatchLengthText(kImageLengthPlain),
                               PatchLengthText(kImageLengthShifted)));
        break;
    }
    return std::nullopt;
}

std::optional<OptionOperands> SplitOperands(const QStringList& operands, const QString& option, int low, int high,
                                            const QString& allowed, QString& why)
{
    OptionOperands split;
    const QString withValue = option + QLatin1Char('=');
    for (qsizetype i = 0; i < operands.size(); ++i) {
        const QString& operand = operands[i];
        QString text;
        if (operand == option) {
            if (i + 1 >= operands.size()) {
                why = QStringLiteral("%1 needs a value, %2.").arg(option, allowed);
                return std::nullopt;
            }
            text = operands[++i];
        } else if (operand.startsWith(withValue)) {
            text = operand.mid(withValue.size());
        } else if (operand.startsWith(QLatin1String("--"))) {
            why = QStringLiteral("unknown option \"%1\".").arg(operand);
            return std::nullopt;
        } else {
            split.positional << operand;
            continue;
        }
        if (split.value) {
            why = QStringLiteral("%1 is given twice.").arg(option);
            return std::nullopt;
        }
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value < low || value > high) {
            why = QStringLiteral("%1 \"%2\" is not %3.").arg(option, text, allowed);
            return std::nullopt;
        }
        split.value = value;
    }
    return split;
}

std::optional<int> ParseStageRow(const QString& text, QString& why)
{
    bool ok = false;
    const int stage = text.toInt(&ok, 10);
    if (!ok || stage < 1 || stage > kMenuStages) {
        why = QStringLiteral("STAGE \"%1\" is not a stage from 1 to %2.").arg(text).arg(kMenuStages);
        return std::nullopt;
    }
    return stage - 1;
}

void BadUsage(const char* command, const char* usage, const QString& why)
{
    Fail(kBadArguments, QStringLiteral("%1: %2 Usage: quorvan %1 %3").arg(QLatin1String(command), why, QLatin1String(usage)));
}

std::optional<StageOperands> ReadStageOperands(const char* command, const char* usage, const QStringList& operands,
                                               const QString& option, int low, int high, const QString& allowed,
                                               qsizetype count)
{
    const auto bad = [&](const QString& why) {
        BadUsage(command, usage, why);
        return std::nullopt;
    };
    QString why;
    const std::optional<OptionOperands> split = SplitOperands(operands, option, low, high, allowed, why);
    if (!split)
        return bad(why);
    if (split->positional.size() != count)
        return bad(QStringLiteral("%1 arguments besides %2 are needed, %3 given.")
                       .arg(count)
                       .arg(option)
                       .arg(split->positional.size()));
    for (const QString& operand : split->positional)
        if (operand.isEmpty())
            return bad(QStringLiteral("an argument is empty."));
    const std::optional<int> stage = ParseStageRow(split->positional[0], why);
    if (!stage)
        return bad(why);
    return StageOperands{*stage, split->value, split->positional};
}

std::optional<StagedImage> LoadStagedImage(const QString& role, const QString& path)
{
    std::optional<std::vector<std::uint8_t>> bytes = LoadImage(role, path);
    if (!bytes)
        return std::nullopt;
    const std::optional<StageTable> stages = StagesForLength(bytes->size());
    if (!stages) {
        Fail(kFailed, QStringLiteral("%1 %2 has no stage table.").arg(role, Quoted(path)));
        return std::nullopt;
    }
    return StagedImage{std::move(*bytes), *stages};
}

} // namespace quorvan::batch
