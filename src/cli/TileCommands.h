#pragma once
// The tile set commands for scripts (see BatchCommands.h):
//   quorvan --export-tiles STAGE [--palette P] IMAGE OUT.png|OUT.chr
//   quorvan --import-tiles STAGE [--palette P] IMAGE TILES.png|TILES.chr OUT.nes
// STAGE 1..9 as in the Level menu; P the stage's palette 0..3 (default 0) the
// picture is drawn in or read by. The tiles are the stage's 256 as the tile
// sheet shows them (graphics/TileSetFile.h). The import writes IMAGE with the
// tiles that differ to OUT; when that changes tiles 0x80..0xFF of stages 1..8,
// which those stages share, it says so on stdout. No output may be an input.

#include <QStringList>

namespace quorvan {

inline constexpr const char* kExportTilesOperands = "STAGE [--palette P] IMAGE OUT.png|OUT.chr";
inline constexpr const char* kImportTilesOperands = "STAGE [--palette P] IMAGE TILES.png|TILES.chr OUT.nes";

// Each takes the arguments after its name and returns the exit status.
int ExportTilesCommand(const QStringList& operands);
int ImportTilesCommand(const QStringList& operands);

} // namespace quorvan
