#pragma once
// File names given on the command line reach the file system exactly as they
// were typed, or not at all. A name that is not valid in the system's encoding
// for file names (bytes that are not UTF-8 where names are UTF-8) would be
// decoded with replacement characters and then name another file, one whose
// name really holds them; such a name is refused instead.

#include <QString>

namespace quorvan {

// The first argument after the program name that cannot be represented
// exactly, described for a message (bytes that do not decode are shown as
// \xNN); empty when every argument can.
QString UnrepresentableArgument(int argc, const char* const* argv);

} // namespace quorvan
