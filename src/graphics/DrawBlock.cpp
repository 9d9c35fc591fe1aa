#include "graphics/DrawBlock.h"

#include "data/modGlobals.h"
#include "graphics/clsNesTiles.h"

namespace quorvan {

std::int32_t TileBase(int stage, std::uint8_t tile)
{
    if (tile >= 0x80 && stage < 8)
        return Stages[0].TileData; // row 0 as it currently stands
    const int row = stage < 0 || stage >= kStageRows ? 0 : stage;
    return Stages[static_cast<std::size_t>(row)].TileData;
}

BlockParts ReadBlockParts(int stage, std::int32_t block)
{
    BlockParts parts;
    const int row = stage < 0 || stage >= kStageRows ? 0 : stage;
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
        parts.tileOffsets[static_cast<std::size_t>(k)] = 16 * t + TileBase(row, t);
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
    const auto mul = static_cast<std::uint8_t>(scale < 0 ? 0 : (scale > 255 ? 255 : scale));
    const std::int32_t step = 8 * scale;
    const std::array<std::int32_t, 4> xs{0, step, 0, step};
    const std::array<std::int32_t, 4> ys{0, 0, step, step};
    for (std::size_t k = 0; k < 4; ++k) {
        tiles.DrawTile(SurfaceBits, RomImage.bytes(), parts.tileOffsets[k], parts.colours[0], parts.colours[1],
                       parts.colours[2], parts.colours[3], xs[k], ys[k], mul);
    }
    tiles.RenderPic(SurfaceHeader, SurfaceBits);
}

} // namespace quorvan
