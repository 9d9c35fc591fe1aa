#pragma once
// Drawing one 16x16 block of the current stage into a picture.

#include "graphics/BlockParts.h"
#include "graphics/PictureTarget.h"

#include <cstdint>

namespace quorvan {

// Reads block `block` (0..255) of stage row `stage` from the open image, with
// the stage table in effect (ReadBlockParts on the program's image and table).
BlockParts ReadBlockParts(int stage, std::int32_t block);

// The tile-set base for tile number t in stage row `stage` of the table in
// effect: tiles 0x80..0xFF of rows 0..7 come from row 0's tile set.
std::int32_t TileBase(int stage, std::uint8_t tile);

// Draws block `block` of the current stage at `scale` into the picture,
// replacing its whole image: one Init, four DrawTile calls, one RenderPic.
void DrawBlock(PictureTarget& picture, std::int32_t block, std::int32_t scale);

} // namespace quorvan
