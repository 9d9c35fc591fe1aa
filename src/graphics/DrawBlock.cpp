#include "graphics/DrawBlock.h"

#include "data/modGlobals.h"
#include "graphics/clsNesTiles.h"

#include <algorithm>
#include <limits>

namespace quorvan {

namespace {

bool IsStageRow(int stage)
{
    return stage >= 0 && stage < kStageRows;
}

} // namespace

std::int32_t TileBase(int stage, std::uint8_t tile)
{
    if (tile >= 0x80 && stage < 8)
        return Stages[0].TileData; // row 0 as it currently stands
    return Stages[static_cast<std::size_t>(IsStageRow(stage) ? stage : 0)].TileData;
}

BlockParts ReadBlockParts(int stage, std::int32_t block)
{
    BlockParts parts;
    // A row outside the table is drawn as row 0 and reported.
    parts.readOutside = !IsStageRow(stage);
    const int row = IsStageRow(stage) ? stage : 0;
    const StageInfo& info = Stages[static_cast<std::size_t>(row)];
    auto read = [&parts](std::int64_t offset) -> std::uint8_t {
        if (!RomImage.contains(offset)) {
            parts.readOutside = true;
            return 0;
        }
        return RomImage[offset];
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
        const std::int64_t loc = std::int64_t{16} * t + TileBase(row, t);
        parts.tileOffsets[static_cast<std::size_t>(k)] =
            loc > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(loc);
    }
    return parts;
}

void DrawBlock(PictureTarget& picture, std::int32_t block, std::int32_t scale)
{
    // All reads happen before any drawing.
    const BlockParts parts = ReadBlockParts(CurrentStage, block);
    clsNesTiles& tiles = EnsureNesTiles();
    if (parts.readOutside)
        tiles.NoteBadRead();
    tiles.Init(picture, SurfaceHeader, SurfaceBits);
    // The scale is narrowed to 8 bits; callers pass 1..255, anything else is clamped.
    const auto mul = static_cast<std::uint8_t>(std::clamp(scale, 0, 255));
    const std::int32_t step = 8 * std::int32_t{mul};
    const std::array<std::int32_t, 4> xs{0, step, 0, step};
    const std::array<std::int32_t, 4> ys{0, 0, step, step};
    for (std::size_t k = 0; k < 4; ++k) {
        tiles.DrawTile(SurfaceBits, RomImage.bytes(), parts.tileOffsets[k], parts.colours[0], parts.colours[1],
                       parts.colours[2], parts.colours[3], xs[k], ys[k], mul);
    }
    tiles.RenderPic(SurfaceHeader, SurfaceBits);
}

} // namespace quorvan
