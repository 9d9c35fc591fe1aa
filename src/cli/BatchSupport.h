#pragma once
// What the commands for scripts (BatchCommands.h) share: their exit statuses,
// the one line on stderr that names a problem, and reading an input image.

#include <QString>

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

} // namespace quorvan::batch
