#pragma once
// Marks drawn over a room's picture: cells that hold the highlighted block,
// the cell a search found, and cells changed since the image was opened.
//
// Every mark pairs a bright and a dark colour, so that it stays visible on any
// of the NES colours, and covers only the cell's edge or one corner, so that
// the block stays readable. Marks are plain opaque pixels: drawing the same
// marks twice gives the same picture.
//
// At scale s a cell is 16 s pixels wide:
// - a use: a yellow ring at s - 1 pixels in from the cell's edge (0 at scale 1),
//   with a black ring just inside it;
// - the found cell: a white ring s pixels wide on the edge, a black one inside it;
// - a changed cell: a right triangle in the top-right corner, legs 4 s + 3
//   pixels long, red inside a black outline max(1, s / 2) pixels wide on all
//   three sides: on a red block the outline shows it, on a black one the red.

#include "data/BlockUsage.h"
#include "graphics/Compositor.h"

#include <cstdint>

namespace quorvan {

inline constexpr std::uint32_t kUseMarkColour = 0xFFFF00;
inline constexpr std::uint32_t kFoundMarkColour = 0xFFFFFF;
inline constexpr std::uint32_t kChangeMarkColour = 0xFF0000;
inline constexpr std::uint32_t kMarkEdgeColour = 0x000000;

// Draws `marks` over a room drawn at `scale` (1..kMaxComposeScale) whose
// top-left corner is (x, y) of `target`. Pixels outside the target are clipped.
void DrawRoomMarks(PixelView target, int x, int y, int scale, const RoomMarks& marks);

// The length of the changed mark's legs at `scale`.
constexpr int ChangeMarkLegs(int scale)
{
    return 4 * scale + 3;
}

// The width of the changed mark's outline at `scale`.
constexpr int ChangeMarkOutline(int scale)
{
    return scale < 2 ? 1 : scale / 2;
}

} // namespace quorvan
