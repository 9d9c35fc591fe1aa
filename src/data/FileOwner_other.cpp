#include "data/FileOwner.h"

#include <QFileInfo>

namespace quorvan {

bool OwnedByUser(const QString& path)
{
    // Qt knows a file's owner but not the user the program runs as.
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace quorvan
