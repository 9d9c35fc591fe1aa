#pragma once
// Drawing one 16x16 block into a picture through the tile renderer.

#include "graphics/Compositor.h"
#include "graphics/PictureTarget.h"

#include <cstdint>

namespace quorvan {

// Draws block `block` (0..255) of the stage in `source` at `scale` into the
// picture, replacing its whole image: one Init, four DrawTile calls, one
// RenderPic, all reads of the image made before any drawing.
void DrawBlock(PictureTarget& picture, const StageSource& source, std::int32_t block, std::int32_t scale);

} // namespace quorvan
