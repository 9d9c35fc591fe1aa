#include "graphics/DrawBlock.h"

#include "graphics/BlockParts.h"
#include "graphics/clsNesTiles.h"

#include <algorithm>
#include <array>

namespace quorvan {

void DrawBlock(PictureTarget& picture, const StageSource& source, std::int32_t block, std::int32_t scale)
{
    // All reads happen before any drawing.
    const BlockParts parts = ReadBlockParts(source.image, source.stages, source.stage, block);
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
        tiles.DrawTile(SurfaceBits, source.image, parts.tileOffsets[k], parts.colours[0], parts.colours[1],
                       parts.colours[2], parts.colours[3], xs[k], ys[k], mul);
    }
    tiles.RenderPic(SurfaceHeader, SurfaceBits);
}

} // namespace quorvan
