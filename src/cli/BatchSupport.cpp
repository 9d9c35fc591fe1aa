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

} // namespace quorvan::batch
