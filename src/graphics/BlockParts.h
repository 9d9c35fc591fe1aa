#pragma once
// Reading what a block is made of from an image and a stage table, without
// the program-wide state: block drawing and the compositor both read through here.

#include "data/Stages.h"

#include <array>
#include <cstdint>
#include <span>

namespace quorvan {

// What a block is made of, read from the image for one stage row.
struct BlockParts {
    std::array<std::uint8_t, 4> tiles{};     // top-left, top-right, bottom-left, bottom-right
    std::uint8_t attribute = 0;              // palette = attribute mod 4, flags = attribute div 4
    std::array<std::uint8_t, 4> colours{};   // colour numbers for pixel values 0..3
    std::array<std::int32_t, 4> tileOffsets{}; // byte offset of each tile in the image
    bool readOutside = false;                // some byte lay outside the image (read as 0)
};

// True for the rows 0..10 of a stage table.
constexpr bool IsStageRow(int stage)
{
    return stage >= 0 && stage < kStageRows;
}

// The tile-set base for tile number `tile` in stage row `stage` of `stages`:
// tiles 0x80..0xFF of rows 0..7 come from row 0's tile set; a row outside the
// table counts as row 0.
std::int32_t TileBase(const StageTable& stages, int stage, std::uint8_t tile);

// Reads block `block` of stage row `stage`. Bytes outside `image` read as 0 and
// set readOutside; a row outside 0..10 is read as row 0 and sets it too. A tile
// offset beyond 32 bits is -1 (outside every image).
BlockParts ReadBlockParts(std::span<const std::uint8_t> image, const StageTable& stages, int stage,
                          std::int32_t block);

} // namespace quorvan
