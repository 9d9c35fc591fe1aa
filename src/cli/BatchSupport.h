#pragma once
// What the commands for scripts (BatchCommands.h) share: their exit statuses,
// the one line on stderr that names a problem, and reading an input image.

#include "data/Stages.h"

#include <QString>
#include <QStringList>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvan::batch {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;       // an input refused, or the output not written
inline constexpr int kBadArguments = 2; // the command line itself is wrong

// Prints "quorvan: MESSAGE" as one line on stderr (line breaks in the reasons
// it quotes become spaces) and returns `status`.
int Fail(int status, QString message);

// The path in double quotes, with the platform's separators.
QString Quoted(const QString& path);

// An image read as an Open reads it (only the two accepted lengths); nothing,
// after saying why with the `role` it plays ("IMAGE", "BASE"), when refused.
std::optional<std::vector<std::uint8_t>> LoadImage(const QString& role, const QString& path);

// The operands of a command that takes one integer option, "--NAME V" or
// "--NAME=V", anywhere among them: the others in order, and the value given.
struct OptionOperands {
    QStringList positional;
    std::optional<int> value;
};

// Splits `operands` for the option `option` ("--scale") whose values are
// low..high (`allowed` names them in words: "1 or 2"). Nothing, with the
// reason in `why`, for an unknown option or a value missing, wrong or given twice.
std::optional<OptionOperands> SplitOperands(const QStringList& operands, const QString& option, int low, int high,
                                            const QString& allowed, QString& why);

// STAGE as the Level menu numbers it (decimal 1..9) as a stage row 0..8;
// nothing, with the reason in `why`, for anything else.
std::optional<int> ParseStageRow(const QString& text, QString& why);

// The operands of a stage command ("quorvan COMMAND STAGE [--OPTION V] ..."):
// the option read as SplitOperands reads it, exactly `count` positional
// operands, none empty, the first a STAGE (`stage` its row). Nothing, after
// printing what is wrong with the command's usage line, when they are not.
struct StageOperands {
    int stage = 0;
    std::optional<int> value;
    QStringList positional; // STAGE first
};
std::optional<StageOperands> ReadStageOperands(const char* command, const char* usage, const QStringList& operands,
                                               const QString& option, int low, int high, const QString& allowed,
                                               qsizetype count);

// Prints "COMMAND: WHY Usage: quorvan COMMAND USAGE" as a bad-arguments failure.
void BadUsage(const char* command, const char* usage, const QString& why);

// An image read as LoadImage reads it, with the stage table in effect for its length.
struct StagedImage {
    std::vector<std::uint8_t> bytes;
    StageTable stages{};
};
std::optional<StagedImage> LoadStagedImage(const QString& role, const QString& path);

} // namespace quorvan::batch
