#include "graphics/BlockParts.h"

#include <limits>

namespace quorvan {

std::int32_t TileBase(const StageTable& stages, int stage, std::uint8_t tile)
{
    if (tile >= 0x80 && stage < 8)
        return stages[0].TileData; // row 0 as it currently stands
    return stages[static_cast<std::size_t>(IsStageRow(stage) ? stage : 0)].TileData;
}

BlockParts ReadBlockParts(std::span<const std::uint8_t> image, const StageTable& stages, int stage,
                          std::int32_t block)
{
    BlockParts parts;
    // A row outside the table is drawn as row 0 and reported.
    parts.readOutside = !IsStageRow(stage);
    const int row = IsStageRow(stage) ? stage : 0;
    const StageInfo& info = stages[static_cast<std::size_t>(row)];
    const auto size = static_cast<std::int64_t>(image.size());
    auto read = [&](std::int64_t offset) -> std::uint8_t {
        if (offset < 0 || offset >= size) {
            parts.readOutside = true;
            return 0;
        }
        return image[static_cast<std::size_t>(offset)];
    };
    for (int k = 0; k < 4; ++k)
        parts.tiles[static_cast<std::size_t>(k)] = read(std::int64_t{info.BlockTiles} + 4 * std::int64_t{block} + k);
    parts.attribute = read(std::int64_t{info.BlockAttributes} + block);
    const int palette = parts.attribute % 4;
    for (int i = 0; i < 4; ++i)
        parts.colours[static_cast<std::size_t>(i)] = read(std::int64_t{info.Palettes} + 4 * palette + i);
    for (int k = 0; k < 4; ++k) {
        const std::uint8_t t = parts.tiles[static_cast<std::size_t>(k)];
        // 16 * t is at most 4080; the sum is kept inside 32 bits (a base near the
        // limit gives an offset outside every image, drawn as a faulty tile).
        const std::int64_t loc = std::int64_t{16} * t + TileBase(stages, row, t);
        parts.tileOffsets[static_cast<std::size_t>(k)] =
            loc > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(loc);
    }
    return parts;
}

} // namespace quorvan
