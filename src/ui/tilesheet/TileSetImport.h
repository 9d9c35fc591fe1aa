#pragma once
// Reading a tile set file (PNG or CHR) into a stage of the document as one
// undo step "Import Tiles", with the questions and refusals the user sees.

#include <QString>

class QWidget;

namespace quorvan {

class RomDocument;

// What a tile set file's name must end in, for refusals.
inline constexpr const char* kTileSetNameRule = "A tile set file's name ends in .png or .chr.";

// Imports the file at `path` into the document's current stage, a PNG's
// colours matched against palette `palette` (0..3) of the stage. Tells the
// user (message boxes owned by `dialogs`) why when nothing was imported, and
// asks before tiles 80-FF, shared by stages 1 to 8, are changed. True when
// the tiles were written.
bool ImportTileSet(RomDocument& document, const QString& path, int palette, QWidget* dialogs);

} // namespace quorvan
