#pragma once
// The list of files last opened or saved, newest first, kept with QSettings so
// that it survives the program. Paths are kept absolute with the platform's
// separators; one file appears once, whatever spelling reached it.

#include <QString>
#include <QStringList>

class QMimeData;

namespace quorvan {

inline constexpr int kMaxRecentFiles = 8;

// The list as kept: at most kMaxRecentFiles paths, newest first, none empty.
QStringList RecentFiles();

// Puts `path` at the top, dropping an earlier entry for the same file and the
// oldest beyond the limit.
void AddRecentFile(const QString& path);

// Empties the list.
void ClearRecentFiles();

// The caption of entry `index` (0 = newest): its number as the mnemonic, then
// the path (an "&" in it doubled, so that it shows as it is).
QString RecentFileCaption(int index, const QString& path);

// The one local .nes file a drag carries; empty for anything else (several
// files, a folder, a remote address, text).
QString DroppedImage(const QMimeData* data);

} // namespace quorvan
