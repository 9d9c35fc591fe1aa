#pragma once
// Names on disk are bytes; the program holds them as text. A name whose bytes
// are not valid in the system's encoding of file names (not UTF-8, where names
// are UTF-8) decodes with replacement characters (U+FFFD) into the name of
// another file, or of none. Such a name is refused wherever it is chosen,
// never mapped to another file.

#include <QString>

namespace quorvan {

// True when the folder of `path` holds an entry whose name is not valid in the
// system's encoding of file names and that decodes to `path`'s last name: then
// `path` may stand for that entry, which the program cannot name exactly.
// Always false where names are text already (Windows).
bool NameMatchesUndecodableFile(const QString& path);

} // namespace quorvan
