#pragma once
// Keeping a copy of a file before it is written over.

#include <QString>

#include <optional>

namespace quorvan {

// Copies the regular file at `from` whole to `to` with CopyWholeFile: through
// a temporary file that then replaces `to`, so that `to` holds either its old
// content or the full copy. A link at `to` is replaced by the copy, never
// written through; the copy gets `from`'s owner and group where the user can
// give them and never wider permissions. Returns the reason on failure,
// nothing on success.
//
// The copy is made at once. To keep an older copy until a save has succeeded,
// give the backup to WriteWholeFile (WriteRequest::backupPath) instead.
std::optional<QString> CopyFileAtomically(const QString& from, const QString& to);

} // namespace quorvan
