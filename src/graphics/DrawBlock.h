#pragma once
// Drawing one 16x16 block of the current stage into a picture.

#include "graphics/PictureTarget.h"

#include <array>
#include <cstdint>

namespace quorvan {

// What a block is made of, read from the image for the current stage.
struct BlockParts {
    std::array<std::uint8_t, 4> tiles{};     // top-left, top-right, bottom-left, bottom-right
    std::uint8_t attribute = 0;              // palette = attribute mod 4, flags = attribute div 4
    std::array<std::uint8_t, 4> colours{};   // colour numbers for pixel values 0..3
    std::array<std::int32_t, 4> tileOffsets{}; // byte offset of each tile in the image
    bool readOutside = false;                // some byte lay outside the image (read as 0)
};

// Reads block `block` (0..255) of stage row `stage` from the open image.
BlockParts ReadBlockParts(int stage, std::int32_t block);

// The tile-set base for tile number t in stage row `stage`: tiles 0x80..0xFF of
// rows 0..7 come from row 0's tile set.
std::int32_t TileBase(int stage, std::uint8_t tile);

// Draws block `block` of the current stage at `scale` into the picture,
// replacing its whole image: one Init, four DrawTile calls, one RenderPic.
void DrawBlock(PictureTarget& picture, std::int32_t block, std::int32_t scale);

} // namespace quorvan
