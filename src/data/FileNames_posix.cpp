// Reading a folder's names as the bytes they are, which Qt's listings decode
// (lossily) before anyone sees them.

#include "data/FileNames.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>

namespace quorvan {

bool NameMatchesUndecodableFile(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    // Only a name that holds a replacement character can be the decoding of an invalid one.
    if (name.isEmpty() || !name.contains(QChar(0xFFFD)))
        return false;
    DIR* folder = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (folder == nullptr)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray raw(entry->d_name);
        const QString decoded = QFile::decodeName(raw);
        if (decoded == name && QFile::encodeName(decoded) != raw) {
            found = true;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

} // namespace quorvan
