#pragma once
// Keeping a copy of a file before it is written over.

#include <QString>

#include <optional>

namespace quorvan {

// Copies the file at `from` to `to` whole, through a temporary file that then
// replaces `to`, so that `to` holds either its old content or the full copy.
// Returns the system's reason on failure, nothing on success.
std::optional<QString> CopyFileAtomically(const QString& from, const QString& to);

} // namespace quorvan
