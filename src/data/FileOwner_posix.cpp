#include "data/FileOwner.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace quorvan {

bool OwnedByUser(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    // The effective user is the one whose files the program writes.
    return st.st_uid == ::geteuid();
}

} // namespace quorvan
