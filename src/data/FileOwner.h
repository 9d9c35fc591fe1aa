#pragma once
// Who a file or folder belongs to, as far as the platform lets the program tell.

#include <QString>

namespace quorvan {

// Whether `path` belongs to the user the program runs as. False when nothing
// is there; true where the platform's owners cannot be told apart (the
// Qt-only build), so that ownership never counts against a folder there.
bool OwnedByUser(const QString& path);

} // namespace quorvan
