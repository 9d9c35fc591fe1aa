// Where the system keeps names as text (Windows), every name decodes exactly.

#include "data/FileNames.h"

namespace quorvan {

bool NameMatchesUndecodableFile(const QString&)
{
    return false;
}

} // namespace quorvan
