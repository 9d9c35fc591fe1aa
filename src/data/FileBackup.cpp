#include "data/FileBackup.h"

#include "data/FileWriter.h"

namespace quorvan {

std::optional<QString> CopyFileAtomically(const QString& from, const QString& to)
{
    const WriteOutcome outcome = CopyWholeFile(from, to);
    if (outcome.ok())
        return std::nullopt;
    return outcome.reason;
}

} // namespace quorvan
